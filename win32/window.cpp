// Windows, messages, timers, painting, message boxes, the clock and the run
// modes (headless, scripts, recordings) of the Win32 layer.
#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <fstream>
#include <iostream>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <vector>

#include "layer_internal.h"
#include "win32_testing.h"

struct HWND__
{
    WNDPROC proc = nullptr;
    bool invalid = false;
    bool destroyed = false;
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr; // only when the window has no surface of its own
    SDL_Texture* texture = nullptr;
    bool shown = false; // whether the window's pixels hold the last presented frame
    HDC__ dc{};
};

namespace w32 {

namespace {

constexpr int kClientW = 800;
constexpr int kClientH = 700;
constexpr int kFrameX = 3, kFrameY = 3, kCaption = 23;
constexpr uint64_t kNever = std::numeric_limits<uint64_t>::max();

struct Timer
{
    UINT_PTR id;
    TIMERPROC proc;
    uint32_t period;
    uint64_t due;
};

struct Pending
{
    MSG msg;
    bool translate = true; // false for keys of scripts (they bring their own WM_CHAR)
};

struct Layer
{
    bool headless = true;
    bool configured = false;
    bool videoUp = false;
    std::string videoError;
    bool failSetTimer = false;
    uint64_t now = 0;       // the time of the message being handled
    uint64_t realStart = 0; // SDL ticks at start (window)
    uint32_t maxTime = 600000;
    bool maxTimeGiven = false;
    SYSTEMTIME startClock{};
    std::vector<std::unique_ptr<HWND__>> windows;
    std::map<std::string, UINT> registered;
    UINT nextRegistered = 0xC000;
    std::deque<MSG> posted;
    std::deque<Pending> input;
    std::vector<Timer> timers;
    UINT_PTR nextTimerId = 1;
    Script script;
    size_t scriptNext = 0;
    bool hasScript = false;
    bool screenshotWaits = false;
    int exitCode = -1;
    bool translateLast = true;
    std::vector<uint32_t> frame;
    std::ofstream record;
    uint64_t nextCheck = 1000;
    std::function<std::string()> dumpHook;
    std::function<uint64_t()> hashHook;
    std::function<bool()> playingHook;
    std::function<void(const char*, const char*)> boxHook;
};

Layer& L()
{
    static Layer l;
    return l;
}

HWND MainWindow()
{
    for (auto& w : L().windows) {
        if (!w->destroyed)
            return w.get();
    }
    return nullptr;
}

bool IsWindowHandle(HWND h)
{
    for (auto& w : L().windows) {
        if (w.get() == h)
            return !w->destroyed;
    }
    return false;
}

uint64_t RealNow()
{
    return SDL_GetTicks64() - L().realStart;
}

// Whether late ticks are dropped: only in a window where no recording or
// replay needs every tick at its time.
bool DropsLateTicks()
{
    return !L().headless && !L().hasScript && !L().record.is_open();
}

// Rows of the frame that a present changed: [first, last), empty if none.
struct Band
{
    int first = kClientH;
    int last = 0;
    bool Empty() const { return first >= last; }
    void Add(int y)
    {
        first = std::min(first, y);
        last = std::max(last, y + 1);
    }
};

// Copies the buffer into the frame the window shows and returns the rows
// that changed. Pixels outside the buffer are black.
Band TakeFrame(const uint32_t* argb, int width, int height, int pitchBytes)
{
    std::vector<uint32_t>& frame = L().frame;
    Band band;
    if (frame.size() != static_cast<size_t>(kClientW) * kClientH) {
        frame.assign(static_cast<size_t>(kClientW) * kClientH, 0xFF000000u);
        band = {0, kClientH};
    }
    const int w = std::min(width, kClientW), h = std::min(height, kClientH);
    for (int y = 0; y < kClientH; ++y) {
        uint32_t* dst = frame.data() + static_cast<ptrdiff_t>(y) * kClientW;
        const auto* row =
            y < h ? reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(argb) +
                                                      static_cast<ptrdiff_t>(y) * pitchBytes)
                  : nullptr;
        const size_t copied = row ? static_cast<size_t>(w) : 0;
        if (copied && std::memcmp(dst, row, copied * 4) != 0) {
            std::memcpy(dst, row, copied * 4);
            band.Add(y);
        }
        for (uint32_t* p = dst + copied; p != dst + kClientW; ++p) {
            if (*p != 0xFF000000u) {
                *p = 0xFF000000u;
                band.Add(y);
            }
        }
    }
    return band;
}

// Shows the rows of the frame in the window: straight into the window's own
// surface (no GL, no texture upload), or through the renderer where there is none.
void ShowFrame(HWND hwnd, Band band)
{
    const std::vector<uint32_t>& frame = L().frame;
    if (SDL_Surface* s = hwnd->renderer ? nullptr : SDL_GetWindowSurface(hwnd->window)) {
        const int w = std::min(s->w, kClientW);
        const int first = std::min(band.first, s->h), last = std::min(band.last, s->h);
        if (first >= last)
            return;
        if (SDL_MUSTLOCK(s))
            SDL_LockSurface(s);
        auto* dst = static_cast<uint8_t*>(s->pixels) + static_cast<ptrdiff_t>(first) * s->pitch;
        const uint32_t* src = frame.data() + static_cast<ptrdiff_t>(first) * kClientW;
        const Uint32 f = s->format->format;
        if (f == SDL_PIXELFORMAT_ARGB8888 || f == SDL_PIXELFORMAT_RGB888) {
            for (int y = first; y < last; ++y, dst += s->pitch, src += kClientW) {
                std::memcpy(dst, src, static_cast<size_t>(w) * 4);
            }
        } else {
            SDL_ConvertPixels(w, last - first, SDL_PIXELFORMAT_ARGB8888, src, kClientW * 4, f, dst,
                              s->pitch);
        }
        if (SDL_MUSTLOCK(s))
            SDL_UnlockSurface(s);
        const SDL_Rect rows{0, first, w, last - first};
        hwnd->shown = SDL_UpdateWindowSurfaceRects(hwnd->window, &rows, 1) == 0;
        return;
    }
    if (hwnd->renderer && hwnd->texture) {
        SDL_UpdateTexture(hwnd->texture, nullptr, frame.data(), kClientW * 4);
        SDL_RenderClear(hwnd->renderer);
        SDL_RenderCopy(hwnd->renderer, hwnd->texture, nullptr, nullptr);
        SDL_RenderPresent(hwnd->renderer);
        hwnd->shown = true;
    }
}

void Present(void* self, const uint32_t* argb, int width, int height, int pitchBytes)
{
    HWND hwnd = self ? static_cast<HDC__*>(self)->hwnd : nullptr;
    if (!argb || width <= 0 || height <= 0)
        return;
    const Band changed = TakeFrame(argb, width, height, pitchBytes);
    if (!hwnd || !hwnd->window)
        return;
    // Only the rows that changed are sent; all of them when the window lost its pixels.
    if (!hwnd->shown) {
        ShowFrame(hwnd, {0, kClientH});
    } else if (!changed.Empty()) {
        ShowFrame(hwnd, changed);
    }
}

// The window's pixels are lost when it is uncovered or resized: the next
// frame is shown even if it did not change.
int ForgetShownFrame(void*, SDL_Event* ev)
{
    if (ev->type != SDL_WINDOWEVENT)
        return 0;
    switch (ev->window.event) {
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        for (auto& w : L().windows) {
            if (w->window && SDL_GetWindowID(w->window) == ev->window.windowID)
                w->shown = false;
        }
        break;
    default:
        break;
    }
    return 0;
}

void RecordLine(uint64_t t, const std::string& text)
{
    if (!L().record.is_open())
        return;
    L().record << t << ' ' << text << '\n';
    L().record.flush();
}

std::string Hex(uint64_t v)
{
    char buf[20];
    std::snprintf(buf, sizeof buf, "%016" PRIx64, v);
    return buf;
}

// A key code as scripts read it back: two digits at least, so 8 is not the key '8'.
std::string KeyCode(WPARAM vk)
{
    std::string s = std::to_string(vk);
    return s.size() < 2 ? "0" + s : s;
}

void RecordInput(const MSG& m)
{
    if (!L().record.is_open())
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

// Writes the state checks due before a message stamped `t` (a tick at t is
// preceded by the check at t, as a replay runs checks before ticks).
void RecordChecks(uint64_t t, bool isTick)
{
    w32::Layer& l = L();
    if (!l.record.is_open())
        return;
    while (l.nextCheck < t || (isTick && l.nextCheck == t)) {
        const uint64_t at = l.nextCheck;
        l.nextCheck += 1000;
        if (!l.playingHook || !l.playingHook() || !l.hashHook)
            continue;
        // The state has not changed since `at`: hash it as a replay sees it then.
        const uint64_t later = l.now;
        l.now = at;
        const uint64_t hash = l.hashHook();
        l.now = std::max(later, at);
        RecordLine(at, "check " + Hex(hash));
    }
}

void QueueInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, uint64_t t, bool translate)
{
    MSG m{};
    m.hwnd = hwnd;
    m.message = msg;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = static_cast<DWORD>(t);
    // Kept in time order: a script event that is overdue goes before later user input.
    auto& q = L().input;
    auto at = std::find_if(q.begin(), q.end(), [&](const Pending& p) { return p.msg.time > t; });
    q.insert(at, {m, translate});
}

bool SavePng(const std::string& path)
{
    w32::Layer& l = L();
    std::vector<uint32_t> pixels = l.frame;
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

void EndRun(int code)
{
    if (L().exitCode < 0)
        L().exitCode = code;
}

// Runs one script event at its time: input is queued, the rest acts at once.
void RunScriptEvent(const ScriptEvent& e)
{
    w32::Layer& l = L();
    HWND h = MainWindow();
    const uint64_t t = e.time;
    auto key = [&](UINT vk, bool up, bool repeat) {
        QueueInput(h, up ? WM_KEYUP : WM_KEYDOWN, vk, KeyLParam(vk, repeat, up), t, false);
    };
    auto mouse = [&](UINT msg) {
        QueueInput(h, msg, msg == WM_LBUTTONDOWN ? 1 : 0, MAKELPARAM(e.a, e.b), t, false);
    };
    switch (e.kind) {
    case ScriptKind::KeyDown:
        key(static_cast<UINT>(e.a), false, e.b != 0);
        break;
    case ScriptKind::KeyUp:
        key(static_cast<UINT>(e.a), true, false);
        break;
    case ScriptKind::Char:
        QueueInput(h, WM_CHAR, static_cast<WPARAM>(e.a), 1, t, false);
        break;
    case ScriptKind::Press: {
        key(static_cast<UINT>(e.a), false, false);
        int c = TranslatedChar(static_cast<UINT>(e.a));
        if (c == 0 && e.a >= 'A' && e.a <= 'Z')
            c = e.a - 'A' + 'a';
        if (c == 0 && e.a >= '0' && e.a <= '9')
            c = e.a;
        if (c == 0 && e.a == VK_SPACE)
            c = ' ';
        if (c == 0 && e.a >= VK_NUMPAD0 && e.a <= VK_NUMPAD9)
            c = '0' + (e.a - VK_NUMPAD0);
        if (c)
            QueueInput(h, WM_CHAR, static_cast<WPARAM>(c), 1, t, false);
        key(static_cast<UINT>(e.a), true, false);
        break;
    }
    case ScriptKind::Type:
        for (unsigned char c : e.text)
            QueueInput(h, WM_CHAR, c, 1, t, false);
        break;
    case ScriptKind::MouseMove:
        mouse(WM_MOUSEMOVE);
        break;
    case ScriptKind::LButtonDown:
        mouse(WM_LBUTTONDOWN);
        break;
    case ScriptKind::LButtonUp:
        mouse(WM_LBUTTONUP);
        break;
    case ScriptKind::Click:
        mouse(WM_MOUSEMOVE);
        mouse(WM_LBUTTONDOWN);
        mouse(WM_LBUTTONUP);
        break;
    case ScriptKind::Wheel:
        QueueInput(h, WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<uint32_t>(e.a) << 16), 0, t,
                   false);
        break;
    case ScriptKind::Close:
        QueueInput(h, WM_CLOSE, 0, 0, t, false);
        break;
    case ScriptKind::Screenshot:
        if (!SavePng(e.text))
            std::cerr << "screenshot: cannot write " << e.text << "\n";
        break;
    case ScriptKind::Dump: {
        std::ofstream out(ResolvePath(e.text), std::ios::binary | std::ios::trunc);
        out << (l.dumpHook ? l.dumpHook() : std::string("{}")) << "\n";
        if (!out)
            std::cerr << "dump: cannot write " << e.text << "\n";
        break;
    }
    case ScriptKind::Check: {
        const uint64_t want = std::stoull(e.text, nullptr, 16);
        const uint64_t got = l.hashHook ? l.hashHook() : 0;
        if (want != got) {
            std::cerr << "check failed at " << t << " ms (script line " << e.line << "): expected "
                      << e.text << ", state is " << Hex(got) << "\n";
            EndRun(4);
        }
        break;
    }
    case ScriptKind::Quit:
        EndRun(0);
        break;
    }
}

MSG Make(HWND h, UINT msg, WPARAM w, LPARAM lp, uint64_t t)
{
    MSG m{};
    m.hwnd = h;
    m.message = msg;
    m.wParam = w;
    m.lParam = lp;
    m.time = static_cast<DWORD>(t);
    return m;
}

// Turns the SDL events waiting now into input messages stamped `t`.
void PumpSdl(uint64_t t)
{
    w32::Layer& l = L();
    if (!l.videoUp)
        return;
    HWND h = MainWindow();
    SDL_Event ev;
    while (SDL_PollEvent(&ev)) {
        if (!h)
            continue;
        switch (ev.type) {
        case SDL_QUIT:
            QueueInput(h, WM_CLOSE, 0, 0, t, true);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const UINT vk = VkFromSdl(ev.key.keysym.sym, ev.key.keysym.scancode);
            if (!vk)
                break;
            const bool up = ev.type == SDL_KEYUP;
            QueueInput(h, up ? WM_KEYUP : WM_KEYDOWN, vk, KeyLParam(vk, ev.key.repeat != 0, up), t,
                       true);
            break;
        }
        case SDL_TEXTINPUT:
            for (const char* c = ev.text.text; *c; ++c) {
                const auto u = static_cast<unsigned char>(*c);
                if (u >= 32 && u < 127)
                    QueueInput(h, WM_CHAR, u, 1, t, true);
            }
            break;
        case SDL_MOUSEMOTION:
            // As on Windows, a pointer outside the client area moves nothing.
            if (ev.motion.x < 0 || ev.motion.y < 0 || ev.motion.x >= kClientW ||
                ev.motion.y >= kClientH)
                break;
            QueueInput(h, WM_MOUSEMOVE, 0, MAKELPARAM(ev.motion.x, ev.motion.y), t, true);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (ev.button.button != SDL_BUTTON_LEFT)
                break;
            QueueInput(h, ev.type == SDL_MOUSEBUTTONDOWN ? WM_LBUTTONDOWN : WM_LBUTTONUP,
                       ev.type == SDL_MOUSEBUTTONDOWN ? 1 : 0,
                       MAKELPARAM(std::clamp(ev.button.x, 0, kClientW - 1),
                                  std::clamp(ev.button.y, 0, kClientH - 1)),
                       t, true);
            break;
        case SDL_MOUSEWHEEL: {
            int d = ev.wheel.y * 120;
            if (ev.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
                d = -d;
            if (d)
                QueueInput(h, WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<uint32_t>(d) << 16), 0,
                           t, true);
            break;
        }
        case SDL_WINDOWEVENT:
            if (ev.window.event == SDL_WINDOWEVENT_EXPOSED)
                h->invalid = true;
            break;
        default:
            break;
        }
    }
}

uint64_t NextTickDue()
{
    uint64_t due = kNever;
    for (const auto& t : L().timers)
        due = std::min(due, t.due);
    return due;
}

bool VideoUp()
{
    w32::Layer& l = L();
    if (l.videoUp)
        return true;
    if (l.headless)
        return false;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        l.videoError = SDL_GetError();
        return false;
    }
    l.videoUp = true;
    return true;
}

} // namespace

// ---------------------------------------------------------------- run modes
bool Configure(const RunConfig& c, std::string& error)
{
    w32::Layer& l = L();
    l.headless = c.headless;
    l.maxTime = c.maxTimeMs;
    l.maxTimeGiven = c.maxTimeGiven || c.headless;
    l.configured = true;
    detail::MciSetDeviceAllowed(!c.headless);
    if (!detail::MciOpenLog(c.mciLogPath, error))
        return false;
    l.hasScript = false;
    if (!c.scriptPath.empty()) {
        std::ifstream in(c.scriptPath, std::ios::binary);
        if (!in) {
            error = c.scriptPath + ":0: cannot read the script";
            return false;
        }
        if (!ParseScript(in, c.scriptPath, l.script, error))
            return false;
        l.hasScript = true;
        l.scriptNext = 0;
    }
    std::string clock = c.clock.empty() ? l.script.clock : c.clock;
    if (!clock.empty()) {
        if (!ParseClock(clock, l.startClock)) {
            error = "bad clock '" + clock + "' (want YYYY-MM-DDTHH:MM:SS.CC)";
            return false;
        }
    } else if (c.headless) {
        ParseClock("2000-01-01T12:00:00.00", l.startClock);
    } else {
        const std::time_t t = std::time(nullptr);
        std::tm tm{};
        localtime_r(&t, &tm);
        l.startClock = {};
        l.startClock.wYear = static_cast<WORD>(tm.tm_year + 1900);
        l.startClock.wMonth = static_cast<WORD>(tm.tm_mon + 1);
        l.startClock.wDay = static_cast<WORD>(tm.tm_mday);
        l.startClock.wHour = static_cast<WORD>(tm.tm_hour);
        l.startClock.wMinute = static_cast<WORD>(tm.tm_min);
        l.startClock.wSecond = static_cast<WORD>(std::min(tm.tm_sec, 59));
        l.startClock = AddMilliseconds(l.startClock, 0);
    }
    if (!c.recordPath.empty()) {
        l.record.open(c.recordPath, std::ios::out | std::ios::trunc | std::ios::binary);
        if (!l.record) {
            error = "cannot write the recording " + c.recordPath;
            return false;
        }
        l.record << "clock " << FormatClock(l.startClock) << '\n';
        l.nextCheck = 1000;
    }
    if (SDL_WasInit(SDL_INIT_TIMER) == 0)
        SDL_InitSubSystem(SDL_INIT_TIMER);
    l.realStart = SDL_GetTicks64();
    l.now = 0;
    return true;
}

bool IsHeadless()
{
    return L().headless;
}

uint32_t Now()
{
    return static_cast<uint32_t>(L().now);
}

void SetDumpHook(std::function<std::string()> hook)
{
    L().dumpHook = std::move(hook);
}
void SetHashHook(std::function<uint64_t()> hook)
{
    L().hashHook = std::move(hook);
}
void SetPlayingHook(std::function<bool()> hook)
{
    L().playingHook = std::move(hook);
}
void SetMessageBoxHook(std::function<void(const char*, const char*)> hook)
{
    L().boxHook = std::move(hook);
}

int RequestedExitCode()
{
    return L().exitCode;
}

namespace testing {

void Reset(bool headless)
{
    w32::Layer& l = L();
    for (auto& w : l.windows) {
        if (w->texture)
            SDL_DestroyTexture(w->texture);
        if (w->renderer)
            SDL_DestroyRenderer(w->renderer);
        if (w->window)
            SDL_DestroyWindow(w->window);
    }
    l.windows.clear();
    l.registered.clear();
    l.nextRegistered = 0xC000;
    l.posted.clear();
    l.input.clear();
    l.timers.clear();
    l.nextTimerId = 1;
    l.script = {};
    l.scriptNext = 0;
    l.hasScript = false;
    l.exitCode = -1;
    l.frame.clear();
    l.failSetTimer = false;
    if (l.record.is_open())
        l.record.close();
    l.dumpHook = nullptr;
    l.hashHook = nullptr;
    l.playingHook = nullptr;
    l.boxHook = nullptr;
    detail::MciReset();
    RunConfig c;
    c.headless = headless;
    std::string error;
    Configure(c, error);
}

void FailSetTimer(bool fail)
{
    L().failSetTimer = fail;
}

void AdvanceClock(uint32_t ms)
{
    L().now += ms;
}

void InjectInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    QueueInput(hwnd, msg, wParam, lParam, L().now, true);
}

const std::vector<uint32_t>& WindowFrame()
{
    return L().frame;
}

bool IsInvalid(HWND hwnd)
{
    return hwnd && hwnd->invalid;
}

} // namespace testing

} // namespace w32

using w32::L;

// ---------------------------------------------------------------- windows
HINSTANCE GetModuleHandleA(LPCSTR)
{
    return reinterpret_cast<HINSTANCE>(0x400000);
}

namespace {
std::map<std::string, WNDCLASSA>& Classes()
{
    static std::map<std::string, WNDCLASSA> classes;
    return classes;
}
} // namespace

ATOM RegisterClassA(const WNDCLASSA* wc)
{
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc)
        return 0;
    Classes()[wc->lpszClassName] = *wc;
    return static_cast<ATOM>(0xC000 + Classes().size());
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD, int, int, int width,
                     int height, HWND, HMENU, HINSTANCE, void*)
{
    auto cls = Classes().find(className ? className : "");
    if (cls == Classes().end())
        return nullptr;
    auto w = std::make_unique<HWND__>();
    w->proc = cls->second.lpfnWndProc;
    w->dc.target.present = &w32::Present;
    w->dc.hwnd = w.get();
    if (!L().headless) {
        if (!w32::VideoUp())
            return nullptr;
        const int cw = width - 2 * GetSystemMetrics(SM_CXFIXEDFRAME);
        const int ch =
            height - 2 * GetSystemMetrics(SM_CYFIXEDFRAME) - GetSystemMetrics(SM_CYCAPTION);
        Uint32 flags = SDL_WINDOW_HIDDEN;
        if (exStyle & WS_EX_TOPMOST)
            flags |= SDL_WINDOW_ALWAYS_ON_TOP;
        w->window =
            SDL_CreateWindow(title ? title : "", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                             cw > 0 ? cw : w32::kClientW, ch > 0 ? ch : w32::kClientH, flags);
        if (!w->window) {
            L().videoError = SDL_GetError();
            return nullptr;
        }
        // Frames go to the window's own surface, without GL: a software GL
        // renderer would spend several times the CPU of the copy itself.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        if (!SDL_GetWindowSurface(w->window)) {
            w->renderer = SDL_CreateRenderer(w->window, -1, SDL_RENDERER_SOFTWARE);
            if (!w->renderer)
                w->renderer = SDL_CreateRenderer(w->window, -1, 0);
        }
        static const bool watching = (SDL_AddEventWatch(&w32::ForgetShownFrame, nullptr), true);
        (void)watching;
        if (w->renderer) {
            SDL_RenderSetLogicalSize(w->renderer, w32::kClientW, w32::kClientH);
            SDL_SetRenderDrawColor(w->renderer, 0, 0, 0, 255);
            w->texture =
                SDL_CreateTexture(w->renderer, SDL_PIXELFORMAT_ARGB8888,
                                  SDL_TEXTUREACCESS_STREAMING, w32::kClientW, w32::kClientH);
        }
        static SDL_Cursor* cross = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_CROSSHAIR);
        if (cross)
            SDL_SetCursor(cross);
        SDL_StartTextInput();
    }
    HWND h = w.get();
    L().windows.push_back(std::move(w));
    h->proc(h, WM_CREATE, 0, 0);
    return h;
}

BOOL ShowWindow(HWND hwnd, int)
{
    if (!w32::IsWindowHandle(hwnd))
        return FALSE;
    if (hwnd->window) {
        SDL_ShowWindow(hwnd->window);
        SDL_RaiseWindow(hwnd->window);
    }
    hwnd->invalid = true;
    return TRUE;
}

BOOL UpdateWindow(HWND hwnd)
{
    if (!w32::IsWindowHandle(hwnd))
        return FALSE;
    if (hwnd->invalid)
        SendMessageA(hwnd, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL DestroyWindow(HWND hwnd)
{
    if (!w32::IsWindowHandle(hwnd))
        return FALSE;
    hwnd->destroyed = true;
    hwnd->proc(hwnd, WM_DESTROY, 0, 0);
    if (hwnd->texture)
        SDL_DestroyTexture(hwnd->texture);
    if (hwnd->renderer)
        SDL_DestroyRenderer(hwnd->renderer);
    if (hwnd->window)
        SDL_DestroyWindow(hwnd->window);
    hwnd->texture = nullptr;
    hwnd->renderer = nullptr;
    hwnd->window = nullptr;
    return TRUE;
}

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXFIXEDFRAME:
        return w32::kFrameX;
    case SM_CYFIXEDFRAME:
        return w32::kFrameY;
    case SM_CYCAPTION:
        return w32::kCaption;
    default:
        return 0;
    }
}

HICON LoadIconA(HINSTANCE, LPCSTR name)
{
    return const_cast<char*>(name);
}
HCURSOR LoadCursorA(HINSTANCE, LPCSTR name)
{
    return const_cast<char*>(name);
}
HBRUSH CreateSolidBrush(COLORREF color)
{
    return reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(color) + 1);
}

// ---------------------------------------------------------------- messages
BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    L().posted.push_back(w32::Make(hwnd, msg, wParam, lParam, L().now));
    return TRUE;
}

void PostQuitMessage(int exitCode)
{
    PostMessageA(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!w32::IsWindowHandle(hwnd) || !hwnd->proc)
        return 0;
    return hwnd->proc(hwnd, msg, wParam, lParam);
}

LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM, LPARAM)
{
    if (msg == WM_CLOSE)
        DestroyWindow(hwnd);
    if (msg == WM_PAINT)
        ValidateRect(hwnd, nullptr);
    return 0;
}

UINT RegisterWindowMessageA(LPCSTR name)
{
    if (!name || !*name)
        return 0;
    auto& l = L();
    std::string key = name;
    for (auto& c : key)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    auto [it, fresh] = l.registered.try_emplace(key, l.nextRegistered);
    if (fresh)
        ++l.nextRegistered;
    return it->second;
}

BOOL GetMessageA(MSG* out, HWND, UINT, UINT)
{
    using namespace w32;
    w32::Layer& l = L();
    for (;;) {
        auto deliver = [&](const MSG& m, bool translate) {
            *out = m;
            l.translateLast = translate;
            return TRUE;
        };
        if (!l.posted.empty()) {
            MSG m = l.posted.front();
            l.posted.pop_front();
            m.time = static_cast<DWORD>(l.now);
            if (m.message == WM_QUIT) {
                *out = m;
                return FALSE;
            }
            return deliver(m, true);
        }
        if (l.exitCode >= 0) {
            *out = Make(nullptr, WM_QUIT, static_cast<WPARAM>(l.exitCode), 0, l.now);
            return FALSE;
        }
        const uint64_t tick = NextTickDue();
        const uint64_t real = l.headless ? kNever : RealNow();
        const uint64_t limit = l.maxTimeGiven ? l.maxTime : kNever;
        // Input is stamped no later than an undelivered tick.
        PumpSdl(std::max(l.now, std::min(real, tick)));
        const uint64_t scriptAt =
            l.scriptNext < l.script.events.size() ? l.script.events[l.scriptNext].time : kNever;
        if (!l.input.empty() && l.input.front().msg.time <= scriptAt) {
            Pending p = l.input.front();
            l.input.pop_front();
            l.now = std::max<uint64_t>(l.now, p.msg.time);
            p.msg.time = static_cast<DWORD>(l.now);
            if (p.msg.time > limit) {
                l.now = limit;
                EndRun(0);
                continue;
            }
            RecordChecks(l.now, false);
            RecordInput(p.msg);
            return deliver(p.msg, p.translate);
        }
        // A paint that is due now comes before script input of a later instant.
        const bool paintDue = MainWindow() != nullptr && MainWindow()->invalid;
        if (scriptAt != kNever && scriptAt <= tick && scriptAt <= real &&
            !(paintDue && scriptAt > l.now)) {
            if (scriptAt > limit) {
                l.now = limit;
                EndRun(0);
                continue;
            }
            const ScriptEvent& e = l.script.events[l.scriptNext];
            HWND main = MainWindow();
            // A screenshot shows the frame after the paint that is due.
            if (e.kind == ScriptKind::Screenshot && main && main->invalid) {
                l.now = std::max(l.now, scriptAt);
                return deliver(Make(main, WM_PAINT, 0, 0, l.now), true);
            }
            l.now = std::max(l.now, scriptAt);
            ++l.scriptNext;
            RunScriptEvent(e);
            continue;
        }
        if (HWND main = MainWindow(); main && main->invalid) {
            if (!l.headless)
                l.now = std::max(l.now, std::min(real, tick));
            return deliver(Make(main, WM_PAINT, 0, 0, l.now), true);
        }
        if (tick != kNever && tick <= real) {
            if (tick > limit) {
                l.now = limit;
                EndRun(0);
                continue;
            }
            auto it =
                std::min_element(l.timers.begin(), l.timers.end(),
                                 [](const Timer& a, const Timer& b) { return a.due < b.due; });
            l.now = std::max(l.now, tick);
            RecordChecks(l.now, true);
            Timer& t = *it;
            const uint64_t period = std::max<uint32_t>(t.period, 1);
            t.due += period;
            // A late tick is delivered once; the ones it missed are dropped.
            if (DropsLateTicks() && t.due <= real)
                t.due += (real - t.due) / period * period + period;
            MSG m = Make(nullptr, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc), l.now);
            return deliver(m, true);
        }
        if (l.headless) {
            // Nothing will ever happen again: the run ends at the time limit.
            l.now = std::max<uint64_t>(l.now, l.maxTime);
            EndRun(0);
            continue;
        }
        // Sleep until input arrives or the next tick or script event is due.
        uint64_t wake = std::min({tick, scriptAt, limit});
        if (wake <= real) {
            if (limit <= real) {
                l.now = limit;
                EndRun(0);
            }
            continue;
        }
        if (!l.videoUp) {
            SDL_Delay(static_cast<Uint32>(std::min<uint64_t>(wake - real, 1000)));
            continue;
        }
        const int timeout =
            wake == kNever ? -1 : static_cast<int>(std::min<uint64_t>(wake - real, 1 << 30));
        if (timeout < 0) {
            SDL_WaitEvent(nullptr);
        } else {
            SDL_WaitEventTimeout(nullptr, timeout);
        }
    }
}

BOOL TranslateMessage(const MSG* msg)
{
    if (!msg || msg->message != WM_KEYDOWN || !L().translateLast)
        return FALSE;
    const int c = w32::TranslatedChar(static_cast<UINT>(msg->wParam));
    if (!c)
        return FALSE;
    L().posted.push_back(
        w32::Make(msg->hwnd, WM_CHAR, static_cast<WPARAM>(c), msg->lParam & 0xFFFFFF, L().now));
    w32::RecordLine(L().now, "char " + std::to_string(c));
    return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg)
{
    if (!msg)
        return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

// ---------------------------------------------------------------- timers
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT periodMs, TIMERPROC proc)
{
    w32::Layer& l = L();
    if (l.failSetTimer)
        return 0;
    if (hwnd) {
        // Window timers are not used by the game; keep them as thread timers with the given id.
        (void)hwnd;
    }
    if (!hwnd || id == 0)
        id = l.nextTimerId++;
    const uint32_t period = std::max<UINT>(periodMs, 1);
    for (auto& t : l.timers) {
        if (t.id == id) {
            t = {id, proc, period, l.now + period};
            return id;
        }
    }
    l.timers.push_back({id, proc, period, l.now + period});
    return id;
}

BOOL KillTimer(HWND, UINT_PTR id)
{
    auto& timers = L().timers;
    auto it =
        std::find_if(timers.begin(), timers.end(), [&](const w32::Timer& t) { return t.id == id; });
    if (it == timers.end())
        return FALSE;
    timers.erase(it);
    return TRUE;
}

// ---------------------------------------------------------------- painting
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps)
{
    if (!w32::IsWindowHandle(hwnd))
        return nullptr;
    hwnd->invalid = false;
    if (ps) {
        ps->hdc = &hwnd->dc;
        ps->fErase = FALSE;
        ps->rcPaint = {0, 0, w32::kClientW, w32::kClientH};
    }
    return &hwnd->dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT*)
{
    if (!w32::IsWindowHandle(hwnd))
        return FALSE;
    hwnd->invalid = false;
    return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT*, void*, UINT flags)
{
    if (!w32::IsWindowHandle(hwnd))
        return FALSE;
    if (flags & RDW_INVALIDATE)
        hwnd->invalid = true;
    return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT*, BOOL)
{
    if (!w32::IsWindowHandle(hwnd))
        return FALSE;
    hwnd->invalid = true;
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT*)
{
    if (!w32::IsWindowHandle(hwnd))
        return FALSE;
    hwnd->invalid = false;
    return TRUE;
}

// ---------------------------------------------------------------- message boxes
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT)
{
    w32::Layer& l = L();
    const char* t = text ? text : "";
    const char* c = caption ? caption : "";
    if (l.boxHook)
        l.boxHook(c, t);
    if (!l.headless && w32::VideoUp()) {
        SDL_Window* parent = w32::IsWindowHandle(owner) ? owner->window : nullptr;
        if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, c, t, parent) == 0)
            return IDOK;
    }
    std::cerr << c << ": " << t;
    if (!l.headless && !l.videoError.empty())
        std::cerr << " (no display: " << l.videoError << ")";
    std::cerr << std::endl;
    return IDOK;
}

// ---------------------------------------------------------------- clock
void GetLocalTime(SYSTEMTIME* time)
{
    if (time)
        *time = w32::AddMilliseconds(L().startClock, L().now);
}

DWORD GetTickCount()
{
    return static_cast<DWORD>(L().now);
}
