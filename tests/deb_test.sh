#!/usr/bin/env bash
# The Debian package as a user gets it: built from debian/, checked by
# lintian, installed with apt-get, started from /usr/bin under Xvfb by an
# unprivileged user who makes lyrics and saves them (the program folder is
# read-only, so they land in that user's ~/.local/share/lyrmak), the data
# checked with lyrmak-tool, then purged, leaving no file behind.
# Needs root, or sudo, for apt-get. Usage: tests/deb_test.sh [OUTPUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build-deb}
mkdir -p "$out"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
if dpkg-query -W -f='${Status}' lyrmak 2>/dev/null | grep -q "install ok installed"; then
    echo "lyrmak のパッケージがこのマシンにインストールされているので、省きます" >&2
    exit 0
fi

start=$SECONDS
# A compiler cache, where there is one, sees the same paths every time.
if command -v ccache >/dev/null; then
    export CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
DEB_BUILD_OPTIONS="nocheck parallel=2 noddebs" scripts/build-deb.sh "$out" >"$out/build.log" 2>&1 ||
    { tail -40 "$out/build.log"; fail "the package did not build (log: $out/build.log)"; }
echo "-- パッケージのビルド: $((SECONDS - start)) 秒"
lintian --fail-on error,warning --info "$out"/lyrmak_*.changes || fail "lintian"

# What is on the machine before, to see that the purge leaves nothing.
snapshot() {
    find /usr /etc /opt /var/lib -xdev \( -path /var/lib/apt -o -path /var/lib/dpkg \
        -o -path /var/lib/ucf -o -path /etc/ld.so.cache \) -prune -o -print | sort
}
before=$(mktemp)
after=$(mktemp)
home=$(mktemp -d)
trap 'rm -rf "$before" "$after" "$home"; "${sudo_cmd[@]}" apt-get purge -y -qq lyrmak >/dev/null 2>&1 || true' EXIT
snapshot >"$before"

(cd "$out" && "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends ./lyrmak_*.deb >/dev/null) || fail "apt-get install"
dpkg -L lyrmak | grep -q '^/usr/libexec/lyrmak/lyrmak$' || fail "no program folder"

# A user without privileges and with an empty home.
"${sudo_cmd[@]}" chown nobody:nogroup "$home"
as_user() {
    "${sudo_cmd[@]}" setpriv --reuid=nobody --regid=nogroup --clear-groups \
        env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"
}
[[ $(as_user lyrmak --version) == "lyrmak (ミルトナ) 7.0" ]] || fail "lyrmak --version"
[[ $(as_user man -w lyrmak) == /usr/share/man/man1/lyrmak.1.gz ]] || fail "man -w lyrmak"

# New lyrics, then Save through the menu (作詞 > 上書保存).
as_user xvfb-run -a -s "-screen 0 800x600x24 -nolisten tcp" bash -c '
    /usr/bin/lyrmak &
    pid=$!
    win=$(timeout 30 xdotool search --sync --onlyvisible --name "驚異のミルトナ" | head -1)
    [[ -n $win ]] || exit 1
    xdotool windowfocus --sync "$win"
    for key in ctrl+n alt+f s; do
        sleep 0.5
        xdotool key "$key"
    done
    for _ in $(seq 50); do
        [[ -s $HOME/.local/share/lyrmak/Lyrmak.dat ]] && break
        sleep 0.2
    done
    kill "$pid"
' || fail "lyrmak under Xvfb"
saved=$home/.local/share/lyrmak/Lyrmak.dat
[[ $(head -n 1 "$saved" 2>/dev/null) == "-------------------------------"$'\r' ]] ||
    fail "no block in $saved"
[[ $(stat -c %a "${saved%/*}") == 700 ]] || fail "${saved%/*} is not private"
as_user lyrmak-tool check >/dev/null || fail "lyrmak-tool check"

"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq lyrmak >/dev/null ||
    fail "apt-get purge"
snapshot >"$after"
# Packages that apt brought in with it may stay; files of no package may not.
while IFS= read -r f; do
    dpkg -S "$f" >/dev/null 2>&1 || fail "left behind: $f"
done < <(comm -13 "$before" "$after")
echo "-- パッケージのテスト: 合わせて $((SECONDS - start)) 秒"
