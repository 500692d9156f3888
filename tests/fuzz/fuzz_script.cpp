// Input scripts (--script).
#include <algorithm>
#include <sstream>
#include <string>

#include "fuzz_support.h"
#include "shell_testing.h"
#include "win32_testing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Setup();
    const std::string text(reinterpret_cast<const char*>(data), size);
    const int lineCount = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;

    std::istringstream in(text);
    w32::Script script;
    std::string error;
    const bool ok = w32::ParseScript(in, "in.script", script, error);
    if (!ok) {
        // The message names the file and a line of it.
        const std::string prefix = "in.script:";
        FUZZ_CHECK(error.rfind(prefix, 0) == 0, error);
        const size_t colon = error.find(": ", prefix.size());
        FUZZ_CHECK(colon != std::string::npos && colon > prefix.size(), error);
        const std::string number = error.substr(prefix.size(), colon - prefix.size());
        FUZZ_CHECK(number.find_first_not_of("0123456789") == std::string::npos, error);
        const int line = std::stoi(number);
        FUZZ_CHECK(line >= 1 && line <= lineCount, error);
        FUZZ_CHECK(colon + 2 < error.size(), "a reason follows the line");
        return 0;
    }
    SYSTEMTIME t;
    FUZZ_CHECK(script.clock.empty() || w32::ParseClock(script.clock, t), script.clock);
    uint32_t previousTime = 0;
    int previousLine = 0;
    for (const auto& ev : script.events) {
        FUZZ_CHECK(ev.time >= previousTime, "time goes backwards");
        FUZZ_CHECK(ev.line > previousLine && ev.line <= lineCount, std::to_string(ev.line));
        previousTime = ev.time;
        previousLine = ev.line;
        switch (ev.kind) {
        case w32::ScriptKind::KeyDown:
        case w32::ScriptKind::KeyUp:
        case w32::ScriptKind::Press:
            FUZZ_CHECK(ev.a > 0 && ev.a < 65536, std::to_string(ev.a));
            break;
        case w32::ScriptKind::MouseMove:
        case w32::ScriptKind::LButtonDown:
        case w32::ScriptKind::LButtonUp:
        case w32::ScriptKind::Click:
            // Coordinates must fit the words of lParam.
            FUZZ_CHECK(ev.a >= 0 && ev.a < 65536 && ev.b >= 0 && ev.b < 65536, "point");
            break;
        case w32::ScriptKind::Wheel:
            FUZZ_CHECK(ev.a >= -32768 && ev.a <= 32767, std::to_string(ev.a));
            break;
        case w32::ScriptKind::Char:
            FUZZ_CHECK(ev.a >= 0 && ev.a < 65536, std::to_string(ev.a));
            break;
        case w32::ScriptKind::Type:
        case w32::ScriptKind::Screenshot:
        case w32::ScriptKind::Dump:
        case w32::ScriptKind::Check:
            FUZZ_CHECK(!ev.text.empty(), "event without its text");
            break;
        case w32::ScriptKind::PadButton:
            FUZZ_CHECK(ev.a >= 0 && (ev.b == 0 || ev.b == 1), std::to_string(ev.a));
            break;
        case w32::ScriptKind::PadAxis:
            FUZZ_CHECK(ev.a >= 0 && ev.b >= -32768 && ev.b <= 32767, std::to_string(ev.b));
            break;
        case w32::ScriptKind::Close:
        case w32::ScriptKind::Quit:
            break;
        }
    }
    // Parsing is repeatable.
    std::istringstream again(text);
    w32::Script second;
    FUZZ_CHECK(w32::ParseScript(again, "in.script", second, error), error);
    FUZZ_CHECK(second.events.size() == script.events.size(), "a second parse differs");
    return 0;
}
