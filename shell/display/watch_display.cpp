// A replay watched in a window: the display of the screen, with a clock of
// its own. Up to the instant the replay's game begins, time is virtual and
// nothing is shown (the menus and games before it are played as fast as
// possible); from there the clock runs at the chosen speed, stands still
// while the player pauses, and stops at the replay's last event, the last
// frame staying on screen until the player leaves. The window marks it all.
#include <algorithm>
#include <cmath>

#include "display.h"
#include "host_api.h"
#include "window/replay_marks.h"

namespace w32::detail {

namespace {

constexpr uint64_t kIdleMs = 250;

class WatchingDisplay;

class WatchedSurface final : public Surface
{
  public:
    WatchedSurface(std::unique_ptr<Surface> inner, const WatchingDisplay& display)
        : inner_(std::move(inner)), display_(display)
    {
    }
    void Show() override { inner_->Show(); }
    void Present(const uint32_t* frame, Rows changed) override;
    Surface* Inner() const { return inner_.get(); }

  private:
    std::unique_ptr<Surface> inner_;
    const WatchingDisplay& display_;
    bool shownAny_ = false; // frames skipped before: the first one shown is shown whole
};

// The player's input while watching: only leaving and pausing count.
class WatcherInput final : public InputSink
{
  public:
    WatcherInput(InputSink& queue, bool& paused) : queue_(queue), paused_(paused) {}
    void Input(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        const bool fresh = (static_cast<uint32_t>(lParam) & (1u << 30)) == 0;
        if (msg == WM_CLOSE || (msg == WM_KEYDOWN && wParam == VK_ESCAPE)) {
            EndRun(0);
        } else if (msg == WM_KEYDOWN && wParam == VK_SPACE && fresh) {
            paused_ = !paused_;
            toggled_ = true;
        }
    }
    void Exposed() override { queue_.Exposed(); }
    bool Toggled() const { return toggled_; }

  private:
    InputSink& queue_;
    bool& paused_;
    bool toggled_ = false;
};

class WatchingDisplay final : public Display
{
  public:
    WatchingDisplay(std::unique_ptr<Display> inner, uint64_t begins, uint64_t end, double speed)
        : inner_(std::move(inner)), begins_(begins), end_(std::max(begins, end)),
          speed_(std::clamp(speed, 0.5, 4.0))
    {
        if (begins_ == 0)
            StartShowing();
    }
    ~WatchingDisplay() override { SetReplayMarks({}); }
    WatchingDisplay(const WatchingDisplay&) = delete;
    WatchingDisplay& operator=(const WatchingDisplay&) = delete;

    bool Showing() const { return showing_; }

    uint64_t Elapsed() const override
    {
        if (!showing_)
            return virtual_;
        return std::min(end_, paused_ ? base_ : Scaled(inner_->Elapsed()));
    }

    void Wait(uint64_t ms) override
    {
        if (!showing_) {
            virtual_ = ms >= begins_ - virtual_ ? begins_ : virtual_ + ms;
            if (virtual_ == begins_)
                StartShowing();
            return;
        }
        Mark();
        // Paused or at the end: only the player's input moves anything. The
        // wait is bounded, so a request to end (a signal) is seen soon.
        if (paused_ || ms == kNever || Elapsed() >= end_) {
            inner_->Wait(kIdleMs);
            return;
        }
        inner_->Wait(static_cast<uint64_t>(std::ceil(static_cast<double>(ms) / speed_)));
    }

    void Pump(InputSink& sink) override
    {
        const uint64_t now = Elapsed();
        bool paused = paused_;
        WatcherInput input(sink, paused);
        inner_->Pump(input);
        if (!input.Toggled() || !showing_)
            return;
        // The clock goes on from where it stood.
        paused_ = paused;
        base_ = now;
        realBase_ = inner_->Elapsed();
        Mark();
    }

    std::unique_ptr<Surface> CreateSurface(const char* className, const char* title, int width,
                                           int height, bool topmost) override
    {
        auto inner = inner_->CreateSurface(className, title, width, height, topmost);
        if (!inner)
            return nullptr;
        return std::make_unique<WatchedSurface>(std::move(inner), *this);
    }

    bool MessageBox(Surface* owner, const char* caption, const char* text) override
    {
        auto* watched = static_cast<WatchedSurface*>(owner);
        return inner_->MessageBox(watched ? watched->Inner() : nullptr, caption, text);
    }

    std::string Problem() const override { return inner_->Problem(); }

  private:
    uint64_t Scaled(uint64_t real) const
    {
        return base_ + static_cast<uint64_t>(static_cast<double>(real - realBase_) * speed_);
    }

    // The window's marks: paused, or at the end, where the clock stopped.
    void Mark() const
    {
        const bool ended = Elapsed() >= end_;
        SetReplayMarks({true, paused_ && !ended, ended});
    }

    void StartShowing()
    {
        showing_ = true;
        base_ = begins_;
        realBase_ = inner_->Elapsed();
        MciSetDeviceAllowed(true);
        Mark();
    }

    std::unique_ptr<Display> inner_;
    uint64_t begins_, end_;
    double speed_;
    bool showing_ = false;
    uint64_t virtual_ = 0;  // the clock before the game begins
    uint64_t base_ = 0;     // the replay's instant when the clock last started
    uint64_t realBase_ = 0; // the inner display's time then
    bool paused_ = false;
};

void WatchedSurface::Present(const uint32_t* frame, Rows changed)
{
    if (!display_.Showing())
        return;
    inner_->Present(frame, shownAny_ ? changed : Rows{0, kClientH});
    shownAny_ = true;
}

} // namespace

std::unique_ptr<Display> CreateWatchingDisplay(std::unique_ptr<Display> inner, uint64_t begins,
                                               uint64_t end, double speed)
{
    return std::make_unique<WatchingDisplay>(std::move(inner), begins, end, speed);
}

} // namespace w32::detail
