// The monkey soak: runs the game headless on random input from a seed until
// the asked virtual time has passed (starting it again whenever the random
// input ends it), and checks that it never crashes, hangs, reports a
// sanitizer fault, grows beyond a memory limit or leaves a settings or
// high-score file that is not valid.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "soak_checks.h"
#include "soak_script.h"

namespace fs = std::filesystem;

namespace {

struct Options
{
    std::string game;
    fs::path content;
    fs::path work;
    uint64_t virtualMs = 180000;
    uint64_t seed = 1;
    long rssLimitMb = 200;
    int realTimeoutSec = 1800;
    bool keep = false;
};

struct Totals
{
    uint64_t inputs = 0;
    uint64_t virtualMs = 0;
    uint64_t dumps = 0;
    int sessions = 0;
    long peakRssKb = 0;
    std::vector<std::string> failures;
};

std::string ReadAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool Usage()
{
    std::cerr
        << "usage: zoduzor_soak --game BIN --content DIR --work DIR [--virtual-ms N] [--seed N]\n"
           "                    [--rss-limit-mb N] [--real-timeout SEC] [--keep]\n";
    return false;
}

bool ParseArgs(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        try {
            if (a == "--game") {
                o.game = next();
            } else if (a == "--content") {
                o.content = next();
            } else if (a == "--work") {
                o.work = next();
            } else if (a == "--virtual-ms") {
                o.virtualMs = std::stoull(next());
            } else if (a == "--seed") {
                o.seed = std::stoull(next());
            } else if (a == "--rss-limit-mb") {
                o.rssLimitMb = std::stol(next());
            } else if (a == "--real-timeout") {
                o.realTimeoutSec = std::stoi(next());
            } else if (a == "--keep") {
                o.keep = true;
            } else {
                return Usage();
            }
        } catch (const std::exception&) {
            return Usage();
        }
    }
    if (o.game.empty() || o.content.empty() || o.work.empty()) {
        return Usage();
    }
    // The game runs in the work folder: every path must stand on its own.
    o.game = fs::absolute(o.game).string();
    o.content = fs::absolute(o.content);
    o.work = fs::absolute(o.work);
    return true;
}

// Checks the two files the game keeps (the settings file exists from the
// game's start on); at the end of a run no temporary file may remain.
void CheckFiles(const fs::path& dir, bool atEnd, const std::string& when, Totals& t)
{
    const fs::path settings = dir / "UserSettings.list";
    const fs::path scores = dir / "HighScores.list";
    if (fs::exists(settings)) {
        if (auto why = soak::CheckSettingsText(ReadAll(settings)); !why.empty()) {
            t.failures.push_back(when + ": " + why);
        }
    } else {
        t.failures.push_back(when + ": UserSettings.list is missing");
    }
    if (fs::exists(scores)) {
        if (auto why = soak::CheckHighScoresText(ReadAll(scores)); !why.empty()) {
            t.failures.push_back(when + ": " + why);
        }
    }
    for (const auto& e : fs::directory_iterator(dir)) {
        if (!atEnd) {
            break;
        }
        // A temporary file left beside a table means a write did not finish.
        const std::string name = e.path().filename().string();
        if (name != "UserSettings.list" && name != "HighScores.list" &&
            name.find(".list") != std::string::npos) {
            t.failures.push_back(when + ": stray file " + name);
        }
    }
}

// Validates dump n of the session; returns its time, or -1 if unreadable.
int64_t CheckDumpFile(const fs::path& file, Totals& t)
{
    try {
        const auto d = nlohmann::json::parse(ReadAll(file));
        if (auto why = soak::CheckDump(d); !why.empty()) {
            t.failures.push_back(file.filename().string() + ": " + why);
        }
        ++t.dumps;
        return d.at("time").get<int64_t>();
    } catch (const std::exception& ex) {
        t.failures.push_back(file.filename().string() + ": " + ex.what());
        return -1;
    }
}

bool SanitizerReport(const std::string& err)
{
    for (const char* mark : {"AddressSanitizer", "LeakSanitizer", "UndefinedBehaviorSanitizer",
                             "runtime error:", "Fatal Error"}) {
        if (err.find(mark) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// One run of the game over `length` ms of script; adds what it covered.
void RunSession(const Options& o, soak::ScriptGenerator& gen, uint64_t length, Totals& t,
                std::chrono::steady_clock::time_point deadline)
{
    const int session = t.sessions++;
    const std::string prefix = "dumps/s" + std::to_string(session) + "_";
    const auto events = gen.Generate(length);
    fs::create_directories(o.work / "dumps");
    {
        std::ofstream out(o.work / "soak.script", std::ios::binary | std::ios::trunc);
        out << soak::ScriptGenerator::Text(events);
    }

    const fs::path errPath = o.work / ("stderr." + std::to_string(session));
    pid_t pid = fork();
    if (pid < 0) {
        t.failures.push_back("fork failed");
        return;
    }
    if (pid == 0) {
        if (chdir(o.work.c_str()) != 0) {
            _exit(127);
        }
        int devnull = open("/dev/null", O_RDWR);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(devnull, 0);
        dup2(devnull, 1);
        dup2(err, 2);
        // Under AddressSanitizer freed memory waits in a quarantine of 256 MB
        // by default, which would hide growth of the game's own; keep it small.
        std::string asan = std::getenv("ASAN_OPTIONS") ? std::getenv("ASAN_OPTIONS") : "";
        if (asan.find("quarantine_size_mb") == std::string::npos) {
            asan += (asan.empty() ? "" : ":") + std::string("quarantine_size_mb=16");
            setenv("ASAN_OPTIONS", asan.c_str(), 1);
        }
        const std::string maxTime = std::to_string(length + 10);
        execl(o.game.c_str(), o.game.c_str(), "--dir", o.work.c_str(), "--headless", "--script",
              "soak.script", "--max-time", maxTime.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }

    // While it runs: each dump is complete once the next one exists; the
    // files are checked at that moment too.
    int next = 0;
    int64_t lastTime = 0;
    int status = 0;
    rusage ru{};
    bool hung = false;
    for (;;) {
        const pid_t done = wait4(pid, &status, WNOHANG, &ru);
        if (done == pid) {
            break;
        }
        while (fs::exists(o.work / (prefix + std::to_string(next + 1) + ".json"))) {
            const fs::path file = o.work / (prefix + std::to_string(next) + ".json");
            lastTime = std::max(lastTime, CheckDumpFile(file, t));
            CheckFiles(o.work, false, file.filename().string(), t);
            if (!o.keep) {
                fs::remove(file);
            }
            ++next;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            wait4(pid, &status, 0, &ru);
            hung = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    t.peakRssKb = std::max(t.peakRssKb, ru.ru_maxrss);

    for (;; ++next) {
        const fs::path file = o.work / (prefix + std::to_string(next) + ".json");
        if (!fs::exists(file)) {
            break;
        }
        lastTime = std::max(lastTime, CheckDumpFile(file, t));
        if (!o.keep) {
            fs::remove(file);
        }
    }
    const fs::path endDump = o.work / (prefix + "end.json");
    const bool ranToEnd = fs::exists(endDump);
    if (ranToEnd) {
        lastTime = std::max(lastTime, CheckDumpFile(endDump, t));
        fs::remove(endDump);
    }

    const std::string err = ReadAll(errPath);
    const std::string where = "session " + std::to_string(session);
    if (hung) {
        t.failures.push_back(where + ": still running at the real-time limit (hang?)");
    } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        t.failures.push_back(where + ": ended with " +
                             (WIFEXITED(status) ? "exit code " + std::to_string(WEXITSTATUS(status))
                                                : "signal " + std::to_string(WTERMSIG(status))));
    }
    if (SanitizerReport(err)) {
        t.failures.push_back(where + ": fault report on stderr:\n" + err.substr(0, 4000));
    } else if (!err.empty()) {
        std::cerr << where << " stderr: " << err.substr(0, 500) << "\n";
    }
    if (t.peakRssKb > o.rssLimitMb * 1024) {
        t.failures.push_back(where + ": peak memory " + std::to_string(t.peakRssKb / 1024) +
                             " MB over the limit of " + std::to_string(o.rssLimitMb) + " MB");
    }
    CheckFiles(o.work, true, where + " end", t);

    // A run cut short (exit chosen, or closed on the main menu) covered up
    // to its last dump; starting again continues from there.
    const uint64_t covered =
        ranToEnd ? length : static_cast<uint64_t>(std::max<int64_t>(lastTime, 0));
    t.virtualMs += covered;
    for (const auto& e : events) {
        t.inputs += e.input && e.time <= covered ? 1 : 0;
    }
    if (!t.failures.empty()) {
        const fs::path keep = o.work / ("failed.script." + std::to_string(session));
        fs::copy_file(o.work / "soak.script", keep, fs::copy_options::overwrite_existing);
        std::cerr << "script of the failing run kept as " << keep << "\n";
    }
}

} // namespace

int main(int argc, char** argv)
{
    Options o;
    if (!ParseArgs(argc, argv, o)) {
        return 2;
    }
    std::error_code ec;
    fs::remove_all(o.work, ec);
    fs::create_directories(o.work);
    for (const char* sub : {"data", "res"}) {
        if (fs::exists(o.content / sub)) {
            fs::copy(o.content / sub, o.work / sub, fs::copy_options::recursive);
        }
    }

    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + std::chrono::seconds(o.realTimeoutSec);
    Totals t;
    int shortRuns = 0;
    while (t.virtualMs < o.virtualMs && t.failures.empty()) {
        const uint64_t before = t.virtualMs;
        // Dump names carry the session, so the generator's prefix is set per run.
        soak::ScriptGenerator sessionGen(o.seed * 1000003 + static_cast<uint64_t>(t.sessions),
                                         "dumps/s" + std::to_string(t.sessions) + "_");
        RunSession(o, sessionGen, o.virtualMs - t.virtualMs, t, deadline);
        // A run that ends before its first dump still counts a second, so the
        // soak always moves on.
        if (t.virtualMs == before) {
            t.virtualMs += 1000;
            if (++shortRuns > 50) {
                t.failures.push_back("the game keeps ending before its first second");
            }
        }
        if (std::chrono::steady_clock::now() > deadline) {
            break;
        }
    }
    const double realSec =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::printf("seed:          %llu\n", static_cast<unsigned long long>(o.seed));
    std::printf("inputs fed:    %llu\n", static_cast<unsigned long long>(t.inputs));
    std::printf("virtual time:  %llu ms\n", static_cast<unsigned long long>(t.virtualMs));
    std::printf("real time:     %.1f s\n", realSec);
    std::printf("peak memory:   %.1f MB (limit %ld MB)\n", t.peakRssKb / 1024.0, o.rssLimitMb);
    std::printf("runs:          %d\n", t.sessions);
    std::printf("dumps checked: %llu\n", static_cast<unsigned long long>(t.dumps));
    if (t.virtualMs < o.virtualMs && t.failures.empty()) {
        t.failures.push_back("real-time limit reached before the virtual time was covered");
    }
    for (const auto& f : t.failures) {
        std::printf("FAIL: %s\n", f.c_str());
    }
    std::printf("%s\n", t.failures.empty() ? "soak passed" : "soak FAILED");
    if (t.failures.empty() && !o.keep) {
        fs::remove_all(o.work, ec);
    }
    return t.failures.empty() ? 0 : 1;
}
