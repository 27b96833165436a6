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

# "fn=" starts a function's self cost lines; the cost line after "calls=" is the
# inclusive cost of that call. Names may be compressed to "(id)" after their first use.
awk -v list="$symbols" -v frames="$frames" -v show="$list" '
  BEGIN { n = split(list, s, "\n"); for (i = 1; i <= n; ++i) own[s[i]] = 1 }
  function name(kind, text,    id) {
    if (match(text, /^\([0-9]+\)/)) {
      id = substr(text, 1, RLENGTH); text = substr(text, RLENGTH + 2)
      if (text != "") names[kind, id] = text; else text = names[kind, id]
    }
    return text
  }
  /^ob=/ { ob = name("ob", substr($0, 4)); next }
  /^fn=/ { fn = name("fn", substr($0, 4)); obj[fn] = ob; next }
  /^c(ob|fn)=/ { name(substr($0, 2, 2), substr($0, 5)); next }
  /^calls=/ { in_call = 1; next }
  /^[0-9+*-]/ { if (in_call) { called[fn] += $2; in_call = 0 } else { self[fn] += $2; total += $2 }; next }
  END {
    for (f in self) { if (f in own) project += self[f]; if (obj[f] ~ /\/libm\.so/) libm += self[f] }
    printf "%.0f %.0f %.4f %.4f %.0f %.0f\n", total / frames, project / frames, 100 * project / total,
      100 * (project + libm) / total, (self["draw_frame()"] + called["draw_frame()"]) / frames,
      (self["process_events()"] + called["process_events()"]) / frames
    if (show == "--functions")
      for (f in self) if (f in own && self[f] > 0)
        printf "%10.1f %12.1f  %s\n", self[f] / frames, (self[f] + called[f]) / frames, f | "sort -rn"
  }' "$out"
