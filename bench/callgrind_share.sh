#!/usr/bin/env bash
# Share of a callgrind profile's instructions spent in turnfan's own code.
#
# usage: bench/callgrind_share.sh BUILD_DIR CALLGRIND_OUT FRAMES [--functions]
#
# A function is the project's when it is a text symbol defined in one of the
# static libraries that src/*/CMakeLists.txt define (nm over each one's archive in
# the build; the script stops if one is missing or unreadable); its self cost is counted, and with it
# whatever the compiler inlined into it. Prints one line of figures per frame:
#   total  project  project-share%  project+libm-share%  draw_frame-inclusive  process_events-inclusive
# where project+libm adds all of the C maths library's self cost (an upper
# bound for the sine, cosine, arcsine and square roots the project calls; Mesa
# calls some of it too). --functions then lists each project function's self
# and inclusive cost per frame (inclusive: with everything it calls, GL too).
set -euo pipefail
build=$1 out=$2 frames=$3 list=${4:-}

src=$(dirname "$0")/../src
names=$(sed -n 's/^add_library(\(turnfan_[a-z_]*\) STATIC.*/\1/p' "$src"/*/CMakeLists.txt)
[ -n "$names" ] || { echo "callgrind_share.sh: no libraries in $src/*/CMakeLists.txt" >&2; exit 1; }
[ -f "$out" ] || { echo "callgrind_share.sh: no profile $out" >&2; exit 1; }
symbols=$(for name in $names; do
  lib=$(echo "$build"/src/*/lib"$name".a)
  nm -C --defined-only "$lib" || { echo "callgrind_share.sh: nm could not read $lib" >&2; exit 1; }
done | awk '$2 ~ /^[tTwW]$/ { sub(/^[0-9a-f]+ [tTwW] /, ""); print }' | sort -u)

# Reads the profile itself: "fn=" starts a function's cost lines (self cost);
# the cost line after "calls=" is the inclusive cost of that call. Names and
# objects may be compressed to "(id)" after their first appearance.
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
  /^cob=/ { name("ob", substr($0, 5)); next }
  /^cfn=/ { name("fn", substr($0, 5)); next }
  /^calls=/ { in_call = 1; next }
  /^[0-9+*-]/ {
    if (in_call) { called[fn] += $2; in_call = 0 } else { self[fn] += $2; total += $2 }
    next
  }
  END {
    for (f in self) {
      if (f in own) project += self[f]
      if (obj[f] ~ /\/libm\.so/) libm += self[f]
    }
    printf "%.0f %.0f %.4f %.4f %.0f %.0f\n", total / frames, project / frames, 100 * project / total,
      100 * (project + libm) / total, (self["draw_frame()"] + called["draw_frame()"]) / frames,
      (self["process_events()"] + called["process_events()"]) / frames
    if (show == "--functions")
      for (f in self) if (f in own && self[f] > 0)
        printf "%10.1f %12.1f  %s\n", self[f] / frames, (self[f] + called[f]) / frames, f | "sort -rn"
  }' "$out"
