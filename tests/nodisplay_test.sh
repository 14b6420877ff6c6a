#!/usr/bin/env bash
# Both programs started without a screen: one Japanese line and status 1
# instead of Qt's abort, unless a plugin that needs no display is chosen.
# Usage: nodisplay_test.sh APP_DIR
set -uo pipefail
app=$1
err=$(mktemp)
trap 'rm -f "$err"' EXIT
failed=0

# row NAME PROGRAM EXPECTED_STATUS QT_QPA_PLATFORM
row() {
    local status
    env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM="$4" timeout 5 "$app/$2" >/dev/null 2>"$err"
    status=$?
    if [[ $status -ne $3 ]]; then
        echo "FAIL $1: status $status, expected $3" >&2
        cat "$err" >&2
        failed=1
    elif [[ $3 -eq 1 && ($(wc -l <"$err") -ne 1 || $(cat "$err") != *画面*) ]]; then
        echo "FAIL $1: expected one line about the screen, got:" >&2
        cat "$err" >&2
        failed=1
    fi
}

row "no display" lyrmak 1 ""
row "xcb chosen" lyrmak 1 xcb
row "wayland then xcb" lyrmak 1 "wayland;xcb"
row "help viewer" lyrmak-help 1 ""
# Still running when the timeout stops it: offscreen needs no display.
row "offscreen" lyrmak 124 offscreen

# --version and --help answer without a display; status 1 when the answer
# cannot be written.
answers() { # answers NAME EXPECTED_FIRST_LINE ARGS...
    local name=$1 first=$2 out
    shift 2
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY timeout 5 "$app/lyrmak" "$@" 2>&1)
    if [[ $? -ne 0 || ${out%%$'\n'*} != "$first" ]]; then
        echo "FAIL $name: got: $out" >&2
        failed=1
    fi
}
answers "--version" "lyrmak (ミルトナ) 7.0" --version
answers "--help after another argument" "使い方: lyrmak [--help | --version]" -x --help
if env -u DISPLAY -u WAYLAND_DISPLAY timeout 5 "$app/lyrmak" --help >/dev/full 2>/dev/null; then
    echo "FAIL --help into a full disk: status 0" >&2
    failed=1
fi
exit $failed
