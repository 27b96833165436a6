#!/usr/bin/env bash
# Runs the arithmetic sweep as built for Linux and as built for Windows (under
# Wine, whose console ends lines with CR LF) and fails on any line that differs.
# usage: same_arithmetic.sh LINUX_SWEEP WINDOWS_SWEEP    Environment: TURNFAN_WINE.
set -euo pipefail
linux=$(mktemp)
windows=$(mktemp)
trap 'rm -f "$linux" "$windows"' EXIT
"$1" >"$linux" &
linux_pid=$!
"$TURNFAN_WINE" "$2" | tr -d '\r' >"$windows"
wait "$linux_pid"
if [ -s "$linux" ] && diff "$linux" "$windows"; then
  echo "The same $(wc -l <"$linux") lines of hashes on both."
else
  echo "The Windows build's float results differ from the Linux build's (< Linux, > Windows)."
  exit 1
fi
