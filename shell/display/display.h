// The display a run shows its window on, chosen once at start-up: SDL's
// video (display_sdl.cpp) or none at all (display_null.cpp). A display also
// keeps the run's time: real time, or a virtual clock that jumps to
// whatever is due next.
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
};

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

// The display of the run: the one chosen last, else none.
Display& TheDisplay();
// Chooses the display by name for the run from here on: "window" or "none".
void ChooseDisplay(const std::string& name);

std::unique_ptr<Display> CreateSdlDisplay();
std::unique_ptr<Display> CreateNullDisplay();
// A replay watched on the SDL display, by the plan of the replay (replay.cpp).
std::unique_ptr<Display> CreateReplayDisplay();
// Shows a replay on `inner` from `begins` to `end` at `speed`: the player's
// input is dropped but for the close box (which ends the run), Escape
// (likewise) and Space (which pauses and resumes the replay).
std::unique_ptr<Display> CreateWatchingDisplay(std::unique_ptr<Display> inner, uint64_t begins,
                                               uint64_t end, double speed);

} // namespace w32::detail
