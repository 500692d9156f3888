// The run modes: a run on a screen or without one, input from a script at
// its times, the time limit, screenshots, dumps and state checks, and what
// the game is handed recorded. This is the run the API's queue runs inside.
#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <fstream>
#include <iostream>

#include "host_api.h"
#include "pad/pad.h"
#include "run.h"

namespace w32::detail {

namespace {

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

// A script's pad event: the keys it presses go in at the event's time, with
// the characters TranslateMessage makes of them, as a real pad's do.
void QueuePadInput(const ScriptEvent& e)
{
    struct AtEventTime final : InputSink
    {
        HWND h;
        uint64_t t;
        AtEventTime(HWND window, uint64_t time) : h(window), t(time) {}
        void Input(UINT msg, WPARAM wParam, LPARAM lParam) override
        {
            if (h)
                QueueInput(h, msg, wParam, lParam, t, true);
        }
        void Exposed() override {}
    } sink(MainWindow(), e.time);
    if (e.kind == ScriptKind::PadButton)
        ScriptPadButton(e.a, e.b != 0, sink);
    else
        ScriptPadAxis(e.a, e.b, sink);
}

} // namespace

RunMode& TheRunMode()
{
    static RunMode m;
    return m;
}

uint64_t RunMode::NextEvent() const
{
    const uint64_t next =
        scriptNext < script.events.size() ? script.events[scriptNext].time : kNever;
    return GameToBegin() ? std::min(next, ThePlan().begins) : next;
}

bool RunMode::NextEventShowsFrame() const
{
    return scriptNext < script.events.size() &&
           script.events[scriptNext].kind == ScriptKind::Screenshot;
}

void RunMode::RunNextEvent()
{
    if (GameToBegin() && NextEvent() == ThePlan().begins) {
        if (!BeginReplayedGame())
            EndRun(4);
        return;
    }
    const ScriptEvent& e = script.events[scriptNext++];
    switch (e.kind) {
    case ScriptKind::Screenshot:
        if (!SavePng(e.text))
            std::cerr << "screenshot: cannot write " << e.text << "\n";
        break;
    case ScriptKind::Dump: {
        std::ofstream out(ResolvePath(e.text), std::ios::binary | std::ios::trunc);
        out << (dumpHook ? dumpHook() : std::string("{}")) << "\n";
        if (!out)
            std::cerr << "dump: cannot write " << e.text << "\n";
        break;
    }
    case ScriptKind::Check: {
        const uint64_t want = std::stoull(e.text, nullptr, 16);
        const uint64_t got = hashHook ? hashHook() : 0;
        if (want != got) {
            if (Replaying()) {
                ReportMismatch(e, got);
            } else {
                std::cerr << "check failed at " << e.time << " ms (script line " << e.line
                          << "): expected " << e.text << ", state is " << Hex(got) << "\n";
            }
            EndRun(4);
        }
        ReplayChecked(e.time);
        break;
    }
    case ScriptKind::Quit:
        EndRun(0);
        break;
    case ScriptKind::PadButton:
    case ScriptKind::PadAxis:
        QueuePadInput(e);
        break;
    default:
        QueueScriptInput(e);
        break;
    }
}

uint64_t RunMode::TimeLimit() const
{
    return maxTimeGiven ? maxTime : kNever;
}

bool RunMode::KeepsLateTicks(uint64_t late)
{
    // A kept game catches up at most a second (a busy moment); beyond that
    // (a machine that slept) ticks are dropped, and the game being played no
    // longer replays exactly.
    constexpr uint64_t kCatchUpMs = 1000;
    // A replay drops the ticks of time in which no game is played.
    if (Replaying() && !Playing())
        return false;
    if (hasScript || RecordingToFile())
        return true;
    if (!KeepingSession())
        return false;
    if (late <= kCatchUpMs)
        return true;
    SpoilGame("the game fell " + std::to_string(late) + " ms behind");
    return false;
}

void RunMode::Observe(Delivery what, const MSG& msg)
{
    switch (what) {
    case Delivery::Input:
        // In a replay no tick comes while no game plays: the input that
        // begins one marks the end of the wait before it.
        if (Replaying() && !ReplayChecksOften(Instant()))
            EndRun(4);
        RecordChecks(Instant(), false);
        RecordInput(msg);
        break;
    case Delivery::Tick:
        if (Replaying() && !ReplayChecksOften(Instant()))
            EndRun(4);
        RecordChecks(Instant(), true);
        break;
    case Delivery::Character:
        RecordLine(Instant(), "char " + std::to_string(msg.wParam));
        break;
    }
}

void RunMode::MessageBoxShown(const char* caption, const char* text)
{
    if (boxHook)
        boxHook(caption, text);
}

const ScriptEvent* PendingScriptEvent()
{
    const RunMode& m = TheRunMode();
    return m.scriptNext < m.script.events.size() ? &m.script.events[m.scriptNext] : nullptr;
}

uint64_t StateHash()
{
    const RunMode& m = TheRunMode();
    return m.hashHook ? m.hashHook() : 0;
}

bool Playing()
{
    const RunMode& m = TheRunMode();
    return m.playingHook && m.playingHook() && m.hashHook;
}

} // namespace w32::detail
