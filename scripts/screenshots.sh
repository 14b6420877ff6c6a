#!/usr/bin/env bash
# Takes the README's screenshots under Xvfb: the main window with generated
# lyrics, the About dialog and the web links dialog. Needs xvfb, xdotool,
# openbox (for window frames) and imagemagick. Usage: scripts/screenshots.sh [OUTPUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-docs/screenshots}"
mkdir -p "$out"
app="${LYRMAK_APP_DIR:-build/app}/lyrmak"
[[ -x "$app" ]] || { echo "先に ./run.sh か cmake --build --preset default でビルドしてください" >&2; exit 1; }

display=":$((200 + RANDOM % 100))"
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
sleep 1
export DISPLAY="$display" QT_QPA_PLATFORM=xcb
openbox >/dev/null 2>&1 &
sleep 1

shot() { # shot NAME WINDOW_TITLE
    local id
    id=$(xdotool search --sync --onlyvisible --name "$2" | head -1)
    sleep 0.7
    # The frame the window manager put around the window is part of the shot.
    id=$(xwininfo -id "$id" -tree | awk '/Parent window id:/{print $4}' | grep -v '(the' || echo "$id")
    [[ "$id" == "0x"* ]] || id=$(xdotool search --onlyvisible --name "$2" | head -1)
    import -window root -crop "$(xwininfo -id "$id" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} /Width/{w=$2} /Height/{h=$2} END{print w"x"h"+"x"+"y}')" +repage "$out/$1.png"
}

"$app" &
pid=$!
main=$(xdotool search --sync --onlyvisible --name "驚異のミルトナ" | head -1)
sleep 0.5
xdotool windowactivate --sync "$main"
xdotool key ctrl+n ctrl+y
shot main "驚異のミルトナ"
xdotool key alt+h
sleep 0.3
xdotool key a
shot about "ミルトナのﾊﾞｰｼﾞｮﾝ情報"
xdotool key Return
sleep 0.5
xdotool windowactivate --sync "$main"
xdotool key alt+h
sleep 0.3
xdotool key w
shot web "関連のURLにアクセスする"
kill "$pid"

# The score written to the example melody, as MuseScore 3 renders it.
work=$(mktemp -d)
"${LYRMAK_APP_DIR:-build/app}/lyrmak-tool" write --seed 1 --melody data/sakura.musicxml \
    --score "$work/score.musicxml" >/dev/null 2>&1
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work" mscore3 -r 110 -o "$work/score.png" \
    "$work/score.musicxml" >/dev/null 2>&1
convert "$work/score-1.png" -trim -bordercolor white -border 24 +repage "$out/melody.png"
rm -rf "$work"
echo "スクリーンショットを $out に保存しました"
