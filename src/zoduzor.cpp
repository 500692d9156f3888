// Zoduzor: start-up, the window and the message loop.
#include <unistd.h>

#include <charconv>
#include <cstring>
#include <iostream>
#include <string>

#include "common.h"
#include "game.h"
#include "highscore.h"
#include "keySettings.h"
#include "loadmenu.h"
#include "proginit.h"
#include "rastrum.h"
#include "runmode.h"
#include "win32.h"
#include "winwrap.h"

static WNDCLASSA wc;
static HWND hwnd = nullptr;

namespace {

constexpr const char* kUsage =
    "usage: zoduzor [--dir DIR] [--headless] [--script FILE] [--record FILE] [--trace FILE]\n"
    "               [--mci-log FILE] [--clock YYYY-MM-DDTHH:MM:SS.CC] [--max-time MS]\n";

// Reads the options; false (with a message) on anything unknown or incomplete.
bool ParseOptions(int argc, char** argv, w32::RunConfig& config, std::string& dir,
                  std::string& trace, std::string& error)
{
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
        if (opt == "--headless") {
            config.headless = true;
        } else if (opt == "--dir") {
            if (!value(dir))
                return false;
        } else if (opt == "--script") {
            if (!value(config.scriptPath))
                return false;
        } else if (opt == "--record") {
            if (!value(config.recordPath))
                return false;
        } else if (opt == "--trace") {
            if (!value(trace))
                return false;
        } else if (opt == "--mci-log") {
            if (!value(config.mciLogPath))
                return false;
        } else if (opt == "--clock") {
            if (!value(config.clock))
                return false;
        } else if (opt == "--max-time") {
            std::string ms;
            if (!value(ms))
                return false;
            auto r = std::from_chars(ms.data(), ms.data() + ms.size(), config.maxTimeMs);
            if (ms.empty() || r.ec != std::errc() || r.ptr != ms.data() + ms.size()) {
                error = "option --max-time wants milliseconds, not '" + ms + "'";
                return false;
            }
            config.maxTimeGiven = true;
        } else {
            error = "unknown option '" + opt + "'";
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    w32::TuneHeap();
    w32::RunConfig config;
    std::string dir, trace, error;
    if (!ParseOptions(argc, argv, config, dir, trace, error)) {
        std::cerr << "zoduzor: " << error << "\n" << kUsage;
        return 2;
    }
    if (!dir.empty() && chdir(dir.c_str()) != 0) {
        std::cerr << "zoduzor: cannot change to the folder " << dir << "\n";
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
    w32::SetMessageBoxHook(TraceMessageBox);
    w32::SetDumpHook([] { return DumpState().dump(2); });
    w32::SetHashHook(StateHash);
    w32::SetPlayingHook([] { return OperationMode == opModeGAME; });
    InitModules();

    RegisterWndClass(wc);
    CreateWindow(hwnd);
    LoadUserSettings();
    SwitchOpMode(hwnd, opModeINIT);
    DisplayWindow(hwnd);
    return MessageLoop();
}
