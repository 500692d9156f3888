// The whole program: start-up to the first painted main menu, and the peak
// resident memory of a game in play.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include <benchmark/benchmark.h>

#include "bench_support.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Waits for the game; false when it did not end by itself with exit code 0.
bool Finished(pid_t pid, rusage* usage)
{
    int status = 0;
    if (wait4(pid, &status, 0, usage) != pid) {
        return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double Seconds(const timeval& t)
{
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

// From exec to the end of a headless run whose script quits right after the
// main menu's first paint; the trace of the first run shows that paint.
void BM_StartupToMenuPaint(benchmark::State& state)
{
    bench::Scratch scratch("startup");
    {
        // Once, untimed: the run reaches the main menu's paint before it quits.
        const std::string traceFile = (scratch.dir / "trace.txt").string();
        const pid_t pid = bench::StartGame(scratch.dir, "1 quit\n", true, traceFile);
        Finished(pid, nullptr);
        std::ifstream in(traceFile);
        const std::string trace((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        if (trace.find("MENU WM_PAINT") == std::string::npos) {
            state.SkipWithError("the run ended before the main menu was painted");
            return;
        }
    }
    double cpuMs = 0.0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const pid_t pid = bench::StartGame(scratch.dir, "1 quit\n", true);
        rusage usage{};
        if (!Finished(pid, &usage)) {
            state.SkipWithError("the game did not start and quit cleanly");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
        cpuMs = 1e3 * (Seconds(usage.ru_utime) + Seconds(usage.ru_stime));
    }
    // The game's own processor time: what the start-up costs on a machine that is not shared.
    state.counters["cpu_ms"] = cpuMs;
}
BENCHMARK(BM_StartupToMenuPaint)
    ->Iterations(1)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// A game played in real time (in a window when there is a display): the
// ship flies left and right and fires while enemies come and shoot; the
// peak resident memory of the whole run, in MB.
void BM_PeakMemoryInPlay(benchmark::State& state)
{
    bench::Scratch scratch("memory");
    const std::string script = "500 click 330 300\n"
                               "700 keydown VK_SPACE\n"
                               "800 keydown VK_LEFT\n1800 keyup VK_LEFT\n"
                               "1800 keydown VK_RIGHT\n3200 keyup VK_RIGHT\n"
                               "4500 quit\n";
    double peakMb = 0.0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const pid_t pid = bench::StartGame(scratch.dir, script);
        rusage usage{};
        if (!Finished(pid, &usage)) {
            state.SkipWithError("the game did not play and quit cleanly");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
        peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0; // ru_maxrss is in KiB
    }
    state.counters["peak_rss_mb"] = peakMb;
}
BENCHMARK(BM_PeakMemoryInPlay)->Apply(bench::OnceInRealTime);

} // namespace
