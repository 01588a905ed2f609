#!/usr/bin/env bash
# The Windows zip as a user gets it: unpacked into an empty folder, the
# program, started under Wine from an unrelated folder, solves a batch with
# SCIP and converts a MathProg model, exactly as the Windows build's own
# program does (times masked), and --version names the wheel's SCIP.
# Usage: tests/package/zip_test.sh ZIP WINDOWS_BUILD_FOLDER
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
zip=$(realpath "$1") build=$(realpath "$2")
fail() { echo "zip_test: FAILED: $*" >&2; exit 1; }
work=$(mktemp -d "${TMPDIR:-/tmp}/vardelmo-zip-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
wine_run() { "$root/cmake/run-with-wine" "$build/wine-prefix" "$@"; }

mkdir "$work/unpacked"
python3 -m zipfile -e "$zip" "$work/unpacked"
[ -f "$work/unpacked/vardelmo.exe" ] || fail "no vardelmo.exe at the top of the zip"

test_name=zip_test
. "$root/tests/package/session.sh"
# run PROGRAM FOLDER: the session, from FOLDER/inicio, with FOLDER as Wine
# sees it (drive Z: is the machine's root).
run() {
  lay_out_session "$2"
  session_input "Z:$2" >"$2/entrada"
  (cd "$2/inicio" && wine_run "$1" <"$2/entrada" >"$2/saida.txt" 2>"$2/erros.txt"; echo $? >"$2/status")
}
start=$SECONDS
run "$work/unpacked/vardelmo.exe" "$work/packaged"
(cd "$work/packaged/inicio" && wine_run "$work/unpacked/vardelmo.exe" --version) >"$work/version.txt"
run_time=$((SECONDS - start))
run "$build/bin/vardelmo.exe" "$work/reference"

check_session "$work/packaged" "$work/reference" "Z:$work/reference" "Z:$work/packaged"
check "--version" "$(expected_version "$build")" "$(tr -d '\r' <"$work/version.txt")"
[ "$session_result" = 0 ] || fail "the unpacked program does not behave as the build's"
echo "zip_test: passed: the unpacked program ran in ${run_time} s" >&2
