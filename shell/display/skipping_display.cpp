// A replay checked without a screen: the display without one, whose clock
// also leaps over time in which nothing of the replay is due and no game is
// played (the credits left scrolling for hours), so that a replay's length
// costs nothing where it checks nothing. The ticks leapt over are dropped
// (the run keeps no late tick there).
#include <functional>

#include "display.h"

namespace w32::detail {

namespace {

class SkippingDisplay final : public Display
{
  public:
    SkippingDisplay(std::unique_ptr<Display> inner, std::function<uint64_t()> skipTo)
        : inner_(std::move(inner)), skipTo_(std::move(skipTo))
    {
    }
    uint64_t Elapsed() const override { return inner_->Elapsed(); }
    void Wait(uint64_t ms) override
    {
        const uint64_t now = inner_->Elapsed();
        const uint64_t to = skipTo_();
        inner_->Wait(to != kNever && to > now && to - now > ms ? to - now : ms);
    }
    void Pump(InputSink& sink) override { inner_->Pump(sink); }
    std::unique_ptr<Surface> CreateSurface(const char* className, const char* title, int width,
                                           int height, bool topmost) override
    {
        return inner_->CreateSurface(className, title, width, height, topmost);
    }
    bool MessageBox(Surface* owner, const char* caption, const char* text) override
    {
        return inner_->MessageBox(owner, caption, text);
    }
    std::string Problem() const override { return inner_->Problem(); }

  private:
    std::unique_ptr<Display> inner_;
    std::function<uint64_t()> skipTo_;
};

} // namespace

std::unique_ptr<Display> CreateSkippingDisplay(std::unique_ptr<Display> inner,
                                               std::function<uint64_t()> skipTo)
{
    return std::make_unique<SkippingDisplay>(std::move(inner), std::move(skipTo));
}

} // namespace w32::detail
