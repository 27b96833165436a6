#!/usr/bin/env bash
# Makes the zip as scripts/build-windows does and unpacks it into DEST, where the end-to-end tests run its exe. The zip
# must hold the exe, the README, the program's licence and SDL's and nothing else, and the exe may need no DLL but
# Windows' own; the exe carries its icon, version and manifest, and the README names the sources shipped beside it.
# usage: zip_test.sh BUILD_DIR DEST OBJDUMP
set -euo pipefail
build=$1 dest=$2 objdump=$3
fail() { echo "FAIL: $*"; exit 1; }
for tool in wrestool icotool; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool (icoutils) is not installed"; exit 77; }
done

(cd "$build" && cpack -G ZIP >/dev/null)
zip=$(cd "$build" && ls "$PWD"/turnfan-*-win64.zip)
top=$(basename "$zip" .zip)
rm -rf "$dest" && mkdir -p "$dest"
(cd "$dest" && cmake -E tar xf "$zip")
files=$(cd "$dest" && find . -type f | sort | tr '\n' ' ')
[ "$files" = "./$top/LICENSE.txt ./$top/README.txt ./$top/SDL-COPYING.txt ./$top/turnfan.exe " ] ||
  fail "$(basename "$zip") holds $files"
grep -q "^MIT License" "$dest/$top/LICENSE.txt" || fail "LICENSE.txt is not the program's licence"
grep -q "GNU LESSER GENERAL PUBLIC LICENSE" "$dest/$top/SDL-COPYING.txt" || fail "SDL-COPYING.txt is not the LGPL"
version=${top#turnfan-}
version=${version%-win64}
readme=$(tr -d '\r' <"$dest/$top/README.txt")
for source in "turnfan-$version.tar.gz" "$(cat "$build/sdl/prefix/source.name")" \
  "sha256 $(cat "$build/sdl/prefix/source.sha256")" "TURNFAN_SDL_SOURCE="; do
  grep -qF "$source" <<<"$readme" || fail "README.txt does not say $source"
done

# Explorer's icon and the window's (SDL 1.2 loads the one named SDL_app), the
# version in Properties > Details, and the manifest.
exe=$dest/$top/turnfan.exe
wrestool --extract --type=14 --name=SDL_APP --output="$dest/icon.ico" "$exe" || fail "turnfan.exe has no icon SDL_app"
sizes=$(icotool --list "$dest/icon.ico" | sed -n 's/.*--width=\([0-9]*\) --height=\1.*/\1/p' | sort -n | tr '\n' ' ')
[ "$sizes" = "16 24 32 48 64 128 256 " ] || fail "the icon has the sizes $sizes"
details=$(wrestool --extract --type=16 --raw "$exe" | strings -el -n3 | tr '\n' '|')
for pair in "ProductName|turnfan|" "ProductVersion|$version|" "FileVersion|$version|" "FileDescription|turnfan: " \
  "LegalCopyright|Copyright 2026 turnfan developers. MIT licence; SDL 1.2 inside under the GNU LGPL 2.1|"; do
  [[ $details == *"|$pair"* ]] || fail "the version resource does not hold $pair"
done
manifest=$(wrestool --extract --type=24 --raw "$exe")
grep -q 'requestedExecutionLevel level="asInvoker"' <<<"$manifest" && grep -q '>false</dpiAware>' <<<"$manifest" ||
  fail "the manifest does not ask for the invoker's rights and no DPI awareness"

system_dlls=" advapi32.dll gdi32.dll glu32.dll kernel32.dll msvcrt.dll opengl32.dll user32.dll winmm.dll "
dlls=$("$objdump" -p "$dest/$top/turnfan.exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
for dll in $dlls; do
  [[ $system_dlls == *" $dll "* ]] || fail "turnfan.exe needs $dll, which Windows does not have"
done
echo "$(basename "$zip"): ${files% }; turnfan.exe needs only $(echo $dlls); icon sizes ${sizes% }"
