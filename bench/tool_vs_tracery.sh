#!/usr/bin/env bash
# Songs per second of "lyrmak-tool write --count 100000" on the bundled data,
# against tracery-grammar (npm) expanding the same frames and word lists as
# many times, in the same run on the same machine. The tool is timed as a
# whole command (start-up, loading, writing to /dev/null); tracery only for
# its expansion loop. The tool takes the best of five runs, tracery the best
# of three (each takes seconds). The goal is judged on wall time; CPU time
# (all threads) is shown beside it, as on a busy machine the wall times
# mostly measure waiting for a processor.
# LYRMAK_TOOL names a built tool to time; without it the tool is built in
# LYRMAK_BUILD_DIR (default: the default preset's build folder).
# LYRMAK_DATA_DIR names another data folder (default: the bundled data).
# The tool is also timed on two copies of the data, the same frames and
# words to tracery (it skips comment lines): without the "'!拍" lines, filled
# without fitting lines to meters and so without readings; and with only
# the first of those lines kept, so that every reading is worked out at
# start-up as with meters, but one frame in the data is fitted.
set -euo pipefail
cd "$(dirname "$0")/.."
count=100000
data=${LYRMAK_DATA_DIR:-data}
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

# The data without its meter lines (but the first KEEP), in its own encoding.
plain=$(mktemp -d)
read=$(mktemp -d)
trap 'rm -rf "$plain" "$read"' EXIT
without_meters() {
    cp "$data"/*.dat "$data"/LYRMAK.HLP "$1"/
    python3 - "$1/Kasi.dat" "$2" <<'EOF'
import sys
raw = open(sys.argv[1], "rb").read()
for encoding in ("utf-8", "cp932"):
    try:
        text = raw.decode(encoding)
        break
    except UnicodeDecodeError:
        pass
kept, meters = [], int(sys.argv[2])
for line in text.splitlines(keepends=True):
    if line.startswith("'!拍"):
        if meters == 0:
            continue
        meters -= 1
    kept.append(line)
open(sys.argv[1], "wb").write("".join(kept).encode(encoding))
EOF
}
without_meters "$plain" 0
without_meters "$read" 1

# Wall time and CPU time of a tool on a data folder, each the best of five
# runs: "WALL CPU".
time_tool() {
    python3 - "$1" "$count" "$2" <<'EOF'
import resource, subprocess, sys, time
wall = cpu = float("inf")
for _ in range(5):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run([sys.argv[1], "write", "--count", sys.argv[2], "--seed", "1", sys.argv[3]],
                   stdout=subprocess.DEVNULL, check=True)
    wall = min(wall, time.perf_counter() - start)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = min(cpu, after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime)
print(wall, cpu)
EOF
}

# LYRMAK_TOOL_BEFORE names an earlier build to time in the same run.
tools=("$tool")
if [[ -n ${LYRMAK_TOOL_BEFORE:-} ]]; then tools+=("$LYRMAK_TOOL_BEFORE"); fi
names=()
times=()
for t in "${tools[@]}"; do
    for d in "$data" "$plain" "$read"; do
        name="$t on $data"
        [[ $d == "$plain" ]] && name="$t on $data without meter lines"
        [[ $d == "$read" ]] && name="$t on $data with one meter line (readings worked out)"
        read -r wall cpu < <(time_tool "$t" "$d")
        names+=("$name")
        times+=("$wall $cpu")
        printf '%s: write --count %d: %.3f s, %.3f s of CPU\n' "$name" "$count" "$wall" "$cpu"
    done
done

tracery=$(bench/tracery/run.sh "$data" "$count")
echo "$tracery" | grep -v '^songs_per'
tracery_rate=$(echo "$tracery" | sed -n 's/^songs_per_second=//p')
tracery_cpu_rate=$(echo "$tracery" | sed -n 's/^songs_per_cpu_second=//p')
echo "tracery-grammar: $tracery_rate songs/s, $tracery_cpu_rate per CPU second"

for i in "${!names[@]}"; do
    read -r wall cpu <<<"${times[$i]}"
    awk -v n="$count" -v wall="$wall" -v cpu="$cpu" -v b="$tracery_rate" \
        -v d="$tracery_cpu_rate" -v goal="$goal" -v name="${names[$i]}" 'BEGIN {
        r = n / wall / b
        printf "ratio of %s: %.1fx (goal: %dx) %s; by CPU time %.1fx\n", name, r, goal,
            (r >= goal ? "met" : "NOT met"), n / cpu / d
    }'
done
