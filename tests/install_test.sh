#!/usr/bin/env bash
# scripts/install.sh (the cmake --install rules under a prefix in HOME) into
# an empty home, from a tree that is already built, then --uninstall: what
# lies where, and what the shell, man and the desktop find.
# Usage: install_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1
build=$2
home=$(mktemp -d)
trap 'chmod -R u+w "$home"; rm -rf "$home"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

export HOME=$home PATH="$home/.local/bin:$PATH" LYRMAK_BUILD_DIR=$build MANPATH=$home/.local/share/man
unset XDG_DATA_HOME
share=$home/.local/share
prog=$home/.local/libexec/lyrmak
entry=$share/applications/lyrmak.desktop

# What the install before the cmake rules left: its program folder was the
# data folder, holding the user's own words and saved lyrics.
mkdir -p "$share/lyrmak"
cp "$build/app/lyrmak-tool" "$build/app/Gi.dat" "$share/lyrmak/"
echo "自分の星" >"$share/lyrmak/No.dat"
echo "saved" >"$share/lyrmak/Lyrmak.dat"

"$src/scripts/install.sh" >/dev/null
[[ $(command -v lyrmak-tool) == "$home/.local/bin/lyrmak-tool" ]] || fail "lyrmak-tool not on PATH"
[[ $(readlink -f "$(command -v lyrmak)") == "$prog/lyrmak" ]] || fail "lyrmak not linked"
[[ $(stat -c %a "$prog") == 555 ]] || fail "program folder writable"
# Through the links, the tool works on the program folder's data.
lyrmak-tool check >/dev/null || fail "lyrmak-tool check through the link"
[[ ! -e $share/lyrmak/lyrmak-tool ]] || fail "old program left behind"
[[ $(cat "$share/lyrmak/No.dat.old") == "自分の星" ]] || fail "own No.dat not kept"
[[ ! -e $share/lyrmak/Gi.dat.old ]] || fail "unchanged Gi.dat kept as .old"
[[ $(cat "$share/lyrmak/Lyrmak.dat") == saved ]] || fail "Lyrmak.dat touched"

# Man pages in both languages, without a troff warning.
for page in lyrmak lyrmak-tool; do
    [[ $(LANG=C man -w "$page") == "$share/man/man1/$page.1" ]] || fail "man -w $page"
    [[ $(LANG=C man -w -L ja "$page") == "$share/man/ja/man1/$page.1" ]] || fail "man -w -L ja $page"
    warnings=$(LANG=C man --warnings "$page" 2>&1 >/dev/null)
    warnings+=$(LANG=C.UTF-8 man -L ja --warnings "$page" 2>&1 >/dev/null)
    [[ -z $warnings ]] || fail "man $page: $warnings"
done
[[ $(lyrmak-tool --help | tail -1) == *"man lyrmak-tool"* ]] || fail "--help does not end with man"
for size in 32 48 64 128 256; do
    icon=$share/icons/hicolor/${size}x$size/apps/lyrmak.png
    [[ $(identify -format '%wx%h' "$icon") == "${size}x$size" ]] || fail "icon $size"
done
[[ -f $share/icons/hicolor/scalable/apps/lyrmak.svg ]] || fail "no SVG icon"
desktop-file-validate "$entry" || fail "desktop entry"
grep -qx "Exec=$home/.local/bin/lyrmak" "$entry" || fail "Exec="
appstreamcli validate --no-net --pedantic "$share"/metainfo/*.metainfo.xml >/dev/null ||
    fail "AppStream metainfo"

# Installing again works on the read-only folder and keeps the saved lyrics.
"$src/scripts/install.sh" >/dev/null
[[ $(cat "$share/lyrmak/Lyrmak.dat") == saved ]] || fail "reinstall touched Lyrmak.dat"

# A prefix whose path the desktop entry must quote.
odd="$home/my apps%\$x"
"$src/scripts/install.sh" "$odd" >/dev/null
desktop-file-validate "$odd/share/applications/lyrmak.desktop" || fail "quoted desktop entry"
grep -qxF "Exec=\"$home/my apps%%\\\\\$x/bin/lyrmak\"" "$odd/share/applications/lyrmak.desktop" ||
    fail "Exec= not quoted: $(grep Exec= "$odd/share/applications/lyrmak.desktop")"
"$src/scripts/install.sh" --uninstall "$odd" >/dev/null

out=$("$src/scripts/install.sh" --uninstall)
[[ $out == *"$share/lyrmak/Lyrmak.dat"* ]] || fail "uninstall does not say where the lyrics stay"
left=$(find "$home" -type f -o -type l | grep -v -e '/Lyrmak.dat$' -e '\.old$' -e '/mimeinfo.cache$' || true)
[[ -z $left ]] || fail "still there after uninstall: $left"
