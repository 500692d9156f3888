// Messages and timers: posted and input messages, thread timers, and
// GetMessageA, which hands them out in Windows' order, waiting on the host's
// display and running the host's events at their instants.
#include <algorithm>
#include <cctype>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "host_api.h"
#include "layer_internal.h"
#include "win32_testing.h"

namespace w32::detail {

namespace {

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
    bool translate = true;
};

struct Queue
{
    uint64_t now = 0;
    uint64_t lastTick = kNever; // the instant of the last tick delivered
    std::deque<MSG> posted;
    std::deque<Pending> input; // in time order
    std::vector<Timer> timers;
    UINT_PTR nextTimerId = 1;
    bool failSetTimer = false;
    bool translateLast = true; // whether TranslateMessage may make a character of the last message
    std::map<std::string, UINT> registered;
    UINT nextRegistered = 0xC000;
};

Queue& Q()
{
    static Queue q;
    return q;
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

// Input from the display, for the main window, stamped with one instant.
class ToQueue final : public InputSink
{
  public:
    ToQueue(HWND main, uint64_t t) : main_(main), t_(t) {}
    void Input(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (main_)
            QueueInput(main_, msg, wParam, lParam, t_, true);
    }
    void Exposed() override
    {
        if (main_)
            main_->invalid = true;
    }

  private:
    HWND main_;
    uint64_t t_;
};

// What lies ahead when GetMessageA looks: the display's time, the next tick,
// the run's next event and the end of the run.
struct Ahead
{
    uint64_t real, tick, event, limit;
};

Ahead LookAhead()
{
    Queue& q = Q();
    Ahead a{TheDisplay().Elapsed(), kNever, TheRun().NextEvent(), TheRun().TimeLimit()};
    for (const auto& t : q.timers)
        a.tick = std::min(a.tick, t.due);
    // Input is stamped no later than an undelivered tick, and after a tick
    // delivered at this instant: a replay hands out the input of an instant
    // before that instant's tick, so input that came after the tick must not
    // share its instant.
    const uint64_t after = std::min(q.lastTick == q.now ? q.now + 1 : q.now, a.tick);
    ToQueue sink(MainWindow(), std::max(after, std::min(a.real, a.tick)));
    TheDisplay().Pump(sink);
    return a;
}

// Ends the run at its time limit when `t` lies beyond it.
bool Beyond(uint64_t t, uint64_t limit)
{
    if (t <= limit)
        return false;
    Q().now = limit;
    EndRun(0);
    return true;
}

enum class Step { None, Deliver, Again };

Step Deliver(MSG& out, const MSG& m, bool translate)
{
    out = m;
    Q().translateLast = translate;
    return Step::Deliver;
}

bool TakePosted(MSG& out)
{
    Queue& q = Q();
    if (q.posted.empty())
        return false;
    out = q.posted.front();
    q.posted.pop_front();
    out.time = static_cast<DWORD>(q.now);
    if (out.message != WM_QUIT)
        q.translateLast = true;
    return true;
}

// Input waiting in the queue, else the run's next event when it is due:
// it queues its input (or acts) and the loop looks again.
Step TakeInput(MSG& out, const Ahead& a)
{
    Queue& q = Q();
    if (!q.input.empty() && q.input.front().msg.time <= a.event) {
        Pending p = q.input.front();
        q.input.pop_front();
        q.now = std::max<uint64_t>(q.now, p.msg.time);
        p.msg.time = static_cast<DWORD>(q.now);
        if (Beyond(p.msg.time, a.limit))
            return Step::Again;
        TheRun().Observe(Delivery::Input, p.msg);
        return Deliver(out, p.msg, p.translate);
    }
    // A paint that is due now comes before the run's input of a later instant.
    HWND main = MainWindow();
    const bool paintDue = main && main->invalid;
    if (a.event == kNever || a.event > a.tick || a.event > a.real || (paintDue && a.event > q.now))
        return Step::None;
    if (Beyond(a.event, a.limit))
        return Step::Again;
    q.now = std::max(q.now, a.event);
    // A screenshot shows the frame after the paint that is due.
    if (paintDue && TheRun().NextEventShowsFrame())
        return Deliver(out, Make(main, WM_PAINT, 0, 0, q.now), true);
    TheRun().RunNextEvent();
    return Step::Again;
}

Step TakePaint(MSG& out, const Ahead& a)
{
    Queue& q = Q();
    HWND main = MainWindow();
    if (!main || !main->invalid)
        return Step::None;
    // Never past an event of the run still to come, which must see its own instant.
    q.now = std::max(q.now, std::min({a.real, a.tick, a.event}));
    return Deliver(out, Make(main, WM_PAINT, 0, 0, q.now), true);
}

Step TakeTick(MSG& out, const Ahead& a)
{
    Queue& q = Q();
    if (a.tick == kNever || a.tick > a.real)
        return Step::None;
    if (Beyond(a.tick, a.limit))
        return Step::Again;
    Timer& t = *std::min_element(q.timers.begin(), q.timers.end(),
                                 [](const Timer& x, const Timer& y) { return x.due < y.due; });
    q.now = std::max(q.now, a.tick);
    q.lastTick = q.now;
    const MSG tick = Make(nullptr, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc), q.now);
    TheRun().Observe(Delivery::Tick, tick);
    const uint64_t period = std::max<uint32_t>(t.period, 1);
    t.due += period;
    // A late tick is delivered once; the ones it missed are dropped.
    if (t.due <= a.real && !TheRun().KeepsLateTicks(a.real - t.due))
        t.due += (a.real - t.due) / period * period + period;
    return Deliver(out, tick, true);
}

// Waits until input arrives or the next tick, event of the run or its end is due.
void Sleep(const Ahead& a)
{
    const uint64_t wake = std::min({a.tick, a.event, a.limit});
    if (wake > a.real) {
        TheDisplay().Wait(wake == kNever ? kNever : wake - a.real);
    } else if (a.limit <= a.real) {
        Q().now = a.limit;
        EndRun(0);
    }
}

} // namespace

uint64_t Instant()
{
    return Q().now;
}

void SetInstant(uint64_t t)
{
    Q().now = t;
}

void QueueInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, uint64_t t, bool translate)
{
    // After every message of the same instant or earlier: an event of the run that
    // is overdue goes before later user input. Searched from the end, where
    // new input almost always goes.
    auto& q = Q().input;
    auto at = std::find_if(q.rbegin(), q.rend(), [&](const Pending& p) {
                  return p.msg.time <= t;
              }).base();
    q.insert(at, {Make(hwnd, msg, wParam, lParam, t), translate});
}

void ResetQueue()
{
    Queue& q = Q();
    q.registered.clear();
    q.nextRegistered = 0xC000;
    q.posted.clear();
    q.input.clear();
    q.lastTick = kNever;
    q.timers.clear();
    q.nextTimerId = 1;
    q.failSetTimer = false;
}

} // namespace w32::detail

namespace w32 {

namespace testing {

void FailSetTimer(bool fail)
{
    detail::Q().failSetTimer = fail;
}

void InjectInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    detail::QueueInput(hwnd, msg, wParam, lParam, detail::Q().now, true);
}

} // namespace testing

} // namespace w32

using w32::detail::Q;

// ---------------------------------------------------------------- messages
BOOL GetMessageA(MSG* out, HWND, UINT, UINT)
{
    using namespace w32::detail;
    for (;;) {
        // Windows' order: posted messages, then input, then a paint while the
        // window is invalid, then a due timer tick.
        if (TakePosted(*out))
            return out->message != WM_QUIT;
        if (const int code = w32::RequestedExitCode(); code >= 0) {
            *out = Make(nullptr, WM_QUIT, static_cast<WPARAM>(code), 0, Q().now);
            return FALSE;
        }
        const Ahead ahead = LookAhead();
        Step step = TakeInput(*out, ahead);
        if (step == Step::None)
            step = TakePaint(*out, ahead);
        if (step == Step::None)
            step = TakeTick(*out, ahead);
        if (step == Step::Deliver)
            return TRUE;
        if (step == Step::None)
            Sleep(ahead);
    }
}

BOOL TranslateMessage(const MSG* msg)
{
    if (!msg || msg->message != WM_KEYDOWN || !Q().translateLast)
        return FALSE;
    const int c = w32::TranslatedChar(static_cast<UINT>(msg->wParam));
    if (!c)
        return FALSE;
    const MSG made =
        w32::detail::Make(msg->hwnd, WM_CHAR, static_cast<WPARAM>(c), msg->lParam, Q().now);
    Q().posted.push_back(made);
    w32::detail::TheRun().Observe(w32::detail::Delivery::Character, made);
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

BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Q().posted.push_back(w32::detail::Make(hwnd, msg, wParam, lParam, Q().now));
    return TRUE;
}

void PostQuitMessage(int exitCode)
{
    PostMessageA(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!w32::detail::IsWindowHandle(hwnd) || !hwnd->proc)
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
    auto& q = Q();
    std::string key = name;
    for (auto& c : key)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    auto [it, fresh] = q.registered.try_emplace(key, q.nextRegistered);
    if (fresh)
        ++q.nextRegistered;
    return it->second;
}

// ---------------------------------------------------------------- timers
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT periodMs, TIMERPROC proc)
{
    auto& q = Q();
    if (q.failSetTimer)
        return 0;
    // Window timers are not used by the game; they are thread timers with the given id.
    if (!hwnd || id == 0)
        id = q.nextTimerId++;
    const uint32_t period = std::max<UINT>(periodMs, 1);
    for (auto& t : q.timers) {
        if (t.id == id) {
            t = {id, proc, period, q.now + period};
            return id;
        }
    }
    q.timers.push_back({id, proc, period, q.now + period});
    return id;
}

BOOL KillTimer(HWND, UINT_PTR id)
{
    auto& timers = Q().timers;
    auto it = std::find_if(timers.begin(), timers.end(),
                           [&](const w32::detail::Timer& t) { return t.id == id; });
    if (it == timers.end())
        return FALSE;
    timers.erase(it);
    return TRUE;
}
