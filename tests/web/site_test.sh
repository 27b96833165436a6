#!/usr/bin/env bash
# The site that scripts/build-web leaves in BUILD_DIR/site and its zip: the page, its script, the program, the manifest
# and its icons, the service worker and the licence, nothing else, the same in both; the worker's cache named after
# these very files; the site's code (page, JavaScript, WebAssembly, manifest, worker) gzipped, 130 KB at most.
# usage: site_test.sh BUILD_DIR
set -euo pipefail
build=$1
fail() { echo "FAIL: $*"; exit 1; }

site=$build/site
# The worker keeps every other file, the code first, in a cache named after them (web/site_version.cmake).
kept=(index.html page.js turnfan.js turnfan.wasm manifest.webmanifest LICENSE.txt icon-192.png icon-512.png)
files=$(cd "$site" && find . -type f | sort | tr '\n' ' ')
[ "$files" = "$(printf './%s\n' "${kept[@]}" sw.js | sort | tr '\n' ' ')" ] || fail "the site holds $files"
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
zip=$(ls "$build"/turnfan-*-web.zip)
(cd "$unpacked" && cmake -E tar xf "$zip")
diff -r "$site" "$unpacked" || fail "$(basename "$zip") is not the site"

version=$(cd "$site" && sha256sum "${kept[@]}" | sha256sum | cut -c1-16)
grep -q "^var CACHE = \"turnfan-$version\";" "$site/sw.js" || fail "sw.js does not name its cache after the site's files"
for f in "${kept[@]}"; do grep -q "\"$f\"" "$site/sw.js" || fail "sw.js does not keep $f"; done

total=0
for f in "${kept[@]:0:5}" sw.js; do
  size=$(gzip -9c "$site/$f" | wc -c)
  echo "$f: $(wc -c <"$site/$f") bytes, $size gzipped"
  total=$((total + size))
done
echo "together $total bytes gzipped"
[ "$total" -le $((130 * 1024)) ] || fail "over the 130 KB budget"
