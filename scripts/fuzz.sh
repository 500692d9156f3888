#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UBSan) and
# runs each for SECONDS (default 45) from a copy of its seed corpus. Any
# crash, hang or sanitizer report fails the run and names the reproducer.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-${ZODUZOR_FUZZ_SECONDS:-45}}"
build="${ZODUZOR_FUZZ_BUILD:-$root/build-fuzz}"
jobs="${ZODUZOR_FUZZ_JOBS:-2}"
targets=(fuzz_enemy_class fuzz_boss_class fuzz_bullet_class fuzz_level fuzz_user_settings
         fuzz_high_scores fuzz_credits fuzz_script fuzz_mci fuzz_state_dump)

if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
    echo "fuzz.sh: SECONDS must be a positive whole number, not '$seconds'" >&2
    exit 2
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZODUZOR_FUZZ=ON -DZODUZOR_TESTS=ON -DZODUZOR_BENCH=OFF -DZODUZOR_WERROR=ON >/dev/null || exit 1
cmake --build "$build" -j"$jobs" --target fuzz_targets || exit 1

# The targets' own sanitizer settings, whatever the caller exported.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
unset LSAN_OPTIONS

work="$(mktemp -d "${TMPDIR:-/tmp}/zoduzor-fuzz-run.XXXXXX")"
failed=0
for target in "${targets[@]}"; do
    corpus="$work/corpus/$target"
    artifacts="$work/artifacts/$target"
    mkdir -p "$corpus" "$artifacts"
    cp "$root/tests/fuzz/corpus/$target/"* "$corpus/"
    log="$work/$target.log"
    echo "== $target: $seconds s"
    "$build/tests/fuzz/$target" "$corpus" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1 \
        -artifact_prefix="$artifacts/" >"$log" 2>&1
    rc=$?
    grep -E "^#[0-9]+ +DONE|stat::number_of_executed_units|cov: " "$log" | tail -n 2
    if [ "$rc" -ne 0 ] || grep -qE "ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:" "$log"; then
        failed=1
        echo "FAILED: $target (exit $rc); log: $log"
        grep -E "ERROR:|runtime error:|invariant broken" "$log" | head -n 5
        for reproducer in "$artifacts"/*; do
            [ -e "$reproducer" ] && echo "reproducer: $reproducer"
        done
    fi
done
if [ "$failed" -ne 0 ]; then
    echo "fuzzing found faults; logs and reproducers are in $work"
    exit 1
fi
echo "fuzzing: no faults in ${#targets[@]} targets"
rm -rf "$work"
