#!/usr/bin/env bash
# Makes the zip as scripts/build-windows does and unpacks it into DEST, where
# the end-to-end tests run its exe. The zip must hold the exe, the README, the
# program's licence and SDL's and nothing else, and the exe may need no DLL but Windows' own.
# usage: zip_test.sh BUILD_DIR DEST OBJDUMP
set -euo pipefail
build=$1
dest=$2
objdump=$3
fail() { echo "FAIL: $*"; exit 1; }

(cd "$build" && cpack -G ZIP >/dev/null)
zip=$(cd "$build" && ls "$PWD"/turnfan-*-win64.zip)
top=$(basename "$zip" .zip)
rm -rf "$dest"
mkdir -p "$dest"
(cd "$dest" && cmake -E tar xf "$zip")
files=$(cd "$dest" && find . -type f | sort | tr '\n' ' ')
[ "$files" = "./$top/LICENSE.txt ./$top/README.md ./$top/SDL-COPYING.txt ./$top/turnfan.exe " ] ||
  fail "$(basename "$zip") holds $files"
grep -q "^MIT License" "$dest/$top/LICENSE.txt" || fail "LICENSE.txt is not the program's licence"
grep -q "GNU LESSER GENERAL PUBLIC LICENSE" "$dest/$top/SDL-COPYING.txt" || fail "SDL-COPYING.txt is not the LGPL"

system_dlls=" advapi32.dll gdi32.dll glu32.dll kernel32.dll msvcrt.dll opengl32.dll user32.dll winmm.dll "
dlls=$("$objdump" -p "$dest/$top/turnfan.exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
for dll in $dlls; do
  [[ $system_dlls == *" $dll "* ]] || fail "turnfan.exe needs $dll, which Windows does not have"
done
echo "$(basename "$zip"): ${files% }; turnfan.exe needs only $(echo $dlls)"
