#!/bin/sh
# The monkey soak: random input on every screen of the game, headless, under
# AddressSanitizer and UndefinedBehaviorSanitizer with leak checks.
#   scripts/soak.sh [VIRTUAL_MS] [SEED]
# Builds the sanitizer build (build-soak-asan) when needed, then prints the
# inputs fed, the virtual and real time and the peak memory.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
virtual_ms=${1:-1800000}
seed=${2:-1}
build=${SOAK_BUILD:-$here/build-soak-asan}
rss_limit_mb=${SOAK_RSS_LIMIT_MB:-200}

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$here" -B "$build" -DZODUZOR_SANITIZE=ON -DZODUZOR_BENCH=OFF
fi
cmake --build "$build" -j2 --target zoduzor zoduzor_soak

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# Real time allowed: generous, so that only a hang reaches it.
exec "$build/tests/soak/zoduzor_soak" --game "$build/zoduzor" --content "$here/game" \
    --work "${SOAK_WORK:-$build/soak-run}" --virtual-ms "$virtual_ms" --seed "$seed" \
    --rss-limit-mb "$rss_limit_mb" --real-timeout "${SOAK_REAL_TIMEOUT:-7200}"
