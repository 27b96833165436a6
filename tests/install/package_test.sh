#!/usr/bin/env bash
# Installs turnfan into a temporary root, builds its Debian package, checks what
# both hold, and runs the packaged binary on a private X server.
# usage: package_test.sh BUILD_DIR SHELL_E2E_TEST_BINARY
set -euo pipefail
build=$1
shell_e2e=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$tmp/root/usr" >/dev/null
for f in bin/turnfan share/applications/turnfan.desktop share/man/man1/turnfan.1; do
  [ -f "$tmp/root/usr/$f" ] || fail "cmake --install did not install $f"
done
[ -x "$tmp/root/usr/bin/turnfan" ] || fail "the installed turnfan is not executable"
grep -q "^\.SH CONTROLS" "$tmp/root/usr/share/man/man1/turnfan.1" || fail "the man page lists no controls"

(cd "$tmp" && cpack --config "$build/CPackConfig.cmake" -B "$tmp/pkg" >/dev/null)
deb=$(ls "$tmp"/pkg/*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
grep -q 'libsdl1\.2' <<<"$depends" || fail "Depends does not name SDL 1.2"
grep -q 'libglu1' <<<"$depends" || fail "Depends does not name GLU"
grep -Eq 'libgl1|libopengl0' <<<"$depends" || fail "Depends does not name OpenGL"
contents=$(dpkg-deb -c "$deb")
grep -q '\./usr/bin/turnfan$' <<<"$contents" || fail "the package has no /usr/bin/turnfan"

dpkg-deb -x "$deb" "$tmp/pkgroot"
TURNFAN_BINARY="$tmp/pkgroot/usr/bin/turnfan" "$shell_e2e" --gtest_filter='Shell.WindowCloseQuitsWithStatusZero'
