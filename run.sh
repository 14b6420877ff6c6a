#!/usr/bin/env bash
# Builds ミルトナ and starts it on its bundled data (build/app/).
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh run
cmake --preset default >/dev/null
cmake --build --preset default
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "ミルトナを表示できません: 画面（DISPLAY または WAYLAND_DISPLAY）がありません。" >&2
    exit 1
fi
exec build/app/lyrmak
