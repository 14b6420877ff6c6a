#!/usr/bin/env bash
# scripts/install.sh into an empty home, from a tree that is already built,
# then --uninstall: what lies where, and what the shell, man and the desktop
# find. Usage: install_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1
build=$2
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

export HOME=$home PATH="$home/.local/bin:$PATH" LYRMAK_BUILD_DIR=$build
unset XDG_DATA_HOME
share=$home/.local/share
prog=$share/lyrmak
entry=$share/applications/lyrmak.desktop
"$src/scripts/install.sh" >/dev/null

[[ $(command -v lyrmak-tool) == "$home/.local/bin/lyrmak-tool" ]] || fail "lyrmak-tool not on PATH"
[[ $(command -v lyrmak) == "$home/.local/bin/lyrmak" ]] || fail "lyrmak not on PATH"
# Through the link, the tool works on the program folder's data.
lyrmak-tool check >/dev/null || fail "lyrmak-tool check through the link"
[[ $(lyrmak-tool --help | tail -1) == *"man lyrmak-tool"* ]] || fail "--help does not end with man"
[[ $(man -w lyrmak-tool) == "$share/man/man1/lyrmak-tool.1" ]] || fail "man -w lyrmak-tool"
for size in 32 48 64 128 256; do
    icon=$share/icons/hicolor/${size}x$size/apps/lyrmak.png
    [[ $(identify -format '%wx%h' "$icon") == "${size}x$size" ]] || fail "icon $size"
done
desktop-file-validate "$entry" || fail "desktop entry"
grep -qx 'Icon=lyrmak' "$entry" || fail "Icon="
grep -qx 'StartupWMClass=lyrmak' "$entry" || fail "StartupWMClass="
# The help sends its readers to no file the install leaves out.
if grep -qi 'readme' "$prog/LYRMAK.HLP"; then fail "LYRMAK.HLP points at the README"; fi

# Installing again keeps the user's own data.
echo "自分の星" >"$prog/No.dat"
echo "saved" >"$prog/Lyrmak.dat"
"$src/scripts/install.sh" >/dev/null
[[ $(cat "$prog/No.dat") == "自分の星" ]] || fail "reinstall replaced No.dat"

out=$("$src/scripts/install.sh" --uninstall)
[[ $out == *"$prog"* ]] || fail "uninstall does not say where the data stays"
for gone in "$home/.local/bin/lyrmak" "$home/.local/bin/lyrmak-tool" "$entry" \
    "$share/man/man1/lyrmak-tool.1" "$share/icons/hicolor/256x256/apps/lyrmak.png" \
    "$prog/lyrmak" "$prog/lyrmak-help" "$prog/lyrmak-tool" "$prog/LYRMAK.HLP"; do
    [[ ! -e $gone && ! -L $gone ]] || fail "still there after uninstall: $gone"
done
for kept in Gi.dat Ad.dat Vi.dat Vt.dat No.dat Kasi.dat Lyrmak.dat; do
    [[ -f $prog/$kept ]] || fail "uninstall removed $kept"
done
