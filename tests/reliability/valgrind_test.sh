#!/usr/bin/env bash
# The real viewer under memcheck on a private X server, driven by the guided tour (keys, both modes, rotating, Shift and
# Ctrl drags, then a window close). Fails unless the viewer ends with status 0 and memcheck reports no error and no leak
# beyond the suppressions for the libraries underneath.
# usage: valgrind_test.sh VIEWER TOUR SUPPRESSIONS OUT_DIR
set -euo pipefail
# montage (ImageMagick): the tour ends with its contact sheet and fails without it.
for tool in valgrind Xvfb montage; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
viewer=$1 tour=$2 suppressions=$3 out=$4
mkdir -p "$out"
log=$out/memcheck.log wrapper=$out/viewer-under-memcheck
# --keep-debuginfo: Mesa unloads its driver before the leak check, which must still name it.
cat >"$wrapper" <<WRAPPER
#!/bin/sh
exec valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite,indirect \\
  --errors-for-leak-kinds=definite,indirect --keep-debuginfo=yes --num-callers=40 -s \\
  --suppressions='$suppressions' --log-file='$log' '$viewer' "\$@"
WRAPPER
chmod +x "$wrapper"

"$tour" "$wrapper" "$out/tour"
echo "memcheck (full log: $log):"
grep -E 'ERROR SUMMARY|definitely lost:|indirectly lost:|possibly lost:|used_suppression' "$log" | sed 's/^[=-]*[0-9]*[=-]*/ /' | awk '!seen[$0]++'
errors=$(sed -n 's/.*ERROR SUMMARY: \([0-9,]*\) errors.*/\1/p' "$log" | tail -n 1 | tr -d ,)
[ "$errors" = 0 ] || { echo "FAIL: memcheck found $errors errors"; exit 1; }
