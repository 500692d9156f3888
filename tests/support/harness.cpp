#include "harness.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>

#ifndef ZODUZOR_BINARY
#define ZODUZOR_BINARY "zoduzor"
#endif
#ifndef ZODUZOR_SOURCE_DIR
#define ZODUZOR_SOURCE_DIR "."
#endif

namespace harness {

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const fs::path& path, const std::string& contents)
{
    if (path.has_parent_path())
        fs::create_directories(path.parent_path());
    Unshare(path);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
}

namespace {

std::optional<std::string> DataHome()
{
    const char* v = std::getenv("XDG_DATA_HOME");
    return v ? std::optional<std::string>(v) : std::nullopt;
}

// The player's folder the tests were started with, which no run may write.
const std::optional<std::string> kInheritedDataHome = DataHome();

} // namespace

RunResult Run(const std::string& binary, const std::vector<std::string>& args,
              const std::string& workDir, const std::string& input, int timeoutSec)
{
    TempDir io;
    const fs::path inPath = io / "stdin", outPath = io / "stdout", errPath = io / "stderr";
    WriteFile(inPath, input);
    // Each run keeps its player's files in a folder of its own, unless the
    // test named one.
    const std::string privateHome = (io / "data-home").string();
    const bool ownHome = DataHome() == kInheritedDataHome;

    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        if (!workDir.empty() && chdir(workDir.c_str()) != 0)
            _exit(127);
        if (ownHome)
            setenv("XDG_DATA_HOME", privateHome.c_str(), 1);
        int in = open(inPath.c_str(), O_RDONLY);
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(binary.c_str()));
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(binary.c_str(), argv.data());
        _exit(127);
    }
    RunResult r;
    int status = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSec);
    for (;;) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            break;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            r.exitCode = -2;
            r.out = ReadFile(outPath);
            r.err = ReadFile(errPath) + "\n[killed after timeout]";
            return r;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = ReadFile(outPath);
    r.err = ReadFile(errPath);
    return r;
}

TempDir::TempDir()
{
    static std::mt19937_64 rng(std::random_device{}() ^ static_cast<uint64_t>(getpid()));
    for (;;) {
        path_ = fs::temp_directory_path() / ("zoduzor-test-" + std::to_string(rng()));
        if (fs::create_directory(path_))
            break;
    }
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

namespace {

struct stat StatOf(const fs::path& file)
{
    struct stat st
    {
    };
    if (stat(file.c_str(), &st) != 0)
        st = {};
    return st;
}

int64_t Modified(const struct stat& st)
{
    return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

} // namespace

GameDir::GameDir(bool withDefaultContent)
{
    if (!withDefaultContent)
        return;
    const fs::path src = fs::path(ZODUZOR_SOURCE_DIR) / "game";
    fs::copy(src / "data", path() / "data", fs::copy_options::recursive);
    // The pictures and sounds are linked, not copied: most tests only read them.
    for (const auto& e : fs::recursive_directory_iterator(src / "res")) {
        const fs::path to = path() / "res" / fs::relative(e.path(), src / "res");
        if (e.is_directory()) {
            fs::create_directories(to);
            continue;
        }
        std::error_code ec;
        fs::create_hard_link(e.path(), to, ec);
        if (ec) {
            fs::copy_file(e.path(), to);
            continue;
        }
        const struct stat st = StatOf(e.path());
        shared_.push_back({e.path(), Modified(st), st.st_mode});
    }
}

GameDir::~GameDir()
{
    for (const Shared& s : shared_) {
        const struct stat st = StatOf(s.source);
        if (Modified(st) != s.modified || st.st_mode != s.mode) {
            std::fprintf(stderr,
                         "harness: the test changed the shared content file %s through its "
                         "link; replace a file of res/ (Unshare) instead of writing it\n",
                         s.source.c_str());
            std::abort();
        }
    }
}

void Unshare(const fs::path& file)
{
    struct stat st
    {
    };
    if (lstat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink > 1)
        fs::remove(file);
}

void GameDir::Write(const std::string& rel, const std::string& contents) const
{
    WriteFile(path() / rel, contents);
}

std::string GameDir::Read(const std::string& rel) const
{
    return ReadFile(path() / rel);
}

bool GameDir::Exists(const std::string& rel) const
{
    return fs::exists(path() / rel);
}

RunResult GameDir::Play(const std::string& script, const std::vector<std::string>& extra,
                        int timeoutSec) const
{
    Write("test.script", script);
    std::vector<std::string> args = {"--dir", str(), "--headless", "--script",
                                     (path() / "test.script").string()};
    args.insert(args.end(), extra.begin(), extra.end());
    return Run(ZODUZOR_BINARY, args, str(), "", timeoutSec);
}

nlohmann::json GameDir::Dump(const std::string& rel) const
{
    return nlohmann::json::parse(Read(rel));
}

ScopedEnv::ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name)
{
    if (const char* old = std::getenv(name))
        old_ = old;
    if (value)
        setenv(name, value->c_str(), 1);
    else
        unsetenv(name);
}

ScopedEnv::~ScopedEnv()
{
    if (old_)
        setenv(name_, old_->c_str(), 1);
    else
        unsetenv(name_);
}

ScopedCwd::ScopedCwd(const fs::path& dir) : old_(fs::current_path())
{
    fs::current_path(dir);
}

ScopedCwd::~ScopedCwd()
{
    std::error_code ec;
    fs::current_path(old_, ec);
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string CrLf(const std::vector<std::string>& lines, bool finalLineEnd)
{
    std::string s;
    for (size_t i = 0; i < lines.size(); ++i) {
        s += lines[i];
        if (i + 1 < lines.size() || finalLineEnd)
            s += "\r\n";
    }
    return s;
}

} // namespace harness
