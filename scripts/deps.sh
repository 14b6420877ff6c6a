#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need,
# but only those that are missing. Usage: scripts/deps.sh run|test|deb
set -euo pipefail

# qt6-wayland lets the program run on a Wayland desktop without XWayland;
# fonts-noto-cjk is the proportional Japanese font of Debian's Japanese desktops.
packages=(cmake ninja-build g++ qt6-base-dev qt6-qpa-plugins qt6-wayland qt6-translations-l10n
          fonts-ipafont-gothic fonts-noto-cjk
          libmecab-dev mecab-ipadic-utf8 libsmf-dev libzip-dev)
# pkg-config finds libsmf and libzip for the build.
packages+=(pkg-config)
if [[ "${1:-run}" == test ]]; then
    # Scores written to a melody are opened in a real MuseScore.
    packages+=(musescore3)
    packages+=(clang-format libbenchmark-dev clang libclang-rt-14-dev xvfb xauth x11-utils
               libxcb1-dev bc python3 imagemagick desktop-file-utils man-db weston kakasi
               mecab mecab-ipadic-utf8)
fi
# The Debian package: its build (scripts/build-deb.sh) and the test that
# installs and starts it.
if [[ "${1:-run}" == test || "${1:-run}" == deb ]]; then
    packages+=(debhelper dpkg-dev fakeroot lintian appstream desktop-file-utils libmecab-dev
               libsmf-dev libzip-dev mecab-ipadic-utf8 xvfb xauth xdotool)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    echo "必要なパッケージをインストールします: ${missing[*]}"
    sudo_cmd=()
    if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
