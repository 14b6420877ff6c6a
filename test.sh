#!/usr/bin/env bash
# Builds and runs every test: the normal build, the format check, and a
# second build of the tests under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh test

echo "== 書式の確認 (clang-format)"
mapfile -t sources < <(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -name '*.cpp' -o -name '*.h')
clang-format --dry-run --Werror "${sources[@]}"

echo "== ビルドとテスト"
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default

echo "== サニタイザー付きのビルドとテスト"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
ctest --preset sanitize
