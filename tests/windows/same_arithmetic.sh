#!/usr/bin/env bash
# Runs the arithmetic sweep as built for Linux and as built for another platform
# (under Wine, whose console ends lines with CR LF, or as WebAssembly in node) and
# fails on any line that differs.
# usage: same_arithmetic.sh LINUX_SWEEP RUNNER OTHER_SWEEP    (RUNNER: wine, node)
set -euo pipefail
linux=$(mktemp)
other=$(mktemp)
trap 'rm -f "$linux" "$other"' EXIT
"$1" >"$linux" &
linux_pid=$!
"$2" "$3" | tr -d '\r' >"$other"
wait "$linux_pid"
if [ -s "$linux" ] && diff "$linux" "$other"; then
  echo "The same $(wc -l <"$linux") lines of hashes on both."
else
  echo "The float results under $(basename "$2") differ from the Linux build's (< Linux, > $(basename "$2"))."
  exit 1
fi
