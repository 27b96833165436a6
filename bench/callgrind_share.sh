#!/usr/bin/env bash
# Share of a callgrind profile's instructions in turnfan's own code: the self cost (inlined
# helpers included) of the text symbols defined in the libraries that src/*/CMakeLists.txt define.
# usage: bench/callgrind_share.sh BUILD_DIR CALLGRIND_OUT FRAMES [--functions]
# Prints per frame: all, own, own %, own with all of libm % (a bound for the maths it asks for),
# draw_frame and process_events inclusive; --functions lists each own function's self and inclusive.
set -euo pipefail
build=$1 out=$2 frames=$3 list=${4:-}
names=$(sed -n 's/^add_library(\(turnfan_[a-z_]*\) STATIC.*/\1/p' "$(dirname "$0")"/../src/*/CMakeLists.txt)
[ -n "$names" ] && [ -f "$out" ] || { echo "callgrind_share.sh: no libraries in src/, or no $out" >&2; exit 1; }
symbols=$(for name in $names; do
  nm -C --defined-only "$build"/src/*/lib"$name".a || { echo "callgrind_share.sh: no lib$name.a" >&2; exit 1; }
done | awk '$2 ~ /^[tTwW]$/ { sub(/^[0-9a-f]+ [tTwW] /, ""); print }' | sort -u)
costs() { callgrind_annotate --threshold=100 --auto=no --show-percs=no --inclusive="$1" "$out"; }

# Lines "COST  file:function [object]", a function once for each file its code came from, the object on its first.
awk -v list="$symbols" -v frames="$frames" -v show="$list" '
  BEGIN { n = split(list, s, "\n"); for (i = 1; i <= n; ++i) own[s[i]] = 1 }
  !match($0, /^ *[0-9,]+  [^:]*:/) { next }
  {
    cost = $1; gsub(/,/, "", cost); fn = substr($0, RLENGTH + 1)
    if (match(fn, / \[.*\]$/)) {
      object = substr(fn, RSTART + 2, RLENGTH - 3)
      obj[fn = substr(fn, 1, RSTART - 1)] = object
    }
  }
  FNR == NR { self[fn] += cost; total += cost; next }
  { inclusive[fn] += cost }
  END {
    for (f in self) { if (f in own) project += self[f]; if (obj[f] ~ /\/libm\.so/) libm += self[f] }
    printf "%.0f %.0f %.4f %.4f %.0f %.0f\n", total / frames, project / frames, 100 * project / total,
      100 * (project + libm) / total, inclusive["draw_frame()"] / frames, inclusive["process_events()"] / frames
    if (show == "--functions")
      for (f in self) if (f in own && self[f] > 0)
        printf "%10.1f %12.1f  %s\n", self[f] / frames, inclusive[f] / frames, f | "sort -rn"
  }' <(costs no) <(costs yes)
