#!/usr/bin/env bash
# Installs turnfan into a temporary root, builds its Debian package, checks what
# both hold with the tools a packager uses, installs the package and runs the
# installed /usr/bin/turnfan on a private X server.
# usage: package_test.sh BUILD_DIR SHELL_E2E_TEST_BINARY
set -euo pipefail
build=$1
shell_e2e=$2
window_close=--gtest_filter=Shell.WindowCloseQuitsWithStatusZero

# Run by the test itself in a private mount namespace: dpkg installs the package
# into a throwaway copy of this system (an overlay over /, thrown away with the
# namespace), and the viewer runs from there as a user would start it.
if [ "${1:-}" = --in-throwaway-root ]; then
  tmp=$2 deb=$3 build=$4 shell_e2e=$5
  sys=$tmp/sys
  mkdir "$tmp/layer" "$sys"
  mount -t tmpfs tmpfs "$tmp/layer"
  mkdir "$tmp/layer/upper" "$tmp/layer/work"
  mount -t overlay overlay -o "lowerdir=/,upperdir=$tmp/layer/upper,workdir=$tmp/layer/work" "$sys"
  mount --rbind /dev "$sys/dev"
  mount -t proc proc "$sys/proc"
  mkdir -p "$sys$build" && mount --bind "$build" "$sys$build"
  cp "$deb" "$sys/tmp/turnfan.deb"
  chroot "$sys" dpkg -i /tmp/turnfan.deb >/dev/null
  [ "$(chroot "$sys" dpkg-query -W -f='${Status}' turnfan)" = "install ok installed" ] || exit 1
  chroot "$sys" env TURNFAN_BINARY=/usr/bin/turnfan "$shell_e2e" "$window_close"
  exit
fi

tmp=$(mktemp -d)
trap 'rm -rf --one-file-system "$tmp"' EXIT

fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$tmp/root/usr" >/dev/null
for f in bin/turnfan share/applications/turnfan.desktop share/man/man1/turnfan.1.gz \
  share/icons/hicolor/scalable/apps/turnfan.svg share/doc/turnfan/copyright share/doc/turnfan/changelog.gz; do
  [ -f "$tmp/root/usr/$f" ] || fail "cmake --install did not install $f"
done
[ -x "$tmp/root/usr/bin/turnfan" ] || fail "the installed turnfan is not executable"
man_page=$tmp/root/usr/share/man/man1/turnfan.1.gz
zgrep -q "^\.SH CONTROLS" "$man_page" || fail "the man page lists no controls"
lint=$(mandoc -Tlint "$man_page" 2>&1) || true
[ -z "$lint" ] || fail "mandoc -Tlint: $lint"
# The start-up line as a reader sees it: whole, on a line of its own.
MANWIDTH=80 LC_ALL=C.UTF-8 man -l "$man_page" | grep -qx ' *initializing display to N-bit 640 by 480' ||
  fail "the man page does not show the display line as the program prints it"
entry=$(desktop-file-validate "$tmp/root/usr/share/applications/turnfan.desktop" 2>&1) || true
[ -z "$entry" ] || fail "desktop-file-validate: $entry"
grep -qx 'Icon=turnfan' "$tmp/root/usr/share/applications/turnfan.desktop" || fail "the desktop entry names no icon"

(cd "$tmp" && cpack --config "$build/CPackConfig.cmake" -B "$tmp/pkg" >/dev/null)
deb=$(ls "$tmp"/pkg/*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
grep -q 'libsdl1\.2' <<<"$depends" || fail "Depends does not name SDL 1.2"
grep -q 'libglu1' <<<"$depends" || fail "Depends does not name GLU"
grep -Eq 'libgl1|libopengl0' <<<"$depends" || fail "Depends does not name OpenGL"
# SDL 1.2 loads libGL.so.1 at run time, so no linked library names it.
grep -Eq '(^|, )libgl1($|[ ,])' <<<"$depends" || fail "Depends does not name libgl1"
contents=$(dpkg-deb -c "$deb")
grep -q '\./usr/bin/turnfan$' <<<"$contents" || fail "the package has no /usr/bin/turnfan"
lintian --display-info --fail-on error,warning,info "$deb" || fail "lintian reports errors, warnings or info tags"

if [ "$(id -u)" -eq 0 ]; then
  unshare --mount --propagation private --fork bash "${BASH_SOURCE[0]}" --in-throwaway-root \
    "$tmp" "$deb" "$(realpath "$build")" "$(realpath "$shell_e2e")" || fail "the installed package did not run"
else
  echo "not root: running the unpacked package instead of installing it"
  dpkg-deb -x "$deb" "$tmp/pkgroot"
  TURNFAN_BINARY="$tmp/pkgroot/usr/bin/turnfan" "$shell_e2e" "$window_close"
fi
