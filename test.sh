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

echo "== ファジング (libFuzzer, ASan+UBSan, 各ターゲット約40秒)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
fuzz_seconds="${LYRMAK_FUZZ_SECONDS:-40}"
for target in words frames filling htmlshape midi musicxml; do
    work="build-fuzz/corpus/${target}"
    mkdir -p "${work}" build-fuzz/artifacts
    echo "-- fuzz_${target}: ${fuzz_seconds} 秒"
    if ! build-fuzz/tests/fuzz/fuzz_${target} -max_total_time="${fuzz_seconds}" -timeout=10 \
        -rss_limit_mb=4096 -max_len=65536 -print_final_stats=1 \
        -artifact_prefix="build-fuzz/artifacts/${target}-" \
        "${work}" "tests/fuzz/corpus/${target}" "tests/fuzz/regressions/${target}" \
        >"build-fuzz/fuzz_${target}.log" 2>&1; then
        tail -40 "build-fuzz/fuzz_${target}.log"
        echo "fuzz_${target} が失敗しました。再現用の入力: build-fuzz/artifacts/" >&2
        echo "（tests/fuzz/regressions/${target}/ に加えて回帰テストにしてください）" >&2
        exit 1
    fi
    grep -E "stat::(number_of_executed_units|average_exec_per_sec)" "build-fuzz/fuzz_${target}.log" || true
done

echo "== サニタイザー付きのビルドとテスト"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
ctest --preset sanitize

echo "== Debian パッケージ（ビルド、lintian、apt-get でインストールして起動、削除）"
tests/deb_test.sh
