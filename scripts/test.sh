#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors, and runs every test:
# first in a normal build, then in a build with AddressSanitizer (leak checking on) and
# UndefinedBehaviorSanitizer, where any report fails the run.
# ZODUZOR_SKIP_SANITIZE=1 leaves out the second build (a quicker run while developing).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ZODUZOR_TEST_BUILD:-$root/build-test}"
jobs="$(nproc)"
bash "$root/scripts/install-deps.sh" all

echo "== Formatting (clang-format)"
# Every C++ file of the repository is kept in the style of .clang-format.
(cd "$root" && git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror)

echo "== Normal build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZODUZOR_WERROR=ON >/dev/null
cmake --build "$build" -j"$jobs"
(cd "$build" && ctest --output-on-failure -j"$jobs" "$@")

# The browser build and its test in headless Chromium: where the web toolchain
# is installed (scripts/install-deps.sh web), and in CI (CI set), which
# installs it; ZODUZOR_WEB_TEST=1 installs it anywhere, ZODUZOR_WEB_TEST=0
# leaves the test out.
web_test="${ZODUZOR_WEB_TEST:-}"
if [ -z "$web_test" ]; then
    web_test=0
    if [ -n "${CI:-}" ] || { command -v emcc && command -v node &&
        { command -v chromium-headless-shell || command -v chromium; }; } >/dev/null; then
        web_test=1
    fi
fi
if [ "$web_test" = 1 ]; then
    echo "== Browser build and test"
    bash "$root/tests/web/run.sh" "$build/zoduzor"
else
    echo "== Browser test skipped (no web toolchain, or ZODUZOR_WEB_TEST=0)"
fi

if [ "${ZODUZOR_SKIP_SANITIZE:-0}" != "1" ]; then
    echo "== Sanitizer build (AddressSanitizer, LeakSanitizer, UndefinedBehaviorSanitizer)"
    san="${build}-sanitize"
    cmake -S "$root" -B "$san" -DCMAKE_BUILD_TYPE=Debug -DZODUZOR_WERROR=ON \
        -DZODUZOR_SANITIZE=ON -DZODUZOR_BENCH=OFF >/dev/null
    cmake --build "$san" -j"$jobs"
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
    (cd "$san" && ctest --output-on-failure -j"$jobs" "$@")
fi

# Fuzzing of every reader of outside input, for a bounded time: in CI (CI set),
# or when ZODUZOR_FUZZ_SECONDS gives the seconds per target.
if [ -n "${CI:-}" ] || [ -n "${ZODUZOR_FUZZ_SECONDS:-}" ]; then
    echo "== Fuzzing"
    bash "$root/scripts/fuzz.sh" "${ZODUZOR_FUZZ_SECONDS:-45}"
fi
