// Recordings: every input message the game receives, in the script format,
// after a `clock` line, and every second of play a `check` line with the
// state hash, so that a replay can prove it reproduces the game. The lines go
// to the file of --record (the whole run) and, for kept replays, to memory
// from the moment a game begins to its end: a kept replay holds one game.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <iostream>

#include "host_api.h"
#include "run.h"

namespace w32::detail {

namespace {

// Between games only the last input and what followed it are kept: the
// input that begins a game is not part of it, the characters it brings are.
constexpr size_t kBetweenGamesLimit = 64 << 10;

struct Record
{
    std::ofstream out;
    bool keeping = false; // the run keeps its games as replays
    std::string clockLine;
    bool inGame = false;
    std::string game;    // the lines of the game being played
    std::string notKept; // why that game will not be kept, when it will not
    size_t afterInput = 0;
    uint64_t inputAt = 0;
    uint64_t nextCheck = 1000;
};

Record& R()
{
    static Record r;
    return r;
}

// A key code as scripts read it back: two digits at least, so 8 is not the key '8'.
std::string KeyCode(WPARAM vk)
{
    std::string s = std::to_string(vk);
    return s.size() < 2 ? "0" + s : s;
}

} // namespace

std::string Hex(uint64_t v)
{
    char buf[20];
    std::snprintf(buf, sizeof buf, "%016" PRIx64, v);
    return buf;
}

bool OpenRecording(const std::string& path, const SYSTEMTIME& clock)
{
    Record& r = R();
    r.out.open(path, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!r.out)
        return false;
    r.out << "clock " << FormatClock(clock) << '\n';
    r.nextCheck = 1000;
    return true;
}

void KeepSession(const SYSTEMTIME& clock)
{
    Record& r = R();
    r.keeping = true;
    r.clockLine = "clock " + FormatClock(clock) + "\n";
    r.inGame = false;
    r.game.clear();
    r.notKept.clear();
    r.afterInput = 0;
    r.nextCheck = 1000;
}

void DropSession()
{
    R().keeping = false;
    R().inGame = false;
    std::string().swap(R().game);
}

bool KeepingSession()
{
    return R().keeping;
}

void CutSession(uint64_t t)
{
    Record& r = R();
    if (!r.keeping)
        return;
    if (r.afterInput > 0 && r.inputAt == t)
        r.game.erase(0, r.afterInput);
    else
        r.game.clear();
    r.afterInput = 0;
    r.inGame = true;
    r.notKept.clear();
}

void SpoilGame(const std::string& why)
{
    Record& r = R();
    if (!r.inGame || !r.notKept.empty())
        return;
    r.notKept = why;
    std::string().swap(r.game);
}

bool EndSession(std::string& game, std::string& why)
{
    Record& r = R();
    const bool kept = r.keeping && r.inGame && r.notKept.empty();
    why = r.notKept;
    game = kept ? r.clockLine + r.game : std::string();
    r.inGame = false;
    r.notKept.clear();
    std::string().swap(r.game);
    return kept;
}

bool Recording()
{
    return R().out.is_open() || R().keeping;
}

bool RecordingToFile()
{
    return R().out.is_open();
}

void CloseRecording()
{
    if (R().out.is_open())
        R().out.close();
    DropSession();
}

void RecordLine(uint64_t t, const std::string& text, bool input)
{
    Record& r = R();
    const std::string line = std::to_string(t) + ' ' + text + '\n';
    if (r.out.is_open()) {
        r.out << line;
        r.out.flush();
    }
    if (!r.keeping)
        return;
    if (!r.inGame) {
        if (input || r.game.size() > kBetweenGamesLimit) {
            r.game.clear();
            r.afterInput = 0;
        }
        r.game += line;
        if (input) {
            r.afterInput = r.game.size();
            r.inputAt = t;
        }
        return;
    }
    if (!r.notKept.empty())
        return;
    if (t > kLongestReplayMs)
        SpoilGame("the run has gone on for more than " +
                  std::to_string(kLongestReplayMs / 3600000) + " hours");
    else if (r.game.size() + line.size() > kSessionLimit)
        SpoilGame("its recording grew past " + std::to_string(kSessionLimit >> 20) + " MB");
    else
        r.game += line;
}

void RecordInput(const MSG& m)
{
    if (!Recording())
        return;
    const int x = LOWORD(m.lParam), y = HIWORD(m.lParam);
    std::string s;
    switch (m.message) {
    case WM_KEYDOWN:
        s = "keydown " + KeyCode(m.wParam) +
            ((static_cast<uint32_t>(m.lParam) & (1u << 30)) ? " repeat" : "");
        break;
    case WM_KEYUP:
        s = "keyup " + KeyCode(m.wParam);
        break;
    case WM_CHAR:
        s = "char " + std::to_string(m.wParam);
        break;
    case WM_MOUSEMOVE:
        s = "mousemove " + std::to_string(x) + " " + std::to_string(y);
        break;
    case WM_LBUTTONDOWN:
        s = "lbuttondown " + std::to_string(x) + " " + std::to_string(y);
        break;
    case WM_LBUTTONUP:
        s = "lbuttonup " + std::to_string(x) + " " + std::to_string(y);
        break;
    case WM_MOUSEWHEEL:
        s = "wheel " + std::to_string(GET_WHEEL_DELTA_WPARAM(m.wParam));
        break;
    case WM_CLOSE:
        s = "close";
        break;
    default:
        return;
    }
    RecordLine(m.time, s, true);
}

// A tick at t is preceded by the check at t, as a replay runs checks before ticks.
void RecordChecks(uint64_t t, bool isTick)
{
    Record& r = R();
    if (!Recording())
        return;
    while (r.nextCheck < t || (isTick && r.nextCheck == t)) {
        const uint64_t at = r.nextCheck;
        r.nextCheck += 1000;
        if (!Playing())
            continue;
        // The state has not changed since `at`: hash it as a replay sees it then.
        const uint64_t later = Instant();
        SetInstant(at);
        const uint64_t hash = StateHash();
        SetInstant(std::max(later, at));
        RecordLine(at, "check " + Hex(hash));
    }
}

} // namespace w32::detail
