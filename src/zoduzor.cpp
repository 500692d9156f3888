// Zoduzor: start-up, the window and the message loop.
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "common.h"
#include "game.h"
#include "highscore.h"
#include "keySettings.h"
#include "loadmenu.h"
#include "proginit.h"
#include "rastrum.h"
#include "runmode.h"
#include "shell.h"
#include "win32.h"
#include "winwrap.h"
#include "zoduzor_build_info.h"

static WNDCLASSA wc;
static HWND hwnd = nullptr;

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: zoduzor [--dir DIR] [--headless] [--script FILE] [--record FILE] [--trace FILE]\n"
    "               [--mci-log FILE] [--clock YYYY-MM-DDTHH:MM:SS.CC] [--max-time MS]\n"
    "       zoduzor [--dir DIR] [--headless] --replay FILE [--speed X] [--trace FILE]\n"
    "               [--mci-log FILE]\n"
    "       zoduzor --help | --version\n";

constexpr const char* kHelp =
    "A vertical shoot-'em-up: steer a shielded ship through waves of falling enemies.\n"
    "\n"
    "  --dir DIR        play with the content (data/, res/) in DIR; the settings and high\n"
    "                   scores are kept there too when DIR can be written\n"
    "  --headless       no window and no sound; time is virtual and runs as fast as it can\n"
    "  --script FILE    feed input from FILE, one event a line at the times it names\n"
    "  --record FILE    write every input and a state check each second as a script\n"
    "  --trace FILE     write one line for every message a screen receives\n"
    "  --mci-log FILE   write every sound command, one a line\n"
    "  --clock TIME     the clock at the start of a headless run, YYYY-MM-DDTHH:MM:SS.CC\n"
    "  --max-time MS    end a headless run after MS virtual milliseconds (default 600000)\n"
    "  --replay FILE    watch a kept replay or a recording in the window (Space pauses,\n"
    "                   Escape leaves); with --headless, check it and print ok\n"
    "  --speed X        the pace of a watched replay, from 0.5 to 4 (default 1)\n"
    "  --help           show this help and exit\n"
    "  --version        show the version and exit\n"
    "\n"
    "The content is taken from --dir, else $ZODUZOR_DIR, else the program's folder or\n"
    "../share/zoduzor beside it. File names of options and scripts, and the files a script\n"
    "writes, are taken from DIR with --dir, else from the folder the program is started in.\n"
    "Settings and high scores are kept in $XDG_DATA_HOME/zoduzor (~/.local/share/zoduzor)\n"
    "unless the content folder was named and can be written; data/ and res/ files there\n"
    "replace the installed ones. Every game that reaches its end is kept in replays/ there\n"
    "(the newest 50). Gamepads play through the key settings.\n"
    "\n"
    "Keys of the window, which the game never receives: F11 or Alt+Enter fullscreen,\n"
    "F5 smooth motion (pictures between the game's ticks, at the screen's rate; the\n"
    "default) or authentic motion (24 pictures a second), F6 smooth, crisp or sharp\n"
    "scaling, F7/F8 music volume down/up, F9/F10 effects volume down/up, F12 mute.\n"
    "The window's size, motion, scaling, fullscreen and volumes are kept in Window.cfg\n"
    "beside the settings.\n";

enum class Parsed { Run, Help, Version, Error };

// Reads the options; Error (with a message) on anything unknown or incomplete.
Parsed ParseOptions(int argc, char** argv, w32::RunConfig& config, std::string& dir,
                    std::string& trace, std::string& error)
{
    bool speedGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string opt = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argc) {
                error = "option " + opt + " wants a value";
                return false;
            }
            into = argv[++i];
            return true;
        };
        if (opt == "--help") {
            return Parsed::Help;
        } else if (opt == "--version") {
            return Parsed::Version;
        } else if (opt == "--headless") {
            config.headless = true;
        } else if (opt == "--dir") {
            if (!value(dir))
                return Parsed::Error;
        } else if (opt == "--script") {
            if (!value(config.scriptPath))
                return Parsed::Error;
        } else if (opt == "--record") {
            if (!value(config.recordPath))
                return Parsed::Error;
        } else if (opt == "--trace") {
            if (!value(trace))
                return Parsed::Error;
        } else if (opt == "--mci-log") {
            if (!value(config.mciLogPath))
                return Parsed::Error;
        } else if (opt == "--clock") {
            if (!value(config.clock))
                return Parsed::Error;
        } else if (opt == "--replay") {
            if (!value(config.replayPath))
                return Parsed::Error;
        } else if (opt == "--speed") {
            std::string x;
            if (!value(x))
                return Parsed::Error;
            auto r = std::from_chars(x.data(), x.data() + x.size(), config.speed);
            if (x.empty() || r.ec != std::errc() || r.ptr != x.data() + x.size() ||
                !(config.speed >= 0.5 && config.speed <= 4)) {
                error = "option --speed wants a pace from 0.5 to 4, not '" + x + "'";
                return Parsed::Error;
            }
            speedGiven = true;
        } else if (opt == "--max-time") {
            std::string ms;
            if (!value(ms))
                return Parsed::Error;
            auto r = std::from_chars(ms.data(), ms.data() + ms.size(), config.maxTimeMs);
            if (ms.empty() || r.ec != std::errc() || r.ptr != ms.data() + ms.size()) {
                error = "option --max-time wants milliseconds, not '" + ms + "'";
                return Parsed::Error;
            }
            config.maxTimeGiven = true;
        } else {
            error = "unknown option '" + opt + "'";
            return Parsed::Error;
        }
    }
    // A replay brings its own input and clock, and keeps nothing.
    const bool replay = !config.replayPath.empty();
    if (replay && (!config.scriptPath.empty() || !config.recordPath.empty() ||
                   !config.clock.empty() || config.maxTimeGiven)) {
        error = "--replay goes with neither --script, --record, --clock nor --max-time";
        return Parsed::Error;
    }
    if (speedGiven && (!replay || config.headless)) {
        error =
            "--speed sets the pace of a replay watched in a window (--replay without --headless)";
        return Parsed::Error;
    }
    return Parsed::Run;
}

// A folder holds the game's content when it has a data folder (in any case).
bool HoldsContent(const fs::path& dir)
{
    return GetFileAttributesA((dir / "data").string().c_str()) == FILE_ATTRIBUTE_DIRECTORY;
}

struct Content
{
    fs::path dir;
    bool named = false; // by --dir or ZODUZOR_DIR rather than found
};

// Where the content is: the folder named by --dir or ZODUZOR_DIR, else the
// first folder holding data/ among the program's folder, the installed
// share/zoduzor beside it and, for a program in its build folder, the source
// tree's game/. False with the folders looked in when none holds it.
bool FindContent(const std::string& dirOption, Content& content, std::vector<fs::path>& tried)
{
    if (!dirOption.empty()) {
        content = {dirOption, true};
        return true;
    }
    if (const char* env = std::getenv("ZODUZOR_DIR"); env && *env) {
        content = {env, true};
        return true;
    }
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return false;
    const fs::path bin = exe.parent_path();
    tried = {bin, (bin / ZODUZOR_CONTENT_FROM_BIN).lexically_normal()};
    if (fs::equivalent(bin, ZODUZOR_BUILD_DIR, ec))
        tried.push_back(ZODUZOR_SOURCE_CONTENT);
    for (const fs::path& dir : tried) {
        if (HoldsContent(dir)) {
            content = {dir, false};
            return true;
        }
    }
    return false;
}

std::string Joined(const std::vector<fs::path>& dirs)
{
    std::string out;
    for (const fs::path& d : dirs)
        out += (out.empty() ? "" : ", ") + d.string();
    return out.empty() ? "(the program's own folder is unknown)" : out;
}

// A file named on the command line, taken from the folder the program was
// started in when the content was found elsewhere (with --dir, names are taken
// from that folder, as the program runs there).
void FromStartFolder(std::string& file)
{
    std::error_code ec;
    if (fs::path whole = fs::absolute(file, ec); !file.empty() && !ec)
        file = whole.string();
}

} // namespace

int main(int argc, char** argv)
{
    w32::TuneHeap();
    w32::RunConfig config;
    std::string dir, trace, error;
    switch (ParseOptions(argc, argv, config, dir, trace, error)) {
    case Parsed::Error:
        std::cerr << "zoduzor: " << error << "\n" << kUsage;
        return 2;
    case Parsed::Help:
        std::cout << kUsage << "\n" << kHelp;
        return 0;
    case Parsed::Version:
        std::cout << "zoduzor " << ZODUZOR_VERSION;
        if (*ZODUZOR_COMMIT)
            std::cout << " (commit " << ZODUZOR_COMMIT << ")";
        std::cout << "\n";
        return 0;
    case Parsed::Run:
        break;
    }
    w32::EndOnSignals();
    Content content;
    std::vector<fs::path> tried;
    if (!FindContent(dir, content, tried)) {
        std::cerr << "zoduzor: cannot find the game's content (a folder holding data/); looked in "
                  << Joined(tried) << "; name one with --dir DIR or ZODUZOR_DIR\n";
        return 1;
    }
    if (dir.empty()) {
        for (std::string* file : {&config.scriptPath, &config.recordPath, &config.mciLogPath,
                                  &trace, &config.replayPath})
            FromStartFolder(*file);
        std::error_code ec;
        config.fileFolder = fs::current_path(ec).string();
    }
    config.gameVersion = ZODUZOR_VERSION;
    config.keepReplays = true;
    if (chdir(content.dir.c_str()) != 0) {
        std::cerr << "zoduzor: cannot change to the folder " << content.dir.string() << "\n";
        return 2;
    }
    if (!w32::Configure(config, error)) {
        std::cerr << "zoduzor: " << error << "\n";
        return 2;
    }
    if (!OpenTrace(trace)) {
        std::cerr << "zoduzor: cannot write the trace " << trace << "\n";
        return 2;
    }
    // A named folder that can be written keeps the player's files (portable);
    // otherwise they go to the player's own folder, which may override content.
    if (!content.named || access(".", W_OK) != 0)
        w32::UseUserFolder(w32::UserDataFolder());
    w32::CleanLeftovers();
    if (!w32::PreparePlayerFiles(error)) {
        std::cerr << "zoduzor: " << error << "\n";
        return 2;
    }
    w32::SetMessageBoxHook(TraceMessageBox);
    w32::SetDumpHook([] { return DumpState().dump(2); });
    w32::SetHashHook(StateHash);
    w32::SetPlayingHook([] { return OperationMode == opModeGAME; });
    w32::SetCarryHooks(CarriedState, BeginGameFrom);
    w32::SetPadHook(PadContextNow);
    w32::SetBetweenTicksHook(PictureBetweenTicks);
    InitModules();

    RegisterWndClass(wc);
    CreateWindow(hwnd);
    LoadUserSettings();
    SwitchOpMode(hwnd, opModeINIT);
    DisplayWindow(hwnd);
    return w32::EndProcess(w32::FinishRun(MessageLoop()));
}
