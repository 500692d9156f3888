// CPU used by the menus while they wait and while the credits scroll: the
// game runs in real time (in a window of SDL's offscreen driver when there
// is no display) with a script, and its CPU time is sampled from /proc.
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

#include "rastrum.h"
#include "win32.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

fs::path GameBinary()
{
    if (const char* env = std::getenv("ZODUZOR_BINARY")) {
        return env;
    }
    // The benchmark lives in <build>/bench, the game in <build>.
    return fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "zoduzor";
}

// User plus system CPU of a process, in seconds.
double CpuSeconds(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) {
        return 0.0;
    }
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    double ticks = 0.0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14 || i == 15) { // utime, stime
            ticks += std::stod(field);
        }
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct Scratch
{
    fs::path dir;
    Scratch()
    {
        dir = fs::temp_directory_path() / ("zoduzor-bench-" + std::to_string(getpid()));
        fs::create_directories(dir);
        const fs::path game = fs::path(ZODUZOR_SOURCE_DIR) / "game";
        for (const char* sub : {"data", "res"}) {
            if (fs::exists(game / sub)) {
                fs::copy(game / sub, dir / sub,
                         fs::copy_options::recursive | fs::copy_options::overwrite_existing);
            }
        }
    }
    ~Scratch()
    {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

// Starts the game with the script, samples its CPU time between `fromMs`
// and `toMs` after start and returns the share of one core used then.
double CpuShare(const std::string& script, int fromMs, int toMs)
{
    Scratch scratch;
    const fs::path scriptFile = scratch.dir / "bench.script";
    std::ofstream(scriptFile) << script;
    const fs::path binary = GameBinary();
    const pid_t pid = fork();
    if (pid == 0) {
        if (!std::getenv("DISPLAY")) {
            setenv("SDL_VIDEODRIVER", "offscreen", 0);
        }
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        execl(binary.c_str(), binary.c_str(), "--dir", scratch.dir.c_str(), "--script",
              scriptFile.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto start = Clock::now();
    std::this_thread::sleep_until(start + std::chrono::milliseconds(fromMs));
    const double cpu0 = CpuSeconds(pid);
    const auto t0 = Clock::now();
    std::this_thread::sleep_until(start + std::chrono::milliseconds(toMs));
    const double cpu1 = CpuSeconds(pid);
    const auto t1 = Clock::now();
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    const double wall = std::chrono::duration<double>(t1 - t0).count();
    return wall > 0 ? (cpu1 - cpu0) / wall : 0.0;
}

void ReportShare(benchmark::State& state, const std::string& script, int fromMs, int toMs)
{
    double share = 0.0;
    for (auto _ : state) {
        share = CpuShare(script, fromMs, toMs);
        state.SetIterationTime((toMs - fromMs) / 1000.0);
    }
    state.counters["cpu_percent_of_core"] = 100.0 * share;
}

// The main menu waiting for input.
void BM_MainMenuIdleCpu(benchmark::State& state)
{
    ReportShare(state, "9000 quit\n", 2000, 7000);
}

// The credits screen scrolling its text.
void BM_CreditsScrollingCpu(benchmark::State& state)
{
    const std::string script = "500 press VK_DOWN\n510 press VK_DOWN\n520 press VK_DOWN\n"
                               "530 press VK_DOWN\n540 press VK_RETURN\n9000 quit\n";
    ReportShare(state, script, 2000, 7000);
}

// The options menu waiting for input.
void BM_OptionsIdleCpu(benchmark::State& state)
{
    const std::string script = "500 press VK_DOWN\n510 press VK_DOWN\n520 press VK_RETURN\n"
                               "9000 quit\n";
    ReportShare(state, script, 2000, 7000);
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
BENCHMARK(BM_MainMenuIdleCpu)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreditsScrollingCpu)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OptionsIdleCpu)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
