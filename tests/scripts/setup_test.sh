#!/usr/bin/env bash
# scripts/setup with a stand-in `cmake` first on PATH, which keeps the
# arguments of each configure in the build folder, makes its cache and says
# what CMake says about the solvers. Checks stdout, stderr, exit status and
# the arguments CMake got, separately, for a first set-up, one with nothing
# to do and a first configure that fails.
# Usage: setup_test.sh SOURCE_FOLDER
set -euo pipefail
root=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
cat >"$work/bin/cmake" <<'CMAKE'
#!/usr/bin/env bash
[ "$1" = --build ] && exit 0
while [ "$1" != -B ]; do shift; done
build=$2
mkdir -p "$build"
printf '%s\n' "$@" >"$build/arguments"
echo "-- The CXX compiler identification is GNU 12.2.0"
echo "-- SCIP: stand-in library backed by GLPK"
if [[ $build == *broken* ]]; then
  echo "CMake Error at CMakeLists.txt:1 (project): broken" >&2
  exit 1
fi
echo "-- Gurobi: loaded at run time from the start folder"
echo "-- Configuring done"
touch "$build/CMakeCache.txt"
CMAKE
chmod +x "$work/bin/cmake"

failures=0
# expect WHAT EXPECTED ACTUAL
expect() {
  if [ "$2" != "$3" ]; then
    printf '%s: expected\n%s\n---- got\n%s\n----\n' "$1" "$2" "$3" >&2
    failures=$((failures + 1))
  fi
}
# set_up FOLDER ARGUMENT...: scripts/setup into FOLDER; its outputs in
# $work/out and $work/err (how long a step took masked), its exit status
# in $status. highs_DIR names an installed HiGHS, so nothing is fetched.
set_up() {
  local build=$1
  shift
  status=0
  VARDELMO_BUILD_DIR="$build" PATH="$work/bin:$PATH" highs_DIR="$work/highs" \
    VARDELMO_CMAKE_ARGS="-DVARDELMO_SCIP=STANDIN  -DVARDELMO_FUZZ=OFF" \
    "$root/scripts/setup" "$@" >"$work/out" 2>"$work/err.raw" || status=$?
  sed -E 's/: done in [0-9]+ s$/: done in N s/' "$work/err.raw" >"$work/err"
}

# The solver lines after the first configure; the variable's arguments split
# at spaces, the script's own whole.
build="$work/new build"
set_up "$build" -DVARDELMO_SLURM_TESTS=ON "-DVARDELMO_SLURM_CONF=$work/a b/slurm.conf"
expect "first set-up: exit status" 0 "$status"
expect "first set-up: stdout" "" "$(cat "$work/out")"
expect "first set-up: stderr" "vardelmo setup: configuring ...
vardelmo setup: configuring: done in N s
vardelmo setup: SCIP: stand-in library backed by GLPK
vardelmo setup: Gurobi: loaded at run time from the start folder" "$(cat "$work/err")"
expect "first set-up: CMake's arguments" "-B
$build
-DVARDELMO_SCIP=STANDIN
-DVARDELMO_FUZZ=OFF
-DVARDELMO_SLURM_TESTS=ON
-DVARDELMO_SLURM_CONF=$work/a b/slurm.conf" "$(cat "$build/arguments")"

set_up "$build"
expect "set-up with nothing to do: exit status" 0 "$status"
expect "set-up with nothing to do: stdout" "" "$(cat "$work/out")"
expect "set-up with nothing to do: stderr" "" "$(cat "$work/err")"

# CMake's own words, both streams, when the first configure fails.
set_up "$work/broken"
expect "failed configure: exit status" 1 "$status"
expect "failed configure: stdout" "" "$(cat "$work/out")"
expect "failed configure: stderr" "vardelmo setup: configuring ...
-- The CXX compiler identification is GNU 12.2.0
-- SCIP: stand-in library backed by GLPK
CMake Error at CMakeLists.txt:1 (project): broken
vardelmo setup: configuring failed" "$(cat "$work/err")"

[ "$failures" -eq 0 ]
