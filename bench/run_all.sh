#!/usr/bin/env bash
# Runs every benchmark of the project in one go and prints its figures.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
cmake --preset default >/dev/null
cmake --build --preset default >/dev/null
echo "== 読み込みと埋め込み (bench_engine)"
build/bench/bench_engine
echo "== 拍に合わせる埋め込み (bench_meter)"
build/bench/bench_meter
echo "== 追加作詞と新規作詞 (bench_mainwindow)"
QT_QPA_PLATFORM=offscreen build/bench/bench_mainwindow 2>/dev/null
echo "== ヘルプのページの表示 (bench_helpviewer)"
for shape in "file data/LYRMAK.HLP" "table 8" "div 254" "p 24000" "table4p 750"; do
    QT_QPA_PLATFORM=offscreen build/bench/bench_helpviewer $shape 2>/dev/null
done
echo "== 起動時間とメモリ (bench/startup/run_startup.sh)"
bench/startup/run_startup.sh 2>/dev/null | grep -v XDG_RUNTIME_DIR
echo "== lyrmak-tool と tracery-grammar (bench/tool_vs_tracery.sh)"
LYRMAK_TOOL=build/app/lyrmak-tool bench/tool_vs_tracery.sh
echo "== くりかえし (bench/refrain_share.py)"
python3 bench/refrain_share.py build/app/lyrmak-tool data
echo "== メロディーに合わせる (bench/melody.sh)"
LYRMAK_TOOL=build/app/lyrmak-tool bench/melody.sh
