// The message trace, the state dump and the state hash of the run modes.
#include "runmode.h"

#include <cinttypes>
#include <cstdio>
#include <fstream>

#include "common.h"
#include "game.h"

namespace {

std::ofstream& Trace()
{
    static std::ofstream trace;
    return trace;
}

const char* MessageName(UINT msg)
{
    if (msg == WM_C_OPMO_BEGIN)
        return "BEGIN";
    if (msg == WM_C_OPMO_END)
        return "END";
    switch (msg) {
    case WM_NULL:
        return "WM_NULL";
    case WM_CREATE:
        return "WM_CREATE";
    case WM_DESTROY:
        return "WM_DESTROY";
    case WM_PAINT:
        return "WM_PAINT";
    case WM_CLOSE:
        return "WM_CLOSE";
    case WM_QUIT:
        return "WM_QUIT";
    case WM_KEYDOWN:
        return "WM_KEYDOWN";
    case WM_KEYUP:
        return "WM_KEYUP";
    case WM_CHAR:
        return "WM_CHAR";
    case WM_TIMER:
        return "WM_TIMER";
    case WM_MOUSEMOVE:
        return "WM_MOUSEMOVE";
    case WM_LBUTTONDOWN:
        return "WM_LBUTTONDOWN";
    case WM_LBUTTONUP:
        return "WM_LBUTTONUP";
    case WM_MOUSEWHEEL:
        return "WM_MOUSEWHEEL";
    default:
        return nullptr;
    }
}

} // namespace

bool OpenTrace(const std::string& path)
{
    auto& t = Trace();
    if (t.is_open())
        t.close();
    if (path.empty())
        return true;
    t.open(path, std::ios::out | std::ios::trunc | std::ios::binary);
    return static_cast<bool>(t);
}

void TraceMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto& t = Trace();
    if (!t.is_open())
        return;
    t << w32::Now() << ' ' << OperationModeName(OperationMode) << ' ';
    if (const char* name = MessageName(msg)) {
        t << name;
    } else {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%04X", msg);
        t << hex;
    }
    t << ' ' << wParam << ' ' << lParam << '\n';
    t.flush();
}

void TraceMessageBox(const char* caption, const char* text)
{
    auto& t = Trace();
    if (!t.is_open())
        return;
    t << w32::Now() << " MSGBOX " << (caption ? caption : "") << ": " << (text ? text : "") << '\n';
    t.flush();
}

nlohmann::json DumpState()
{
    nlohmann::json j;
    j["time"] = w32::Now();
    j["operationMode"] = OperationModeName(OperationMode);
    j["playMode"] = PlayModeName(PlayMode);
    j["numOfImg"] = numOfImg;
    j["firstLevel"] = firstLevel;
    j["settings"] = DumpSettings();
    j["highScores"] = DumpHighScores();
    j["game"] = DumpGame();
    j["menu"] = DumpMenu();
    j["options"] = DumpOptions();
    j["keySettings"] = DumpKeySettings();
    j["levelChoice"] = DumpLevelChoice();
    j["credits"] = DumpCredits();
    return j;
}

uint64_t StateHash()
{
    // FNV-1a over the game's state and the time.
    const std::string text = DumpGame().dump() + "@" + std::to_string(w32::Now());
    uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char c : text) {
        h ^= c;
        h *= 0x100000001b3ull;
    }
    return h;
}
