#!/usr/bin/env bash
# The site that scripts/build-web leaves in BUILD_DIR/site and its zip: the page,
# the program and its licence, nothing else, the same in both; and the page, the
# JavaScript and the WebAssembly, each gzipped, at most 120 KB together.
# usage: site_test.sh BUILD_DIR
set -euo pipefail
build=$1
fail() { echo "FAIL: $*"; exit 1; }

site=$build/site
files=$(cd "$site" && find . -type f | sort | tr '\n' ' ')
[ "$files" = "./LICENSE.txt ./index.html ./turnfan.js ./turnfan.wasm " ] || fail "the site holds $files"
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
zip=$(ls "$build"/turnfan-*-web.zip)
(cd "$unpacked" && cmake -E tar xf "$zip")
diff -r "$site" "$unpacked" || fail "$(basename "$zip") is not the site"

total=0
for f in index.html turnfan.js turnfan.wasm; do
  size=$(gzip -9c "$site/$f" | wc -c)
  echo "$f: $(wc -c <"$site/$f") bytes, $size gzipped"
  total=$((total + size))
done
echo "together $total bytes gzipped"
[ "$total" -le $((120 * 1024)) ] || fail "over the 120 KB budget"
