#!/usr/bin/env bash
# The whole of "lyrmak-tool write --melody" with a score, on the bundled
# data, for a 200-note melody made here (phrases of 8 to 15 notes), as
# MusicXML, as .mxl and as a MIDI file: start-up, loading, reading the
# melody, writing the song and the score. Best of ten runs each; goal 50 ms.
# LYRMAK_TOOL names the built tool (default build/app/lyrmak-tool).
set -euo pipefail
cd "$(dirname "$0")/.."
tool=${LYRMAK_TOOL:-build/app/lyrmak-tool}
goal_ms=50
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work" <<'PY'
import struct, sys, zipfile
work = sys.argv[1]
steps = ["C", "D", "E", "F", "G", "A", "B"]
keys = [60, 62, 64, 65, 67, 69, 71]
phrases, total, n = [], 0, 8
while total < 200:
    size = min(n, 200 - total)
    phrases.append(size)
    total += size
    n = 8 + (n * 7) % 8
# MusicXML: eighth notes, an eighth rest after each phrase, 4/4.
events = []
for size in phrases:
    events += [(i * 3 % 7) for i in range(size)] + [None]
notes = ""
for i in range(0, len(events), 8):
    body = "".join(
        "<note><rest/><duration>1</duration><type>eighth</type></note>" if e is None else
        f"<note><pitch><step>{steps[e]}</step><octave>4</octave></pitch><duration>1</duration>"
        "<type>eighth</type></note>" for e in events[i:i + 8])
    attrs = "<attributes><divisions>2</divisions><time><beats>4</beats><beat-type>4</beat-type></time></attributes>" if i == 0 else ""
    notes += f'<measure number="{i // 8 + 1}">{attrs}{body}</measure>'
xml = f'<?xml version="1.0"?><score-partwise version="4.0"><part-list><score-part id="P1"><part-name/></score-part></part-list><part id="P1">{notes}</part></score-partwise>'
open(f"{work}/m.musicxml", "w").write(xml)
with zipfile.ZipFile(f"{work}/m.mxl", "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("META-INF/container.xml", '<container><rootfiles><rootfile full-path="m.xml"/></rootfiles></container>')
    z.writestr("m.xml", xml)
# The same as a MIDI file, 240 ticks an eighth.
track, delta = b"", 0
for e in events:
    if e is None:
        delta += 240
        continue
    # Deltas of 0 or 240 ticks (0x81 0x70), notes an eighth long.
    track += (b"\x81\x70" if delta else b"\x00") + bytes([0x90, keys[e], 100])
    track += b"\x81\x70" + bytes([0x80, keys[e], 0])
    delta = 0
track += b"\x00\xFF\x2F\x00"
open(f"{work}/m.mid", "wb").write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, 480) + b"MTrk" + struct.pack(">I", len(track)) + track)
PY

# Best of ten runs of a command, in ms.
best_ms() {
    local best= ns start
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1
        ns=$(($(date +%s%N) - start))
        if [[ -z $best || $ns -lt $best ]]; then best=$ns; fi
    done
    awk -v ns="$best" 'BEGIN { printf "%.1f", ns / 1e6 }'
}

# Start-up alone (loading the data and working out its readings), for scale.
start_ms=$(best_ms "$tool" write --count 0 data)
echo "起動と読み込みだけ (write --count 0): $start_ms ms"
status=0
for melody in m.musicxml m.mxl m.mid; do
    ms=$(best_ms "$tool" write --seed 1 --melody "$work/$melody" --score "$work/out.musicxml" data)
    notes=$(grep -c '<lyric' "$work/out.musicxml" || true)
    own=$(awk -v a="$ms" -v b="$start_ms" 'BEGIN { printf "%.1f", a - b }')
    echo "write --melody $melody (200 音符, 歌詞 $notes 個) --score: $ms ms" \
        "（うちメロディーの分 $own ms。目標は全体で $goal_ms ms 未満）"
    if awk -v ms="$ms" -v goal="$goal_ms" 'BEGIN { exit !(ms >= goal) }'; then status=1; fi
done
if ((status)); then
    echo "目標に届いていません（起動と読み込みが大半です）"
fi
