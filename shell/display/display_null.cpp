// The display of a run without a screen: windows exist for the game but are
// shown nowhere, no input arrives (but from pads a test enables), message
// boxes cannot be shown, and time
// is virtual: waiting moves the clock on at once, so a run goes as fast as
// the processor allows.
#include "display.h"
#include "pad/pad.h"
#include "runmodes/end_request.h"

namespace w32::detail {

namespace {

class NullSurface final : public Surface
{
  public:
    void Show() override {}
    void Present(const uint32_t*, Rows) override {}
};

class NullDisplay final : public Display
{
  public:
    uint64_t Elapsed() const override { return clock_; }
    void Wait(uint64_t ms) override { clock_ = ms >= kNever - clock_ ? kNever : clock_ + ms; }
    void Pump(InputSink& sink) override
    {
        TakeEndRequest();
        PumpPads(sink);
    }
    std::unique_ptr<Surface> CreateSurface(const char*, const char*, int, int, bool) override
    {
        return std::make_unique<NullSurface>();
    }
    bool MessageBox(Surface*, const char*, const char*) override { return false; }
    std::string Problem() const override { return ""; }

  private:
    uint64_t clock_ = 0;
};

} // namespace

std::unique_ptr<Display> CreateNullDisplay()
{
    return std::make_unique<NullDisplay>();
}

} // namespace w32::detail
