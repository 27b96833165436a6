#!/usr/bin/env bash
# Checks an install with a packager's and a software centre's tools; runs the other tests with those tools and the X
# servers hidden; makes the .deb twice and compares the bytes; checks it and runs its /usr/bin/turnfan, installed with
# dpkg into a throwaway copy of this system where that is allowed.
# usage: package_test.sh SOURCE_DIR BUILD_DIR E2E_TEST_BINARY GTEST_FILTER
#   (the end-to-end case that runs the installed viewer; it must run and pass)
set -euo pipefail
app_id=org.example.turnfan

# Run by the test itself in a private mount namespace: dpkg installs the package into a throwaway copy of this system
# (an overlay over /, thrown away with the namespace), and the viewer runs from there as a user would start it.
if [ "${1:-}" = --in-throwaway-root ]; then
  tmp=$2 deb=$3 build=$4 e2e=$5 filter=$6
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
  chroot "$sys" env TURNFAN_BINARY=/usr/bin/turnfan "$e2e" --gtest_filter="$filter"
  exit
fi

source=$1 build=$2 e2e=$3 filter=$4
for tool in Xvfb dpkg-deb lintian mandoc man desktop-file-validate appstreamcli rsvg-convert; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
[ -x /usr/libexec/appstreamcli-compose ] || { echo "skipped: appstream-compose is not installed"; exit 77; }

tmp=$(mktemp -d)
trap 'rm -rf --one-file-system "$tmp"' EXIT

fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$tmp/root/usr" >/dev/null
for f in bin/turnfan share/applications/$app_id.desktop share/metainfo/$app_id.metainfo.xml \
  share/man/man1/turnfan.1.gz share/icons/hicolor/scalable/apps/$app_id.svg \
  share/icons/hicolor/48x48/apps/$app_id.png share/icons/hicolor/256x256/apps/$app_id.png \
  share/doc/turnfan/copyright share/doc/turnfan/changelog.gz share/doc/turnfan/LICENSE; do
  [ -f "$tmp/root/usr/$f" ] || fail "cmake --install did not install $f"
done
[ -x "$tmp/root/usr/bin/turnfan" ] || fail "the installed turnfan is not executable"
file -b "$tmp/root/usr/share/icons/hicolor/48x48/apps/$app_id.png" | grep -q '^PNG image data, 48 x 48,' ||
  fail "the 48x48 icon is no 48 by 48 PNG"
man_page=$tmp/root/usr/share/man/man1/turnfan.1.gz
zgrep -q "^\.SH CONTROLS" "$man_page" || fail "the man page lists no controls"
lint=$(mandoc -Tlint "$man_page" 2>&1) || true
[ -z "$lint" ] || fail "mandoc -Tlint: $lint"
# The start-up line as a reader sees it: whole, on a line of its own.
MANWIDTH=80 LC_ALL=C.UTF-8 man -l "$man_page" | grep -qx ' *initializing display to N-bit 640 by 480' ||
  fail "the man page does not show the display line as the program prints it"
entry=$(desktop-file-validate "$tmp/root/usr/share/applications/$app_id.desktop" 2>&1) || true
[ -z "$entry" ] || fail "desktop-file-validate: $entry"
grep -qx "Icon=$app_id" "$tmp/root/usr/share/applications/$app_id.desktop" || fail "the desktop entry names no icon"

# What a software centre reads: the metainfo, valid even by the pedantic rules, and the catalogue that the
# distribution's tools make of the installed tree. AppStream 1.0 wants <developer> for the <developer_name> it
# deprecates; 0.16 (Debian 12) predates that tag, and its note that it does not know it is the one note allowed.
metainfo=$(LC_ALL=C.UTF-8 appstreamcli validate --no-net --pedantic --no-color \
  "$tmp/root/usr/share/metainfo/$app_id.metainfo.xml" 2>&1) || fail "appstreamcli validate: $metainfo"
grep -q '^✔ Validation was successful' <<<"$metainfo" &&
  ! grep -v -e '^$' -e '^✔ Validation was successful' -e '^I: [^ ]*: unknown-tag developer$' <<<"$metainfo" ||
  fail "appstreamcli validate: $metainfo"
appstreamcli compose --no-color --origin=turnfan --prefix=/usr --result-root="$tmp/catalogue" "$tmp/root" >/dev/null ||
  fail "appstreamcli compose failed"
catalogue=$(zcat "$tmp/catalogue/usr/share/swcatalog/xml/turnfan.xml.gz")
grep -q "<id>$app_id</id>" <<<"$catalogue" || fail "the catalogue does not list turnfan"
grep -q "<icon type=\"cached\" width=\"64\" height=\"64\">$app_id.png</icon>" <<<"$catalogue" &&
  [ -f "$tmp/catalogue/usr/share/swcatalog/icons/turnfan/64x64/$app_id.png" ] ||
  fail "the catalogue has no icon for turnfan"

# A packager's build machine: no X server, compositor, Wine, browser or packaging
# tool on PATH. Every other test passes or skips, saying why; none fails for it.
hidden=" Xvfb Xwayland Xorg weston wine wine64 chromium node npm lintian mandoc man dpkg-deb desktop-file-validate
  appstreamcli rsvg-convert icotool wrestool valgrind convert montage xvfb-run "
mkdir "$tmp/path"
IFS=: read -ra dirs <<<"$PATH"
for dir in "${dirs[@]}"; do
  for tool in "$dir"/*; do
    [ -x "$tool" ] && [[ $hidden != *[[:space:]]"${tool##*/}"[[:space:]]* ]] && [ ! -e "$tmp/path/${tool##*/}" ] &&
      ln -s "$tool" "$tmp/path/"
  done
done
# The test lists copied, so that this run keeps its records apart from the run it is part of.
mkdir "$tmp/tests" && (cd "$build" && find . -name CTestTestfile.cmake -exec cp --parents {} "$tmp/tests/" \;)
env -u DISPLAY -u WAYLAND_DISPLAY PATH="$tmp/path" ctest --test-dir "$tmp/tests" -E '^install\.package_runs$' -LE style \
  -j 2 >"$tmp/ctest.log" 2>&1 || { cat "$tmp/ctest.log"; fail "ctest without the tools failed"; }
skipped=$(grep -c '(Skipped)$' "$tmp/ctest.log") || fail "ctest without the tools skipped nothing"
echo "ctest without the tools: $(grep 'tests passed' "$tmp/ctest.log"); $skipped skipped"

# The release's .deb, made twice: the same bytes under another umask, time zone and folder.
(umask 002 && TZ=Pacific/Kiritimati TURNFAN_RELEASE_DIR=$tmp/release "$source/scripts/release" deb >/dev/null) ||
  fail "scripts/release deb failed"
(umask 077 && TZ=America/Anchorage TURNFAN_RELEASE_DIR=$tmp/again/release "$source/scripts/release" deb >/dev/null) ||
  fail "scripts/release deb failed the second time"
deb=$(ls "$tmp"/release/*.deb)
cmp "$deb" "$tmp/again/release/$(basename "$deb")" || fail "two builds of the .deb differ"
# The source tarball it was built from (in a git checkout): the same bytes too, and
# every folder with an entry of its own, so that none takes the date of the unpacking.
for tarball in "$tmp"/release/*.tar.gz; do
  [ -f "$tarball" ] || continue
  cmp "$tarball" "$tmp/again/release/$(basename "$tarball")" || fail "two builds of the source tarball differ"
  folders=$(tar -tzf "$tarball" | awk -F/ '{ p = $1; need[p "/"]; for (i = 2; i < NF; ++i) need[(p = p "/" $i) "/"] }
    /\/$/ { have[$0] } END { for (d in need) if (!(d in have)) print d }')
  [ -z "$folders" ] || fail "the source tarball has no entry for the folders" $folders
done

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# SDL 1.2, GLU, OpenGL, and libgl1 itself: SDL 1.2 loads libGL.so.1 at run time, so no linked library names it.
for package in 'libsdl1\.2' libglu1 'libgl1|libopengl0' '(^|, )libgl1($|[ ,])'; do
  grep -Eq "$package" <<<"$depends" || fail "Depends does not name $package"
done
contents=$(dpkg-deb -c "$deb")
grep -q '\./usr/bin/turnfan$' <<<"$contents" || fail "the package has no /usr/bin/turnfan"
lintian --display-info --pedantic --display-experimental --fail-on error,warning,info,pedantic,experimental "$deb" \
  2>/dev/null || fail "lintian reports tags"

# Mounting over / is for a root that owns the machine: never inside a package build.
if [ "$(id -u)" -eq 0 ] && [ -z "${DEB_HOST_ARCH:-}${RPM_BUILD_ROOT:-}${FAKEROOTKEY:-}" ]; then
  unshare --mount --propagation private --fork bash "${BASH_SOURCE[0]}" --in-throwaway-root \
    "$tmp" "$deb" "$(realpath "$build")" "$(realpath "$e2e")" "$filter" >"$tmp/run.log" 2>&1 || true
else
  echo "not root, or inside a package build: running the unpacked package instead of installing it"
  dpkg-deb -x "$deb" "$tmp/pkgroot"
  TURNFAN_BINARY="$tmp/pkgroot/usr/bin/turnfan" "$e2e" --gtest_filter="$filter" >"$tmp/run.log" 2>&1 || true
fi
cat "$tmp/run.log"
grep -qx '\[  PASSED  \] 1 test\.' "$tmp/run.log" || fail "the packaged viewer did not pass $filter"
