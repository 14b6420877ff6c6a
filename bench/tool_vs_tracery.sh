#!/usr/bin/env bash
# Songs per second of "lyrmak-tool write --count 100000" on the bundled data,
# against tracery-grammar (npm) expanding the same frames and word lists as
# many times, in the same run on the same machine. The tool is timed as a
# whole command (start-up, loading, writing to /dev/null); tracery only for
# its expansion loop. The tool takes the best of five runs, tracery the best
# of three (each takes seconds).
# LYRMAK_TOOL names a built tool to time; without it the tool is built in
# LYRMAK_BUILD_DIR (default: the default preset's build folder).
set -euo pipefail
cd "$(dirname "$0")/.."
count=100000
goal=50
tool=${LYRMAK_TOOL:-}
if [[ -z $tool ]]; then
    build=${LYRMAK_BUILD_DIR:-build}
    if [[ ! -f $build/CMakeCache.txt ]]; then
        cmake --preset default >/dev/null
    fi
    cmake --build "$build" --target lyrmak-tool >/dev/null
    tool=$build/app/lyrmak-tool
fi

best=
for _ in 1 2 3 4 5; do
    start=$(date +%s%N)
    "$tool" write --count "$count" --seed 1 data >/dev/null
    ns=$(($(date +%s%N) - start))
    if [[ -z $best || $ns -lt $best ]]; then best=$ns; fi
done
tool_rate=$(awk -v n="$count" -v ns="$best" 'BEGIN { printf "%d", n / (ns / 1e9) }')
printf 'lyrmak-tool write --count %d: %.3f s, %d songs/s\n' "$count" \
    "$(awk -v ns="$best" 'BEGIN { print ns / 1e9 }')" "$tool_rate"

tracery=$(bench/tracery/run.sh data "$count")
echo "$tracery" | grep -v '^songs_per_second='
tracery_rate=$(echo "$tracery" | sed -n 's/^songs_per_second=//p')
echo "tracery-grammar: $tracery_rate songs/s"

awk -v a="$tool_rate" -v b="$tracery_rate" -v goal="$goal" 'BEGIN {
    r = a / b
    printf "ratio: %.1fx (goal: %dx) %s\n", r, goal, (r >= goal ? "met" : "NOT met")
}'
