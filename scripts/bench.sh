#!/usr/bin/env bash
# Builds a Release build (build-bench), runs every benchmark under a virtual
# X server and prints one table: measure, figure, target, verdict.
#   ZODUZOR_BENCH_BUILD   the build folder (default <repo>/build-bench)
#   ZODUZOR_BENCH_JOBS    parallel build jobs (default 2)
#   ZODUZOR_BENCH_JSON    where the raw results go (default <build>/bench-results.json)
# Timings of code inside the program are medians of 5 repetitions; the
# start-up is the median of 15 runs. Verdicts use processor time (what the
# game itself spends), so other work on the machine does not fail a target;
# wall-clock figures are shown beside them.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ZODUZOR_BENCH_BUILD:-$root/build-bench}"
jobs="${ZODUZOR_BENCH_JOBS:-2}"
json="${ZODUZOR_BENCH_JSON:-$build/bench-results.json}"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZODUZOR_BENCH=ON >/dev/null
cmake --build "$build" -j"$jobs" --target zoduzor zoduzor_bench >/dev/null

run=("$build/bench/zoduzor_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
     --benchmark_out="$json" --benchmark_out_format=json)
if command -v xvfb-run >/dev/null 2>&1; then
    # A screen of 1920 x 1080 with a small window manager, where there is one,
    # so that fullscreen covers it.
    SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" \
        bash -c 'if command -v evilwm >/dev/null; then evilwm -fn fixed >/dev/null 2>&1 & fi; "$@"' \
        bench "${run[@]}" >&2
else
    echo "xvfb-run is missing: the window measures use SDL's offscreen driver" >&2
    SDL_AUDIODRIVER=dummy "${run[@]}" >&2
fi

python3 - "$json" <<'PY'
import json
import sys

data = json.load(open(sys.argv[1]))
runs = {}
for b in data["benchmarks"]:
    name = b.get("run_name", b["name"])
    # A median when the run was repeated, else the single run.
    if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
        continue
    if b.get("run_type") == "aggregate" or name not in runs:
        runs[name] = b

SCALE = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}


def us(b, key):
    return b[key] * SCALE[b["time_unit"]]


def find(prefix):
    for name, b in runs.items():
        if name.split("/")[0] == prefix:
            if b.get("error_occurred"):
                return None, b.get("error_message", "failed")
            return b, None
    return None, "not run"


def timed(prefix, limit_us, unit):
    b, err = find(prefix)
    if not b:
        return None, err
    div = 1e3 if unit == "ms" else 1.0
    cpu, wall = us(b, "cpu_time") / div, us(b, "real_time") / div
    return cpu <= limit_us / div, "%.3g %s (wall %.3g %s)" % (cpu, unit, wall, unit)


def startup():
    b, err = find("BM_StartupToMenuPaint")
    if not b:
        return None, err
    cpu, wall = b["cpu_ms"], us(b, "real_time") / 1e3
    return cpu < 200, "%.0f ms cpu (wall %.0f ms)" % (cpu, wall)


def counter(prefix, key, fmt, ok):
    b, err = find(prefix)
    if not b:
        return None, err
    v = b[key]
    return ok(v), fmt % v


rows = [
    ("start-up to the first painted main menu (headless, whole program)", startup, "< 200 ms"),
    ("main-menu paint", lambda: timed("BM_MainMenuPaint", 2000, "ms"), "< 2 ms"),
    ("play tick, 28 enemies + 300 bullets", lambda: timed("BM_PlayTickFullLoad", 20, "us"), "< 20 us"),
    ("full play-screen paint (default content, pause overlay)",
     lambda: timed("BM_GamePaintFullLoad", 2000, "ms"), "< 2 ms"),
    ("level start: images, classes, sounds (default content)",
     lambda: timed("BM_LevelStart", 50000, "ms"), "< 50 ms"),
    ("data loading: 100 classes and a level", lambda: timed("BM_LoadDataFolder", 10000, "ms"), "< 10 ms"),
    ("CPU of the idle main menu in a window, 5 s",
     lambda: counter("BM_MainMenuIdleCpu", "cpu_percent_of_core", "%.2f %% of a core", lambda v: v < 0.5),
     "~0 % (< 0.5 %)"),
    ("CPU of a game in play in a window of 800 x 700 (authentic motion), 5 s",
     lambda: counter("BM_GameInPlayCpu", "cpu_percent_of_core", "%.2f %% of a core", lambda v: v < 2.5),
     "< 2.5 % of a core"),
    ("CPU of a game in play in a window of 800 x 700 (smooth motion), 5 s",
     lambda: counter("BM_GameInPlaySmoothCpu", "cpu_percent_of_core", "%.2f %% of a core",
                     lambda v: v < 4), "< 4 % of a core"),
    ("CPU of a game in play fullscreen at 1920 x 1080 (smooth scaling, authentic motion), 5 s",
     lambda: counter("BM_GameInPlayFullscreenCpu", "cpu_percent_of_core", "%.2f %% of a core",
                     lambda v: v < 8), "< 8 % of a core"),
    ("CPU of a game in play fullscreen at 1920 x 1080 (smooth scaling, smooth motion), 5 s",
     lambda: counter("BM_GameInPlayFullscreenSmoothCpu", "cpu_percent_of_core",
                     "%.2f %% of a core", lambda v: v < 10), "< 10 % of a core"),
    ("CPU of a game in play fullscreen at 1920 x 1080 (crisp scaling, authentic motion), 5 s",
     lambda: counter("BM_GameInPlayFullscreenCrispCpu", "cpu_percent_of_core",
                     "%.2f %% of a core", lambda v: v < 8), "< 8 % of a core"),
    ("CPU of the credits scrolling in a window, 5 s",
     lambda: counter("BM_CreditsScrollingCpu", "cpu_percent_of_core", "%.2f %% of a core", lambda v: v < 2),
     "< 2 % of a core"),
    ("peak resident memory of a game in play (window)",
     lambda: counter("BM_PeakMemoryInPlay", "peak_rss_mb", "%.1f MB", lambda v: v < 80), "< 80 MB"),
]

table = [("measure", "figure", "target", "verdict")]
for label, fn, target in rows:
    ok, figure = fn()
    table.append((label, figure, target, "met" if ok else ("missed" if ok is False else "error")))
widths = [max(len(r[i]) for r in table) for i in range(4)]
ctx = data.get("context", {})
print("Zoduzor benchmarks, %s, %s CPUs, load average %s" % (
    ctx.get("date", "?"), ctx.get("num_cpus", "?"),
    " ".join("%.2f" % x for x in ctx.get("load_avg", []))))
for i, r in enumerate(table):
    print("| " + " | ".join(c.ljust(w) for c, w in zip(r, widths)) + " |")
    if i == 0:
        print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
missed = sum(1 for r in table[1:] if r[3] != "met")
sys.exit(1 if missed else 0)
PY
