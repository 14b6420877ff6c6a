#!/usr/bin/env bash
# Installs ミルトナ for the current user: builds it, lays out a program folder
# the user owns (the program writes its saved lyrics, Lyrmak.dat, into its own
# folder), and adds a desktop entry so it appears in the applications menu.
#
# Usage: scripts/install.sh [DEST]     DEST defaults to ~/.local/share/lyrmak
#
# Installing again updates the programs and the help, but keeps the user's
# own word lists and frames and never touches Lyrmak.dat.
set -euo pipefail
cd "$(dirname "$0")/.."

data_home=${XDG_DATA_HOME:-$HOME/.local/share}
dest=${1:-$data_home/lyrmak}
apps=$data_home/applications

scripts/deps.sh run
cmake --preset default >/dev/null
cmake --build --preset default
app=build/app

mkdir -p "$dest"
dest=$(cd "$dest" && pwd)
if [[ ! -w "$dest" ]]; then
    echo "インストール先に書き込めません: $dest" >&2
    exit 1
fi

# Programs, help and icon: always the newly built ones.
for f in "$app"/*; do
    if [[ -f "$f" && -x "$f" ]]; then
        install -m 755 "$f" "$dest/"
    fi
done
install -m 644 "$app/LYRMAK.HLP" "$app/lyrmak.png" "$dest/"

# Word lists and frames: only where the user has none yet.
for name in Gi.dat Ad.dat Vi.dat Vt.dat No.dat Kasi.dat; do
    if [[ ! -e "$dest/$name" ]]; then
        install -m 644 "$app/$name" "$dest/"
    fi
done

# The desktop entry. Values escape backslashes and control characters; Exec
# also quotes the path as one argument and doubles "%", which starts a field
# code there. Replacements are quoted so "&" in a path stays literal.
escape_value() {
    local s=$1
    s=${s//'\'/'\\'}
    s=${s//$'\n'/'\n'}
    s=${s//$'\t'/'\t'}
    s=${s//$'\r'/'\r'}
    printf '%s' "$s"
}
exec_arg=$dest/lyrmak
exec_arg=${exec_arg//'\'/'\\'}
exec_arg=${exec_arg//'"'/'\"'}
exec_arg=${exec_arg//'`'/'\`'}
exec_arg=${exec_arg//'$'/'\$'}
exec_arg=${exec_arg//'%'/'%%'}
exec_value=$(escape_value "\"$exec_arg\"")
tryexec_value=$(escape_value "$dest/lyrmak")
icon_value=$(escape_value "$dest/lyrmak.png")
mkdir -p "$apps"
entry=$apps/lyrmak.desktop
while IFS= read -r line; do
    line=${line//@EXEC@/"$exec_value"}
    line=${line//@TRYEXEC@/"$tryexec_value"}
    line=${line//@ICON@/"$icon_value"}
    printf '%s\n' "$line"
done <data/lyrmak.desktop.in >"$entry.tmp"
mv "$entry.tmp" "$entry"
if command -v update-desktop-database >/dev/null; then
    update-desktop-database "$apps" >/dev/null 2>&1 || true
fi

echo "ミルトナをインストールしました: $dest"
echo "アプリケーションのメニューから、または $dest/lyrmak で起動できます。"
