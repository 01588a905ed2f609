#!/usr/bin/env bash
# The Debian package on a machine that has never seen Vardelmo: a fresh
# Debian 12 root (debootstrap's minbase: no compiler, no locales, so no
# pt_BR.UTF-8) gets the package through apt, then the installed program,
# started by name from a folder of its own with a bare environment, solves
# a batch with SCIP and converts a MathProg model. Its output must be the
# build's own program's, run on this machine, byte for byte (times masked),
# and its files those of the build's program.
# Usage: tests/package/deb_test.sh DEB BUILD_FOLDER
# The root as debootstrap leaves it is kept in BUILD_FOLDER/packages-cache
# (debootstrap runs once per build folder); every test unpacks a new copy.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
. "$root/scripts/lib.sh"
deb=$(realpath "$1") build=$(realpath "$2")
cache="$build/packages-cache"
fail() { echo "deb_test: FAILED: $*" >&2; exit 1; }

install_missing debootstrap
mkdir -p "$cache"
if [ ! -f "$cache/debian12-root.tar" ]; then
  make_root() {
    local fresh="$cache/debootstrap"
    rm -rf "$fresh" &&
      debootstrap --variant=minbase bookworm "$fresh" "$(debian_mirror)" &&
      tar -C "$fresh" -cf "$cache/debian12-root.tar.part" . &&
      mv "$cache/debian12-root.tar.part" "$cache/debian12-root.tar" &&
      rm -rf "$fresh"
  }
  step "making a Debian 12 root with debootstrap (once)" make_root
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/vardelmo-deb-test.XXXXXX")
machine="$work/machine"
cleanup() {
  umount "$machine/proc" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir "$machine"
tar -C "$machine" -xf "$cache/debian12-root.tar"
mount -t proc proc "$machine/proc"
cp /etc/resolv.conf "$machine/etc/resolv.conf"
inside() { chroot "$machine" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin "$@"; }

# Nothing that builds, and no Portuguese locale: the machine of the test.
for tool in cc gcc g++ cmake make; do
  ! inside sh -c "command -v $tool" >/dev/null || fail "the fresh root has $tool"
done
! inside sh -c 'locale -a 2>/dev/null | grep -qi pt_BR' || fail "the fresh root has pt_BR"

start=$SECONDS
cp "$deb" "$machine/tmp/"
install_deb() {
  inside apt-get update -qq &&
    inside env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
      "/tmp/$(basename "$deb")"
}
step "installing $(basename "$deb") into the fresh root" install_deb
[ "$(inside sh -c 'command -v vardelmo')" = /usr/bin/vardelmo ] || fail "vardelmo is not /usr/bin/vardelmo"

test_name=deb_test
. "$root/tests/package/session.sh"
lay_out_session "$machine/srv"
session_input /srv >"$machine/srv/entrada"
run_start=$SECONDS
inside sh -c 'cd /srv/inicio && vardelmo </srv/entrada >/srv/saida.txt 2>/srv/erros.txt; echo $? >/srv/status'
inside vardelmo --version >"$work/version.txt"
run_time=$((SECONDS - run_start))
total_time=$((SECONDS - start))

reference="$work/reference"
lay_out_session "$reference"
session_input "$reference" >"$reference/entrada"
(cd "$reference/inicio" && env -i PATH=/usr/bin:/bin "$build/vardelmo" <"$reference/entrada" \
  >"$reference/saida.txt" 2>"$reference/erros.txt") || fail "the build's program failed"

check_session "$machine/srv" "$reference" "$reference" /srv
check "--version" "$(expected_version "$build")" "$(cat "$work/version.txt")"
[ "$session_result" = 0 ] || fail "the installed program does not behave as the build's"
echo "deb_test: passed: installed and ran on a fresh Debian 12 root in ${total_time} s (the session ${run_time} s)" >&2
