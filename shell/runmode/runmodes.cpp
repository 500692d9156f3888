// The run modes: a run on a screen or without one, input from a script at
// its times, the time limit, the start clock, screenshots, dumps and state
// checks, and the hooks through which the program answers for its state.
#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>

#include "layer_internal.h"
#include "storage.h"
#include "win32_testing.h"

namespace w32::detail {

namespace {

struct RunMode
{
    uint32_t maxTime = 600000;
    bool maxTimeGiven = false;
    SYSTEMTIME startClock{};
    Script script;
    size_t scriptNext = 0;
    bool hasScript = false;
    int exitCode = -1;
    std::function<std::string()> dumpHook;
    std::function<uint64_t()> hashHook;
    std::function<bool()> playingHook;
    std::function<void(const char*, const char*)> boxHook;
};

RunMode& M()
{
    static RunMode m;
    return m;
}

bool LoadScript(const std::string& path, std::string& error)
{
    RunMode& m = M();
    InFile in(path);
    if (!in.is_open()) {
        error = path + ":0: cannot read the script";
        return false;
    }
    if (!ParseScript(in, path, m.script, error))
        return false;
    m.hasScript = true;
    m.scriptNext = 0;
    return true;
}

// The clock of the start: as given, else a fixed one for a run without a
// screen (so that runs repeat), else the local time now.
bool SetStartClock(const std::string& given, bool fixed, std::string& error)
{
    SYSTEMTIME& start = M().startClock;
    if (!given.empty()) {
        if (ParseClock(given, start))
            return true;
        error = "bad clock '" + given + "' (want YYYY-MM-DDTHH:MM:SS.CC)";
        return false;
    }
    if (fixed)
        return ParseClock("2000-01-01T12:00:00.00", start);
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    start = {};
    start.wYear = static_cast<WORD>(tm.tm_year + 1900);
    start.wMonth = static_cast<WORD>(tm.tm_mon + 1);
    start.wDay = static_cast<WORD>(tm.tm_mday);
    start.wHour = static_cast<WORD>(tm.tm_hour);
    start.wMinute = static_cast<WORD>(tm.tm_min);
    start.wSecond = static_cast<WORD>(std::min(tm.tm_sec, 59));
    start = AddMilliseconds(start, 0);
    return true;
}

bool SavePng(const std::string& path)
{
    std::vector<uint32_t> pixels = Frame();
    if (pixels.empty())
        pixels.assign(static_cast<size_t>(kClientW) * kClientH, 0xFF000000u);
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), kClientW, kClientH, 32,
                                                        kClientW * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!s)
        return false;
    // The window shows no transparency: store every pixel opaque.
    for (auto& p : pixels)
        p |= 0xFF000000u;
    const bool ok = IMG_SavePNG(s, ResolvePath(path).c_str()) == 0;
    SDL_FreeSurface(s);
    return ok;
}

// The WM_CHAR that a `press` brings: what TranslateMessage would make, and
// the character of a letter, digit, space or keypad digit.
int PressedChar(int vk)
{
    int c = TranslatedChar(static_cast<UINT>(vk));
    if (c == 0 && vk >= 'A' && vk <= 'Z')
        c = vk - 'A' + 'a';
    if (c == 0 && vk >= '0' && vk <= '9')
        c = vk;
    if (c == 0 && vk == VK_SPACE)
        c = ' ';
    if (c == 0 && vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
        c = '0' + (vk - VK_NUMPAD0);
    return c;
}

// Input of a script event: queued for the main window at the event's time,
// without characters made by TranslateMessage (the script brings its own).
void QueueScriptInput(const ScriptEvent& e)
{
    HWND h = MainWindow();
    const uint64_t t = e.time;
    auto key = [&](UINT vk, bool up, bool repeat) {
        QueueInput(h, up ? WM_KEYUP : WM_KEYDOWN, vk, KeyLParam(vk, repeat, up), t, false);
    };
    auto mouse = [&](UINT msg) {
        QueueInput(h, msg, msg == WM_LBUTTONDOWN ? 1 : 0, MAKELPARAM(e.a, e.b), t, false);
    };
    auto chr = [&](int c) { QueueInput(h, WM_CHAR, static_cast<WPARAM>(c), 1, t, false); };
    switch (e.kind) {
    case ScriptKind::KeyDown:
        key(static_cast<UINT>(e.a), false, e.b != 0);
        break;
    case ScriptKind::KeyUp:
        key(static_cast<UINT>(e.a), true, false);
        break;
    case ScriptKind::Char:
        chr(e.a);
        break;
    case ScriptKind::Press:
        key(static_cast<UINT>(e.a), false, false);
        if (const int c = PressedChar(e.a))
            chr(c);
        key(static_cast<UINT>(e.a), true, false);
        break;
    case ScriptKind::Type:
        for (unsigned char c : e.text)
            chr(c);
        break;
    case ScriptKind::MouseMove:
    case ScriptKind::Click:
        mouse(WM_MOUSEMOVE);
        if (e.kind == ScriptKind::Click) {
            mouse(WM_LBUTTONDOWN);
            mouse(WM_LBUTTONUP);
        }
        break;
    case ScriptKind::LButtonDown:
        mouse(WM_LBUTTONDOWN);
        break;
    case ScriptKind::LButtonUp:
        mouse(WM_LBUTTONUP);
        break;
    case ScriptKind::Wheel:
        QueueInput(h, WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<uint32_t>(e.a) << 16), 0, t,
                   false);
        break;
    case ScriptKind::Close:
        QueueInput(h, WM_CLOSE, 0, 0, t, false);
        break;
    default:
        break;
    }
}

} // namespace

uint64_t ScriptDue()
{
    const RunMode& m = M();
    return m.scriptNext < m.script.events.size() ? m.script.events[m.scriptNext].time : kNever;
}

bool ScriptShowsFrame()
{
    const RunMode& m = M();
    return m.scriptNext < m.script.events.size() &&
           m.script.events[m.scriptNext].kind == ScriptKind::Screenshot;
}

void RunScriptEvent()
{
    RunMode& m = M();
    const ScriptEvent& e = m.script.events[m.scriptNext++];
    switch (e.kind) {
    case ScriptKind::Screenshot:
        if (!SavePng(e.text))
            std::cerr << "screenshot: cannot write " << e.text << "\n";
        break;
    case ScriptKind::Dump: {
        std::ofstream out(ResolvePath(e.text), std::ios::binary | std::ios::trunc);
        out << (m.dumpHook ? m.dumpHook() : std::string("{}")) << "\n";
        if (!out)
            std::cerr << "dump: cannot write " << e.text << "\n";
        break;
    }
    case ScriptKind::Check: {
        const uint64_t want = std::stoull(e.text, nullptr, 16);
        const uint64_t got = m.hashHook ? m.hashHook() : 0;
        if (want != got) {
            if (Replaying()) {
                ReportMismatch(e, got);
            } else {
                std::cerr << "check failed at " << e.time << " ms (script line " << e.line
                          << "): expected " << e.text << ", state is " << Hex(got) << "\n";
            }
            EndRun(4);
        }
        break;
    }
    case ScriptKind::Quit:
        EndRun(0);
        break;
    default:
        QueueScriptInput(e);
        break;
    }
}

uint64_t TimeLimit()
{
    return M().maxTimeGiven ? M().maxTime : kNever;
}

bool KeepsLateTicks(uint64_t late)
{
    // A kept session catches up at most a second (a busy moment); beyond that
    // (a machine that slept) ticks are dropped, and the session no longer
    // replays exactly.
    constexpr uint64_t kCatchUpMs = 1000;
    if (M().hasScript || RecordingToFile())
        return true;
    if (!KeepingSession())
        return false;
    if (late <= kCatchUpMs)
        return true;
    DropSession();
    std::cerr << "zoduzor: the game fell " << late
              << " ms behind; the games of this run are no longer kept as replays\n";
    return false;
}

const ScriptEvent* PendingScriptEvent()
{
    const RunMode& m = M();
    return m.scriptNext < m.script.events.size() ? &m.script.events[m.scriptNext] : nullptr;
}

void EndRun(int code)
{
    if (M().exitCode < 0)
        M().exitCode = code;
}

const SYSTEMTIME& StartClock()
{
    return M().startClock;
}

void NoteMessageBox(const char* caption, const char* text)
{
    if (M().boxHook)
        M().boxHook(caption, text);
}

uint64_t StateHash()
{
    return M().hashHook ? M().hashHook() : 0;
}

bool Playing()
{
    return M().playingHook && M().playingHook() && M().hashHook;
}

} // namespace w32::detail

namespace w32 {

bool Configure(const RunConfig& c, std::string& error)
{
    detail::RunMode& m = detail::M();
    m.hasScript = false;
    m.script = {};
    const bool replay = !c.replayPath.empty();
    if (!detail::LoadReplay(c, m.script, error))
        return false;
    m.hasScript = replay;
    m.scriptNext = 0;
    // The one place where the display is chosen. Without a screen, time is
    // virtual and a run always ends at its time limit; a replay verified
    // without one ends with its last event.
    detail::ChooseDisplay(c.headless ? "none" : replay ? "replay" : "window");
    m.maxTime = replay ? static_cast<uint32_t>(detail::ThePlan().end) : c.maxTimeMs;
    m.maxTimeGiven = c.maxTimeGiven || c.headless;
    // A watched replay is silent until its game begins.
    detail::MciSetDeviceAllowed(!c.headless && !(replay && detail::ThePlan().begins > 0));
    if (!detail::MciOpenLog(c.mciLogPath, error))
        return false;
    if (!c.scriptPath.empty() && !detail::LoadScript(c.scriptPath, error))
        return false;
    for (ScriptEvent& e : m.script.events) {
        if ((e.kind == ScriptKind::Screenshot || e.kind == ScriptKind::Dump) &&
            !c.fileFolder.empty() && !e.text.empty() && e.text[0] != '/')
            e.text = (std::filesystem::path(c.fileFolder) / e.text).string();
    }
    if (!detail::SetStartClock(c.clock.empty() ? m.script.clock : c.clock, c.headless, error))
        return false;
    detail::CloseRecording();
    if (!c.recordPath.empty() && !detail::OpenRecording(c.recordPath, m.startClock)) {
        error = "cannot write the recording " + c.recordPath;
        return false;
    }
    if (c.keepReplays && !replay)
        detail::KeepSession(m.startClock);
    detail::SetInstant(0);
    return true;
}

void SetDumpHook(std::function<std::string()> hook)
{
    detail::M().dumpHook = std::move(hook);
}
void SetHashHook(std::function<uint64_t()> hook)
{
    detail::M().hashHook = std::move(hook);
}
void SetPlayingHook(std::function<bool()> hook)
{
    detail::M().playingHook = std::move(hook);
}
void SetMessageBoxHook(std::function<void(const char*, const char*)> hook)
{
    detail::M().boxHook = std::move(hook);
}

int RequestedExitCode()
{
    return detail::M().exitCode;
}

namespace testing {

void Reset(bool headless)
{
    detail::RunMode& m = detail::M();
    detail::ResetWindows();
    detail::ResetQueue();
    m.script = {};
    m.scriptNext = 0;
    m.hasScript = false;
    m.exitCode = -1;
    detail::CloseRecording();
    m.dumpHook = nullptr;
    m.hashHook = nullptr;
    m.playingHook = nullptr;
    m.boxHook = nullptr;
    detail::ResetPads();
    detail::MciReset();
    detail::ResetWindowControls();
    RunConfig c;
    c.headless = headless;
    std::string error;
    Configure(c, error);
}

} // namespace testing

} // namespace w32
