#!/usr/bin/env bash
# Builds the Debian package from the packaging files in debian/, as a
# packager would (dpkg-buildpackage -us -uc -b), in a clean copy of the tree
# so that no build folder of the developer's gets in.
# Usage: scripts/build-deb.sh [OUTPUT_DIR]     (default: build-deb)
# DEB_BUILD_OPTIONS passes through, e.g. "nocheck parallel=2".
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh deb
out=${1:-build-deb}
mkdir -p "$out"
out=$(cd "$out" && pwd)
# A fixed place, so that compiler caches see the same paths every time.
work=$out/work
rm -rf "$work"
mkdir -p "$work/lyrmak"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z --cached --others --exclude-standard |
        while IFS= read -r -d '' f; do
            if [[ -e $f ]]; then
                printf '%s\0' "$f"
            fi
        done | xargs -0 cp --parents -t "$work/lyrmak"
else
    tar -c --exclude='./build*' --exclude=./.git . | tar -x -C "$work/lyrmak"
fi
(cd "$work/lyrmak" && dpkg-buildpackage -us -uc -b)
rm -f "$out"/*.deb "$out"/*.changes "$out"/*.buildinfo
mv "$work"/*.deb "$work"/*.changes "$work"/*.buildinfo "$out/"
rm -rf "$work"
ls "$out"/*.deb
