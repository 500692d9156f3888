// Recordings: every input message the game receives, in the script format,
// after a `clock` line, and every second of play a `check` line with the
// state hash, so that a replay can prove it reproduces the game. The lines go
// to the file of --record and to the session kept in memory for replays.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <iostream>

#include "host_api.h"
#include "run.h"

namespace w32::detail {

namespace {

struct Record
{
    std::ofstream out;
    bool keeping = false;
    std::string session; // the run so far, for kept replays
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
    r.session = "clock " + FormatClock(clock) + "\n";
    r.nextCheck = 1000;
}

void DropSession()
{
    R().keeping = false;
    std::string().swap(R().session);
}

bool KeepingSession()
{
    return R().keeping;
}

const std::string& Session()
{
    return R().session;
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

void RecordLine(uint64_t t, const std::string& text)
{
    Record& r = R();
    const std::string line = std::to_string(t) + ' ' + text + '\n';
    if (r.out.is_open()) {
        r.out << line;
        r.out.flush();
    }
    if (r.keeping && t > kLongestReplayMs) {
        DropSession();
        std::cerr << "zoduzor: this run has gone on for a day; its later games are not kept\n";
    }
    if (r.keeping) {
        r.session += line;
        if (r.session.size() > kSessionLimit)
            DropSession();
    }
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
    RecordLine(m.time, s);
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
