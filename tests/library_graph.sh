#!/usr/bin/env bash
# The product libraries call only downwards: every symbol one of them leaves undefined and another defines must come
# from a library below it, so the graph has no circle and needs no link group.
# usage: library_graph.sh NAME=ARCHIVE ...   (NAME: math, state, input, render, shell)
set -euo pipefail

declare -A below=(
  [math]=""
  [state]=""
  [input]="state math"
  [render]="state math"
  [shell]="input render state math"
)
declare -A archive
for arg in "$@"; do archive[${arg%%=*}]=${arg#*=}; done

symbols() { nm "$1" "${archive[$2]}" 2>/dev/null | awk '{ print $NF }' | sort -u; }
fail=0 edges=0
for user in "${!archive[@]}"; do
  for owner in "${!archive[@]}"; do
    [ "$user" = "$owner" ] && continue
    shared=$(comm -12 <(symbols -u "$user") <(symbols --defined-only "$owner" | grep -v '^[0-9a-f]*$'))
    [ -z "$shared" ] && continue
    edges=$((edges + 1))
    if [[ " ${below[$user]} " != *" $owner "* ]]; then
      echo "FAIL: $user calls up into $owner:" $shared
      fail=1
    fi
  done
done
echo "$edges uses between libraries checked"
[ "$edges" -ge 7 ] || { echo "FAIL: fewer uses than the program has; are the archives right?"; exit 1; }
exit $fail
