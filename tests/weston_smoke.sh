#!/usr/bin/env bash
# Runs a test program under a headless weston, a real Wayland compositor;
# skipped (77) where weston is not installed. Usage: weston_smoke.sh TEST [ARGS...]
set -uo pipefail
if ! command -v weston >/dev/null; then
    echo "weston がないので省きます" >&2
    exit 77
fi
runtime=$(mktemp -d)
trap 'kill "$weston" 2>/dev/null; wait "$weston" 2>/dev/null; rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=wayland-lyrmak-test QT_QPA_PLATFORM=wayland
unset DISPLAY
# Under AddressSanitizer: the Wayland client libraries keep allocations until
# exit and Qt unloads its Wayland plugin, so LeakSanitizer can name no library
# to suppress. The programs' own memory is checked by the offscreen tests.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
weston --backend=headless-backend.so --use-pixman --socket="$WAYLAND_DISPLAY" \
    --width=1024 --height=768 --idle-time=0 >"$runtime/weston.log" 2>&1 &
weston=$!
for _ in $(seq 50); do
    [[ -S $runtime/$WAYLAND_DISPLAY ]] && break
    sleep 0.1
done
if [[ ! -S $runtime/$WAYLAND_DISPLAY ]]; then
    cat "$runtime/weston.log" >&2
    exit 1
fi
"$@"
