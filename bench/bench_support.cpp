// Helpers shared by the benchmarks.
#include "bench_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace bench {

namespace fs = std::filesystem;

Scratch::Scratch(const std::string& tag)
{
    dir = fs::temp_directory_path() / ("zoduzor-bench-" + tag + "-" + std::to_string(getpid()));
    std::error_code ec;
    fs::remove_all(dir, ec);
    fs::create_directories(dir);
    const fs::path game = fs::path(ZODUZOR_SOURCE_DIR) / "game";
    for (const char* sub : {"data", "res"}) {
        if (fs::exists(game / sub)) {
            fs::copy(game / sub, dir / sub,
                     fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        }
    }
}

Scratch::~Scratch()
{
    std::error_code ec;
    fs::remove_all(dir, ec);
}

fs::path GameBinary()
{
    if (const char* env = std::getenv("ZODUZOR_BINARY")) {
        return env;
    }
    return fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "zoduzor";
}

double CpuSeconds(pid_t pid)
{
    // Nanoseconds on the processor of every thread alive, from the scheduler.
    const fs::path tasks = "/proc/" + std::to_string(pid) + "/task";
    std::error_code ec;
    double ns = 0.0;
    bool any = false;
    for (fs::directory_iterator it(tasks, ec), end; !ec && it != end; it.increment(ec)) {
        std::ifstream in(it->path() / "schedstat");
        double run = 0.0;
        if (in >> run) {
            ns += run;
            any = true;
        }
    }
    if (any) {
        return ns / 1e9;
    }
    // Else user plus system time in clock ticks; the command name may hold
    // spaces, so fields are counted after its closing parenthesis.
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    const std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) {
        return -1.0;
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

bool Running(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    const std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z' &&
           stat[close + 2] != 'X';
}

pid_t StartGame(const fs::path& dir, const std::string& script, bool headless,
                const std::string& trace)
{
    const fs::path scriptFile = dir / "bench.script";
    std::ofstream(scriptFile) << script;
    const std::string binary = GameBinary().string();
    std::vector<std::string> args = {binary, "--dir", dir.string(), "--script",
                                     scriptFile.string()};
    if (headless) {
        args.push_back("--headless");
    }
    if (!trace.empty()) {
        args.push_back("--trace");
        args.push_back(trace);
    }
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        if (!std::getenv("DISPLAY")) {
            setenv("SDL_VIDEODRIVER", "offscreen", 0);
        }
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        execv(binary.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

double Median(std::vector<double> values)
{
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

void OnceInRealTime(benchmark::internal::Benchmark* b)
{
    b->Iterations(1)->Repetitions(1)->UseManualTime()->Unit(benchmark::kMillisecond);
}

} // namespace bench
