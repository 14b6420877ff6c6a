#!/usr/bin/env bash
# Installs ミルトナ for the current user: builds it, lays out a program folder
# the user owns (the program writes its saved lyrics, Lyrmak.dat, into its own
# folder), and ties it into the desktop and the shell.
#
# Usage: scripts/install.sh [DEST]              install; DEST defaults to ~/.local/share/lyrmak
#        scripts/install.sh --uninstall [DEST]  remove what the install put in place
#
# Where things go ($XDG_DATA_HOME defaults to ~/.local/share):
#   DEST/                                       programs, LYRMAK.HLP, man page, icon, data files
#   ~/.local/bin/lyrmak, ~/.local/bin/lyrmak-tool   links to the programs, for the shell
#   $XDG_DATA_HOME/man/man1/lyrmak-tool.1       the man page, for "man lyrmak-tool"
#   $XDG_DATA_HOME/icons/hicolor/NxN/apps/lyrmak.png   the icon, 32 to 256 px
#   $XDG_DATA_HOME/applications/lyrmak.desktop  the applications menu entry
#
# Installing again updates the programs and the help, but keeps the user's
# own word lists and frames and never touches Lyrmak.dat; uninstalling keeps
# them too. LYRMAK_BUILD_DIR names a tree that is already built to install
# from (the tests use it); without it the script builds build/ first.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
    echo "使い方: scripts/install.sh [インストール先]" >&2
    echo "        scripts/install.sh --uninstall [インストール先]" >&2
    exit 2
}

uninstall=0
if [[ ${1:-} == --uninstall ]]; then
    uninstall=1
    shift
fi
if [[ $# -gt 1 || ${1:-} == -* ]]; then
    usage
fi

data_home=${XDG_DATA_HOME:-$HOME/.local/share}
bin=$HOME/.local/bin
man1=$data_home/man/man1
icons=$data_home/icons/hicolor
apps=$data_home/applications
entry=$apps/lyrmak.desktop
programs=(lyrmak lyrmak-help lyrmak-tool)
on_path=(lyrmak lyrmak-tool)
sizes=(32 48 64 128 256)
data_files=(Gi.dat Ad.dat Vi.dat Vt.dat No.dat Kasi.dat)

# GTK reads a stale icon cache as missing icons: refresh one if it is there.
refresh_icons() {
    if [[ -d $icons ]]; then
        touch "$icons"
        if [[ -f $icons/icon-theme.cache ]] && command -v gtk-update-icon-cache >/dev/null; then
            gtk-update-icon-cache -q -t -f "$icons" || true
        fi
    fi
}

refresh_menu() {
    if command -v update-desktop-database >/dev/null && [[ -d $apps ]]; then
        update-desktop-database "$apps" >/dev/null 2>&1 || true
    fi
}

if ((uninstall)); then
    # Without DEST, the folder the shell link points into, else the default.
    if [[ $# -eq 1 ]]; then
        dest=$1
    elif [[ -L $bin/lyrmak-tool ]]; then
        dest=$(dirname "$(readlink "$bin/lyrmak-tool")")
    else
        dest=$data_home/lyrmak
    fi
    if [[ -d $dest ]]; then
        dest=$(cd "$dest" && pwd)
    fi

    # Links only where they are ours: another program may own the name.
    for name in "${on_path[@]}"; do
        if [[ -L $bin/$name && $(readlink "$bin/$name") == "$dest/$name" ]]; then
            rm -f "$bin/$name"
        fi
    done
    for name in "${programs[@]}" LYRMAK.HLP lyrmak.png lyrmak-tool.1 sakura.musicxml; do
        rm -f "$dest/$name"
    done
    rm -f "$man1/lyrmak-tool.1" "$entry"
    for size in "${sizes[@]}"; do
        rm -f "$icons/${size}x$size/apps/lyrmak.png"
    done
    refresh_icons
    refresh_menu

    echo "ミルトナをアンインストールしました。"
    kept=()
    for name in "${data_files[@]}" Lyrmak.dat; do
        if [[ -e $dest/$name ]]; then
            kept+=("$name")
        fi
    done
    if ((${#kept[@]})); then
        echo "単語ファイル・歌詞フレーム・保存した歌詞は残してあります: $dest"
        echo "  (${kept[*]})"
        echo "要らなければ、フォルダーごと消してください: rm -r '$dest'"
    else
        rmdir "$dest" 2>/dev/null || true
    fi
    exit 0
fi

build=${LYRMAK_BUILD_DIR:-}
if [[ -z $build ]]; then
    scripts/deps.sh run
    cmake --preset default >/dev/null
    cmake --build --preset default --target lyrmak_program
    build=build
fi
app=$build/app

dest=${1:-$data_home/lyrmak}
mkdir -p "$dest"
dest=$(cd "$dest" && pwd)
if [[ ! -w "$dest" ]]; then
    echo "インストール先に書き込めません: $dest" >&2
    exit 1
fi

# Programs, help, man page and icon: always the newly built ones.
for name in "${programs[@]}"; do
    install -m 755 "$app/$name" "$dest/"
done
install -m 644 "$app/LYRMAK.HLP" "$app/lyrmak.png" "$app/lyrmak-tool.1" "$app/sakura.musicxml" "$dest/"

# Word lists and frames: only where the user has none yet.
for name in "${data_files[@]}"; do
    if [[ ! -e "$dest/$name" ]]; then
        install -m 644 "$app/$name" "$dest/"
    fi
done

install -D -m 644 "$app/lyrmak-tool.1" "$man1/lyrmak-tool.1"
for size in "${sizes[@]}"; do
    install -D -m 644 "$build/icons/hicolor/${size}x$size/apps/lyrmak.png" \
        "$icons/${size}x$size/apps/lyrmak.png"
done
refresh_icons

# Links on the shell's path; a file of the same name that is not a link
# belongs to something else and stays.
mkdir -p "$bin"
for name in "${on_path[@]}"; do
    if [[ -e $bin/$name && ! -L $bin/$name ]]; then
        echo "$bin/$name は別のファイルなので、そのままにしました。" >&2
    else
        ln -sfn "$dest/$name" "$bin/$name"
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
mkdir -p "$apps"
while IFS= read -r line; do
    line=${line//@EXEC@/"$exec_value"}
    line=${line//@TRYEXEC@/"$tryexec_value"}
    printf '%s\n' "$line"
done <data/lyrmak.desktop.in >"$entry.tmp"
mv "$entry.tmp" "$entry"
refresh_menu

echo "ミルトナをインストールしました: $dest"
echo "アプリケーションのメニューの「ミルトナ」から、または端末で lyrmak と入力して起動できます。"
echo "データを調べるコマンド: lyrmak-tool（説明: man lyrmak-tool）"
case ":$PATH:" in
*":$bin:"*) ;;
*)
    echo "注意: $bin が PATH に入っていません。次にログインしたときから lyrmak と lyrmak-tool が使えます"
    echo "（Debian の ~/.profile が入れます）。すぐに使うには: export PATH=\"$bin:\$PATH\""
    ;;
esac
# man finds pages through PATH (~/.local/bin -> ~/.local/share/man); a
# different XDG_DATA_HOME needs MANPATH.
if [[ $(PATH="$bin:$PATH" man -w lyrmak-tool 2>/dev/null) != "$man1/lyrmak-tool.1" ]]; then
    echo "注意: man lyrmak-tool で読むには、MANPATH に $data_home/man を加えてください" \
        "（または: man -l $man1/lyrmak-tool.1）"
fi
