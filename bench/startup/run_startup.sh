#!/usr/bin/env bash
# Start-up time until the main window is mapped, and peak memory, of lyrmak
# on the bundled data and on five lists of 200,000 words, against a bare Qt
# program; all measured in the same run under one Xvfb server.
# Usage: bench/startup/run_startup.sh [rounds]
set -euo pipefail
cd "$(dirname "$0")/../.."
rounds="${1:-15}"
scripts/deps.sh test
cmake --preset default >/dev/null
cmake --build --preset default --target lyrmak startup_watch bare_qt >/dev/null
b=build/bench/startup

big=$(mktemp -d)
trap 'rm -rf "$big"; [[ -n "${xvfb:-}" ]] && kill "$xvfb" 2>/dev/null || true' EXIT
cp build/app/lyrmak build/app/LYRMAK.HLP build/app/Kasi.dat "$big/"
python3 - "$big" <<'PY'
import sys
stems = {"Gi": "きらきら", "Ad": "せつない", "Vi": "踊って", "Vt": "抱きしめて", "No": "冷蔵庫"}
for tag, stem in stems.items():
    with open(f"{sys.argv[1]}/{tag}.dat", "wb") as f:
        f.write("".join(f"{stem}{i}\r\n" for i in range(200000)).encode("cp932"))
PY

display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1
export DISPLAY="$display" QT_QPA_PLATFORM=xcb

# Median of several alternating runs.
declare -A times mems
for ((i = 0; i < rounds; i++)); do
    for name in bare lyrmak big; do
        case $name in
            bare) prog=$b/bare_qt ;;
            lyrmak) prog=build/app/lyrmak ;;
            big) prog=$big/lyrmak ;;
        esac
        read -r t m < <("$b/startup_watch" "$prog")
        times[$name]+="$t "
        mems[$name]+="$m "
    done
done
median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
for name in bare lyrmak big; do
    eval "t_$name=$(echo "${times[$name]}" | median)"
    eval "m_$name=$(echo "${mems[$name]}" | median)"
done
printf '起動時間（中央値, %d 回）: 素の Qt %.1f ms / ミルトナ %.1f ms（比 %.2f, 目標 1.25 以下）\n' \
    "$rounds" "$(echo "$t_bare*1000" | bc -l)" "$(echo "$t_lyrmak*1000" | bc -l)" \
    "$(echo "$t_lyrmak/$t_bare" | bc -l)"
printf '最大メモリ: 素の Qt %d KiB / ミルトナ %d KiB（比 %.2f, 目標 1.2 以下）\n' \
    "$m_bare" "$m_lyrmak" "$(echo "$m_lyrmak/$m_bare" | bc -l)"
printf '20万語×5 のデータ: 起動 %.1f ms（素の Qt との差 %.0f ms, 目標 300 ms 以内）、最大メモリ %d KiB\n' \
    "$(echo "$t_big*1000" | bc -l)" "$(echo "($t_big-$t_bare)*1000" | bc -l)" "$m_big"
