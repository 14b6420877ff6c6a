#!/usr/bin/env bash
# Builds ミルトナ and starts it on its bundled data (build/app/).
set -euo pipefail
cd "$(dirname "$0")"
# Before anything slow: without a screen there is nothing to show.
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "ミルトナを表示できません: 画面（DISPLAY または WAYLAND_DISPLAY）がありません。" >&2
    exit 1
fi
scripts/deps.sh run
cmake --preset default >/dev/null
# Only what the program folder needs; the tests and benchmarks wait for ./test.sh.
cmake --build --preset default --target lyrmak_program
exec build/app/lyrmak
