# Shared by the set-up scripts (sourced, not run, by scripts that set $root
# to the source folder): root rights, quiet steps that say what they do and
# how long it took, Debian packages, and configuring and building.
# shellcheck shell=bash disable=SC2154

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"
  elif command -v sudo >/dev/null 2>&1; then sudo "$@"
  else echo "vardelmo setup: root rights needed for: $*" >&2; exit 1
  fi
}

# step WHAT COMMAND...: runs COMMAND with its output kept in a log, shown
# only when it fails; says on standard error when it starts and how long it
# took.
step() {
  local what=$1 log start=$SECONDS
  shift
  log=$(mktemp)
  echo "vardelmo setup: $what ..." >&2
  if ! "$@" >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    echo "vardelmo setup: $what failed" >&2
    exit 1
  fi
  rm -f "$log"
  echo "vardelmo setup: $what: done in $((SECONDS - start)) s" >&2
}

apt_install() {
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@"
}

# install_missing [--no-install-recommends] PACKAGE...: installs those that
# are not installed yet.
install_missing() {
  local missing=() options=() package
  if [ "${1:-}" = --no-install-recommends ]; then options=("$1"); shift; fi
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
      || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] || step "installing ${missing[*]}" apt_install "${options[@]}" "${missing[@]}"
}

# debian_mirror: the Debian mirror that this machine's apt uses.
debian_mirror() {
  local codename uri
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  uri=$(sed -n 's/^URIs: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null \
        | head -n 1)
  if [ -z "$uri" ]; then
    uri=$(sed -n -E "s/^deb (\[[^]]*\] )?([^ ]+) $codename .*/\2/p" /etc/apt/sources.list \
          2>/dev/null | head -n 1)
  fi
  echo "${uri:-http://deb.debian.org/debian}"
}

# build_with_progress LOG COMMAND...: runs a build; its progress shows on one
# updating line where standard error is a terminal, as plain lines elsewhere.
# A build with nothing to do prints nothing.
build_with_progress() {
  local log=$1 start=$SECONDS started=0 line width status
  shift
  width=$(tput cols 2>/dev/null || echo 80)
  shopt -s lastpipe
  set +e
  "$@" 2>&1 | while IFS= read -r line; do
    printf '%s\n' "$line" >>"$log"
    case $line in
      \[*%\]\ Building* | \[*%\]\ Linking*)
        if [ "$started" = 0 ]; then echo "vardelmo setup: building ..." >&2; started=1; fi
        if [ -t 2 ]; then printf '\r\033[K%s' "${line:0:$((width - 1))}" >&2
        else printf '%s\n' "$line" >&2
        fi ;;
    esac
  done
  status=${PIPESTATUS[0]}
  set -e
  if [ "$started" = 1 ] && [ -t 2 ]; then printf '\r\033[K' >&2; fi
  if [ "$status" -ne 0 ]; then
    cat "$log" >&2
    echo "vardelmo setup: build failed" >&2
    exit 1
  fi
  if [ "$started" = 1 ]; then echo "vardelmo setup: building: done in $((SECONDS - start)) s" >&2; fi
}

# configure_and_build FOLDER CMAKE_ARGUMENT...: configures the build in
# FOLDER, the first time as a step that then says which SCIP and Gurobi
# CMake found, later saying nothing unless CMake fails; then builds it.
# Both keep their output in FOLDER/vardelmo-setup.log.
configure_and_build() {
  local build=$1 log
  shift
  mkdir -p "$build"
  log="$build/vardelmo-setup.log"
  if [ ! -f "$build/CMakeCache.txt" ]; then
    step configuring cmake_logged "$log" -S "$root" -B "$build" "$@"
    grep -E '^-- (SCIP|HiGHS|Gurobi):' "$log" | sed 's/^-- /vardelmo setup: /' >&2 || true
  elif ! cmake_logged "$log" -S "$root" -B "$build" "$@" >/dev/null; then
    cat "$log" >&2
    echo "vardelmo setup: configuring failed" >&2
    exit 1
  fi
  : >"$log"
  build_with_progress "$log" cmake --build "$build" -j "$(nproc)"
}

# cmake_logged LOG ARGUMENT...: CMake's errors come on standard error: the
# log keeps both streams, in order.
cmake_logged() {
  local log=$1
  shift
  cmake "$@" 2>&1 | tee "$log"
}

# setup_sanitized: the Clang build of scripts/sanitize and scripts/fuzz,
# with the sanitizers and the fuzz targets, in $VARDELMO_BUILD_DIR, which it
# exports ($VARDELMO_ASAN_BUILD_DIR, default build-asan/).
setup_sanitized() {
  install_missing clang libclang-rt-14-dev
  export VARDELMO_BUILD_DIR="${VARDELMO_ASAN_BUILD_DIR:-$root/build-asan}"
  CC=clang CXX=clang++ "$root/scripts/setup" -DVARDELMO_FUZZ=ON
}

# fetch_wheel PINS TARGET FOLDER WHAT: fetches the wheel that the pin file
# PINS names for TARGET (linux, windows) with pip in download-only mode
# (nothing is installed into any Python), checks its SHA-256 and unpacks only
# the files under its members= path into FOLDER/lib, which must then hold its
# library_file= file (TARGET_members=, TARGET_library_file=, TARGET_package=
# and TARGET_version= where the two wheels differ). WHAT names what is fetched in the progress lines. Does
# nothing when FOLDER/lib already holds that wheel's files; on failure says
# why and returns 1, leaving what was there.
fetch_wheel() (
  pins=$1 target=$2 folder=$3 what=$4
  pin() { sed -n "s/^$1=//p" "$pins"; }
  fail() { echo "vardelmo: $1" >&2; exit 1; }
  package=$(pin "${target}_package") version=$(pin "${target}_version")
  [ -n "$package" ] || package=$(pin package)
  [ -n "$version" ] || version=$(pin version)
  members=$(pin "${target}_members") library=$(pin "${target}_library_file")
  [ -n "$members" ] || members=$(pin members)
  [ -n "$library" ] || library=$(pin library_file)
  file=$(pin "${target}_file") platform=$(pin "${target}_platform") expected=$(pin "${target}_sha256")
  if [ "$(cat "$folder/lib/.wheel-sha256" 2>/dev/null)" = "$expected" ]; then exit 0; fi

  python3 -m pip --version >/dev/null 2>&1 || install_missing python3-pip
  start=$SECONDS
  echo "vardelmo setup: fetching $what ($package $version wheel, $target) ..." >&2
  work=$(mktemp -d "${TMPDIR:-/tmp}/vardelmo-wheel.XXXXXX") || fail "no temporary folder"
  trap 'rm -rf "$work"' EXIT
  if ! python3 -m pip download --quiet --disable-pip-version-check --no-deps \
       --only-binary=:all: --platform "$platform" --python-version 3.11 --implementation cp \
       --abi cp311 --dest "$work" "$package==$version" >"$work/pip.log" 2>&1; then
    cat "$work/pip.log" >&2
    fail "could not download the package $package $version ($file) with pip"
  fi
  [ -f "$work/$file" ] || fail "pip did not deliver $file; it gave: $(ls "$work" | grep -v pip.log)"
  found=$(sha256sum "$work/$file" | cut -d' ' -f1)
  [ "$found" = "$expected" ] || fail "$file refused: its SHA-256 is $found, expected $expected"

  # Unpacked beside the final place and moved there in one step, so a
  # failure leaves no half-unpacked library behind.
  python3 - "$work/$file" "$members" "$work/lib" <<'PY' || fail "could not unpack $file"
import os, sys, zipfile
wheel, members, dest = sys.argv[1:]
os.makedirs(dest)
with zipfile.ZipFile(wheel) as archive:
    for entry in archive.infolist():
        if entry.filename.startswith(members) and not entry.is_dir():
            with archive.open(entry) as source, open(os.path.join(dest, os.path.basename(entry.filename)), "wb") as out:
                out.write(source.read())
PY
  compgen -G "$work/lib/$library" >/dev/null || fail "$file holds no $library"
  echo "$expected" >"$work/lib/.wheel-sha256" || fail "could not write into $work"
  mkdir -p "$folder" && rm -rf "$folder/lib" && mv "$work/lib" "$folder/lib" \
    || fail "could not move the library into $folder/lib"
  echo "vardelmo setup: fetching $what: done in $((SECONDS - start)) s" >&2
)
