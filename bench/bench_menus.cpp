// CPU used by the menus while they wait, while the credits scroll and while
// a game is played, in a window and fullscreen: the game runs in real time
// (in a window of SDL's offscreen driver when there is no display) with a
// script, and its CPU time is sampled from /proc.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "rastrum.h"
#include "win32.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Starts the game with the script, samples its CPU time between `fromMs`
// and `toMs` after start and returns the share of one core used then.
double CpuShare(const std::string& script, int fromMs, int toMs, const std::string& windowCfg)
{
    bench::Scratch scratch("cpu");
    if (!windowCfg.empty())
        std::ofstream(scratch.dir / "Window.cfg") << windowCfg;
    const pid_t pid = bench::StartGame(scratch.dir, script);
    const auto start = Clock::now();
    std::this_thread::sleep_until(start + std::chrono::milliseconds(fromMs));
    const double cpu0 = bench::CpuSeconds(pid);
    const auto t0 = Clock::now();
    std::this_thread::sleep_until(start + std::chrono::milliseconds(toMs));
    const double cpu1 = bench::CpuSeconds(pid);
    const auto t1 = Clock::now();
    const bool running = bench::Running(pid);
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    const double wall = std::chrono::duration<double>(t1 - t0).count();
    if (!running) {
        std::fprintf(stderr, "the game ended early: %s\n",
                     WIFEXITED(status)
                         ? ("exit code " + std::to_string(WEXITSTATUS(status))).c_str()
                         : "killed by a signal");
    }
    if (!running || cpu0 < 0 || cpu1 < 0 || wall <= 0) {
        return -1.0; // the game was gone before the end of the sample
    }
    return (cpu1 - cpu0) / wall;
}

void ReportShare(benchmark::State& state, const std::string& script, int fromMs, int toMs,
                 const std::string& windowCfg = "")
{
    double share = 0.0;
    for (auto _ : state) {
        share = CpuShare(script, fromMs, toMs, windowCfg);
        if (share < 0) {
            state.SkipWithError("the game ended before the sample was taken");
            break;
        }
        state.SetIterationTime((toMs - fromMs) / 1000.0);
    }
    state.counters["cpu_percent_of_core"] = 100.0 * share;
}

// Buttons are chosen with the mouse: the real pointer of a display may rest
// on a button and move the menu's keyboard selection.
// The main menu waiting for input.
void BM_MainMenuIdleCpu(benchmark::State& state)
{
    ReportShare(state, "9000 quit\n", 2000, 7000);
}

// The credits screen scrolling its text.
void BM_CreditsScrollingCpu(benchmark::State& state)
{
    ReportShare(state, "500 click 330 530\n9000 quit\n", 2000, 7000);
}

// The options menu waiting for input.
void BM_OptionsIdleCpu(benchmark::State& state)
{
    ReportShare(state, "500 click 330 420\n9000 quit\n", 2000, 7000);
}

// A game in play: the ship flies left, then right, firing, while enemies come
// and shoot; sampled from the end of the level announcement.
const char* const kPlayScript = "500 click 330 300\n"
                                "700 keydown VK_SPACE\n"
                                "800 keydown VK_LEFT\n1800 keyup VK_LEFT\n"
                                "1800 keydown VK_RIGHT\n3200 keyup VK_RIGHT\n"
                                "12000 quit\n";

// In the window of 800 x 700, with authentic motion (the ticks' pictures
// alone) and with smooth motion (pictures between ticks too).
void BM_GameInPlayCpu(benchmark::State& state)
{
    ReportShare(state, kPlayScript, 3000, 8000, "motion=authentic\n");
}

void BM_GameInPlaySmoothCpu(benchmark::State& state)
{
    ReportShare(state, kPlayScript, 3000, 8000, "motion=smooth\n");
}

// Fullscreen on a screen of 1920 x 1080 (a window of that size where no
// window manager makes it fullscreen), smoothly scaled; then with smooth
// motion, and crisply scaled.
const char* const kFullscreen = "width=1920\nheight=1080\nfullscreen=1\n";

void BM_GameInPlayFullscreenCpu(benchmark::State& state)
{
    ReportShare(state, kPlayScript, 3000, 8000, std::string(kFullscreen) + "motion=authentic\n");
}

void BM_GameInPlayFullscreenSmoothCpu(benchmark::State& state)
{
    ReportShare(state, kPlayScript, 3000, 8000, std::string(kFullscreen) + "motion=smooth\n");
}

void BM_GameInPlayFullscreenCrispCpu(benchmark::State& state)
{
    ReportShare(state, kPlayScript, 3000, 8000,
                std::string(kFullscreen) + "motion=authentic\nscaling=crisp\n");
}

void ResolveForRastrum(const char* path, char* out, uint32_t outSize)
{
    const std::string resolved =
        w32::ResolvePath((fs::path(ZODUZOR_SOURCE_DIR) / "game").string() + "/" + path);
    std::snprintf(out, outSize, "%s", resolved.c_str());
}

// One paint of the credits screen into the buffer: background and the
// seventeen lines that fit on the screen.
void BM_CreditsPaintIntoBuffer(benchmark::State& state)
{
    Rastrum_BEGIN();
    Rastrum_SetPathResolver(ResolveForRastrum);
    InitGraphics(1);
    CreateBuffer(800, 700);
    LoadImage(1, ".\\RES\\cred\\img\\BG.png");
    std::vector<std::string> texts;
    for (int i = 0; i < 17; ++i) {
        texts.push_back("Credits line number " + std::to_string(i + 1));
    }
    for (auto _ : state) {
        DrawImage(1, 0, 0, 0);
        for (int i = 0; i < 17; ++i) {
            DrawText(texts[i].c_str(), "SF Movie Poster", 25, 11, 15 + 40 * i, 780, 30, 255, 255,
                     255, 255, 1);
        }
        benchmark::ClobberMemory();
    }
    FreeGraphics();
    FreeBuffer();
}

} // namespace

BENCHMARK(BM_CreditsPaintIntoBuffer)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MainMenuIdleCpu)->Apply(bench::OnceInRealTime);
BENCHMARK(BM_CreditsScrollingCpu)->Apply(bench::OnceInRealTime);
BENCHMARK(BM_GameInPlayCpu)->Apply(bench::OnceInRealTime);
BENCHMARK(BM_GameInPlaySmoothCpu)->Apply(bench::OnceInRealTime);
BENCHMARK(BM_GameInPlayFullscreenCpu)->Apply(bench::OnceInRealTime);
BENCHMARK(BM_GameInPlayFullscreenSmoothCpu)->Apply(bench::OnceInRealTime);
BENCHMARK(BM_GameInPlayFullscreenCrispCpu)->Apply(bench::OnceInRealTime);
BENCHMARK(BM_OptionsIdleCpu)->Apply(bench::OnceInRealTime);
