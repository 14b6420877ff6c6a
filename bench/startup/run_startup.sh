#!/usr/bin/env bash
# Start-up time until the main window is mapped, and peak memory, of lyrmak
# on the bundled data, on the bundled data with a meter (which has every
# reading worked out with MeCab at start-up) and on five lists of 200,000
# words, against a bare Qt program; all measured in the same run under one
# Xvfb server.
# Usage: bench/startup/run_startup.sh [rounds]
set -euo pipefail
cd "$(dirname "$0")/../.."
rounds="${1:-15}"
scripts/deps.sh test
cmake --preset default >/dev/null
cmake --build --preset default --target lyrmak startup_watch bare_qt >/dev/null
b=build/bench/startup

big=$(mktemp -d)
meters=$(mktemp -d)
trap 'rm -rf "$big" "$meters"; [[ -n "${xvfb:-}" ]] && kill "$xvfb" 2>/dev/null || true' EXIT
cp build/app/lyrmak build/app/LYRMAK.HLP build/app/Kasi.dat "$big/"
python3 - "$big" <<'PY'
import sys
stems = {"Gi": "きらきら", "Ad": "せつない", "Vi": "踊って", "Vt": "抱きしめて", "No": "冷蔵庫"}
for tag, stem in stems.items():
    with open(f"{sys.argv[1]}/{tag}.dat", "wb") as f:
        f.write("".join(f"{stem}{i}\r\n" for i in range(200000)).encode("cp932"))
PY
cp build/app/lyrmak build/app/LYRMAK.HLP build/app/*.dat "$meters/"
python3 - "$meters/Kasi.dat" <<'PY'
import sys
lines = open(sys.argv[1], "rb").read().decode("cp932").split("\r\n")
first = next(i for i, l in enumerate(lines) if not l.startswith("'"))
lines.insert(first, "'!拍 8")
open(sys.argv[1], "wb").write("\r\n".join(lines).encode("cp932"))
PY

display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
# A busy machine starts the server slowly: wait until it answers.
for ((i = 0; i < 100; i++)); do
    DISPLAY="$display" xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done
export DISPLAY="$display" QT_QPA_PLATFORM=xcb

# Median of several alternating runs.
declare -A times mems
for ((i = 0; i < rounds; i++)); do
    for name in bare lyrmak meters big; do
        case $name in
            bare) prog=$b/bare_qt ;;
            lyrmak) prog=build/app/lyrmak ;;
            meters) prog=$meters/lyrmak ;;
            big) prog=$big/lyrmak ;;
        esac
        read -r t m < <("$b/startup_watch" "$prog")
        times[$name]+="$t "
        mems[$name]+="$m "
    done
done
median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
for name in bare lyrmak meters big; do
    eval "t_$name=$(echo "${times[$name]}" | median)"
    eval "m_$name=$(echo "${mems[$name]}" | median)"
done
printf '起動時間（中央値, %d 回）: 素の Qt %.1f ms / ミルトナ %.1f ms（比 %.2f, 目標 1.25 以下）\n' \
    "$rounds" "$(echo "$t_bare*1000" | bc -l)" "$(echo "$t_lyrmak*1000" | bc -l)" \
    "$(echo "$t_lyrmak/$t_bare" | bc -l)"
printf '最大メモリ: 素の Qt %d KiB / ミルトナ %d KiB（比 %.2f, 目標 1.2 以下）\n' \
    "$m_bare" "$m_lyrmak" "$(echo "$m_lyrmak/$m_bare" | bc -l)"
printf '拍の指定のある同梱データ（起動時に MeCab で読みを決める）: 起動 %.1f ms（比 %.2f）、最大メモリ %d KiB（比 %.2f）\n' \
    "$(echo "$t_meters*1000" | bc -l)" "$(echo "$t_meters/$t_bare" | bc -l)" \
    "$m_meters" "$(echo "$m_meters/$m_bare" | bc -l)"
printf '20万語×5 のデータ: 起動 %.1f ms（素の Qt との差 %.0f ms, 目標 300 ms 以内）、最大メモリ %d KiB\n' \
    "$(echo "$t_big*1000" | bc -l)" "$(echo "($t_big-$t_bare)*1000" | bc -l)" "$m_big"
