#!/usr/bin/env bash
# The score lyrmak-tool writes, opened by a real MuseScore 3: it renders
# without an error or a warning, and MuseScore's own MusicXML export of the
# compressed score keeps every lyric, in order.
# Usage: musescore_test.sh TOOL MELODY DATA_FOLDER
set -euo pipefail
tool=$1 melody=$2 data=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work"

"$tool" write --seed 1 --melody "$melody" --score "$work/score.musicxml" "$data" >/dev/null 2>&1
"$tool" write --seed 1 --melody "$melody" --score "$work/score.mxl" "$data" >/dev/null 2>&1

mscore3 -o "$work/out.png" "$work/score.musicxml" >"$work/png.log" 2>&1
mscore3 -o "$work/back.musicxml" "$work/score.mxl" >"$work/back.log" 2>&1
for log in png back; do
    if grep -qiE 'error|warn|invalid|not valid' "$work/$log.log"; then
        echo "MuseScore complained:" >&2
        cat "$work/$log.log" >&2
        exit 1
    fi
done
test -s "$work/out-1.png"

python3 - "$work/score.musicxml" "$work/back.musicxml" <<'PY'
import sys
import xml.etree.ElementTree as ET

def lyrics(path):
    root = ET.parse(path).getroot()
    return ["".join(t.text or "" for t in l.iter("text"))
            for note in root.iter("note") for l in note.findall("lyric")]

ours, back = lyrics(sys.argv[1]), lyrics(sys.argv[2])
if not ours or ours != back:
    print("lyrics written:", ours, "\nlyrics after MuseScore:", back, file=sys.stderr)
    sys.exit(1)
print(len(ours), "lyrics kept")
PY
