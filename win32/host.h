// The seam between the API and whoever runs it: the display its windows are
// shown on, and the run around the game. The host implements both and
// installs them before the first window; the API asks them, and nothing else
// outside itself, for time, input, windows on a screen and what the run adds.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "win32.h"

namespace w32::detail {

constexpr int kClientW = 800;
constexpr int kClientH = 700;
// An instant that never comes.
constexpr uint64_t kNever = std::numeric_limits<uint64_t>::max();

// Rows [first, last) of the frame; none when first >= last.
struct Rows
{
    int first = kClientH;
    int last = 0;
    bool Empty() const { return first >= last; }
    void Add(int y);
};

// Where a display delivers what the user did: the message queue.
class InputSink
{
  public:
    // An input message for the main window.
    virtual void Input(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    // The window's pixels were lost: it wants a paint.
    virtual void Exposed() = 0;

  protected:
    ~InputSink() = default;
};

// A window as the display shows it.
class Surface
{
  public:
    virtual ~Surface() = default;
    virtual void Show() = 0;
    // Shows the frame (800 x 700 ARGB pixels); `changed` are the rows that
    // differ from the frame presented before.
    virtual void Present(const uint32_t* frame, Rows changed) = 0;
    // Whether the next Present needs `changed`: a surface that shows a
    // picture of its own for now redraws every row from the frame anyway.
    virtual bool WantsChangedRows() const { return true; }
};

// The display's part: the run's time, the user's input, windows and message boxes.
class Display
{
  public:
    virtual ~Display() = default;
    // Milliseconds since the run started.
    virtual uint64_t Elapsed() const = 0;
    // Returns when input may have arrived, or after `ms` (kNever: only on input).
    virtual void Wait(uint64_t ms) = 0;
    // Hands the input that arrived since the last call to the sink.
    virtual void Pump(InputSink& sink) = 0;
    // A window of the class with a client area of width x height; null when
    // none can be made (Problem() says why).
    virtual std::unique_ptr<Surface> CreateSurface(const char* className, const char* title,
                                                   int width, int height, bool topmost) = 0;
    // Shows a message box and waits until it is closed; false when none can be shown.
    virtual bool MessageBox(Surface* owner, const char* caption, const char* text) = 0;
    // Why no window could be shown; empty when nothing went wrong.
    virtual std::string Problem() const = 0;
};

// What the queue hands out or makes, as the run sees it.
enum class Delivery {
    Input,     // an input message delivered to the game
    Tick,      // a timer tick delivered to the game
    Character, // a WM_CHAR that TranslateMessage made of the last key
};

// The run's part: events at their instants besides the user's input, the
// time limit, and what the game is handed.
class Run
{
  public:
    // The instant of the next event of the run, kNever when none is left.
    virtual uint64_t NextEvent() const = 0;
    // Whether that event shows the window (a paint that is due goes first).
    virtual bool NextEventShowsFrame() const = 0;
    // Runs it: its input is queued (QueueInput), anything else acts at once.
    virtual void RunNextEvent() = 0;
    // The instant the run ends at, kNever when it has no limit.
    virtual uint64_t TimeLimit() const = 0;
    // Whether a timer tick `late` milliseconds behind its time is still
    // delivered rather than dropped.
    virtual bool KeepsLateTicks(uint64_t late) = 0;
    // A message handed to the game (or made for it) at the present instant.
    virtual void Observe(Delivery what, const MSG& msg) = 0;
    // A message box, as it is shown.
    virtual void MessageBoxShown(const char* caption, const char* text) = 0;

  protected:
    ~Run() = default;
};

// From here on the windows made are shown on `display`, and the queue runs
// inside `run`. Both must outlive the windows made after.
void InstallHost(Display& display, Run& run);

} // namespace w32::detail
