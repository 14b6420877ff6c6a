#!/usr/bin/env bash
# Installs ミルトナ for the current user with the project's own install rules
# (cmake --install) under a prefix in the home folder, and ties it into the
# desktop and the shell. No root needed.
#
# Usage: scripts/install.sh [PREFIX]              install; PREFIX defaults to ~/.local
#        scripts/install.sh --uninstall [PREFIX]  remove what the install put in place
#
# Where things go:
#   PREFIX/libexec/lyrmak/        the program folder (read-only: saved lyrics go to
#                                 $XDG_DATA_HOME/lyrmak/Lyrmak.dat, as from a package)
#   PREFIX/share/lyrmak/          the data files, linked from the program folder
#   PREFIX/bin/lyrmak, lyrmak-tool, and PREFIX/share/{applications,icons,metainfo,man}
#
# Installing again updates everything; saved lyrics are never touched, and
# uninstalling keeps them too. LYRMAK_BUILD_DIR names a tree that is already
# built to install from (the tests use it); without it the script builds build/.
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
prefix=${1:-$HOME/.local}
mkdir -p "$prefix"
prefix=$(cd "$prefix" && pwd)
# The program folder, where the shell's link points; it keeps the list of
# what the install put in place, for uninstalling.
find_program_dir() {
    dirname "$(readlink -f "$prefix/bin/lyrmak-tool")"
}
saved=$data_home/lyrmak/Lyrmak.dat

# The desktop reads stale caches as missing icons and menu entries.
refresh_desktop() {
    local icons=$prefix/share/icons/hicolor apps=$prefix/share/applications
    if [[ -d $icons ]]; then
        touch "$icons"
        if [[ -f $icons/icon-theme.cache ]] && command -v gtk-update-icon-cache >/dev/null; then
            gtk-update-icon-cache -q -t -f "$icons" || true
        fi
    fi
    if [[ -d $apps ]] && command -v update-desktop-database >/dev/null; then
        update-desktop-database "$apps" >/dev/null 2>&1 || true
    fi
}

if ((uninstall)); then
    manifest=$(find_program_dir)/install_manifest.txt
    if [[ ! -L $prefix/bin/lyrmak-tool || ! -f $manifest ]]; then
        echo "ミルトナは $prefix にインストールされていません。" >&2
        exit 1
    fi
    chmod u+w "$(find_program_dir)"
    while IFS= read -r f || [[ -n $f ]]; do
        if [[ -f $f || -L $f ]]; then
            rm -f "$f"
        fi
    done <"$manifest"
    rm -f "$manifest"
    rmdir "${manifest%/*}" "$prefix/share/lyrmak" 2>/dev/null || true
    refresh_desktop
    echo "ミルトナをアンインストールしました。"
    if [[ -f $saved ]]; then
        echo "保存した歌詞は残してあります: $saved"
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

# Before the install rules, the program folder lived in ~/.local/share/lyrmak,
# where the data files now go: its programs leave, and word lists the user
# changed stay as NAME.old. Lyrmak.dat stays where it is, and Save goes on
# appending to it.
old=$data_home/lyrmak
if [[ -f $old/lyrmak-tool && ! -L $old/lyrmak-tool ]]; then
    rm -f "$old/lyrmak" "$old/lyrmak-help" "$old/lyrmak-tool" "$old/lyrmak.png" "$old/lyrmak-tool.1"
    for f in "$old"/*.dat "$old/LYRMAK.HLP"; do
        name=${f##*/}
        if [[ -f $f && $name != Lyrmak.dat && -f $build/app/$name ]] && ! cmp -s "$f" "$build/app/$name"; then
            mv "$f" "$f.old"
            echo "自分で書き換えた $name は $f.old として残しました。"
        fi
    done
fi

if [[ -L $prefix/bin/lyrmak-tool ]]; then
    chmod u+w "$(find_program_dir)"
fi
cmake --install "$build" --prefix "$prefix" >/dev/null
program_dir=$(find_program_dir)
cp "$build/install_manifest.txt" "$program_dir/"
# Read-only like any installed program folder, so Save keeps the lyrics in
# the user's data folder, where a package install keeps them too.
chmod a-w "$program_dir"
refresh_desktop

echo "ミルトナをインストールしました: $program_dir"
echo "アプリケーションのメニューの「ミルトナ」から、または端末で lyrmak と入力して起動できます。"
echo "保存した歌詞: $saved"
echo "データを調べるコマンド: lyrmak-tool（説明: man lyrmak-tool）"
case ":$PATH:" in
*":$prefix/bin:"*) ;;
*)
    echo "注意: $prefix/bin が PATH に入っていません。次にログインしたときから lyrmak と lyrmak-tool が使えます"
    echo "（~/.local/bin なら Debian の ~/.profile が入れます）。すぐに使うには: export PATH=\"$prefix/bin:\$PATH\""
    ;;
esac
# man finds pages through PATH (PREFIX/bin -> PREFIX/share/man).
if [[ $(PATH="$prefix/bin:$PATH" man -w lyrmak-tool 2>/dev/null) != "$prefix/share/man/man1/lyrmak-tool.1" ]]; then
    echo "注意: man lyrmak-tool で読むには、MANPATH に $prefix/share/man を加えてください"
fi
