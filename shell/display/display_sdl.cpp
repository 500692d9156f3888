// The display on a screen through SDL's video: a window per surface
// (sdl_surface.cpp), input from SDL's events, and real time.
#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "display.h"
#include "pad/pad.h"
#include "runmodes/end_request.h"
#include "sdl_input.h"
#include "window/window.h"
#include "x_errors.h"

namespace w32::detail {

namespace {

// Whether the user asked for the video driver by name in SDL_VIDEODRIVER.
bool DriverNamed(const char* driver)
{
    const char* names = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    std::istringstream list(names ? names : "");
    for (std::string name; std::getline(list, name, ',');) {
        if (SDL_strcasecmp(name.c_str(), driver) == 0)
            return true;
    }
    return false;
}

class SdlDisplay final : public Display
{
  public:
    SdlDisplay()
    {
        if (SDL_WasInit(SDL_INIT_TIMER) == 0)
            SDL_InitSubSystem(SDL_INIT_TIMER);
        start_ = SDL_GetTicks64();
    }

    uint64_t Elapsed() const override { return SDL_GetTicks64() - start_; }

    void Wait(uint64_t ms) override
    {
        // A window that wants showing again by itself (an indication ends) wakes the wait.
        if (const uint64_t due = SurfacesDue(); videoUp_ && due != kNever) {
            const uint64_t now = SDL_GetTicks64();
            ms = std::min(ms, due > now ? due - now : 0);
        }
        if (!videoUp_) {
            SDL_Delay(static_cast<Uint32>(std::min<uint64_t>(ms, 100)));
        } else if (ms == kNever) {
            SDL_WaitEvent(nullptr);
        } else {
            SDL_WaitEventTimeout(nullptr, static_cast<int>(std::min<uint64_t>(ms, 1 << 30)));
        }
    }

    void Pump(InputSink& sink) override
    {
        TakeEndRequest();
        if (!videoUp_)
            return;
        SDL_Event ev;
        while (SDL_PollEvent(&ev))
            TranslateSdlEvent(ev, sink);
        RefreshSurfaces();
    }

    std::unique_ptr<Surface> CreateSurface(const char* className, const char* title, int width,
                                           int height, bool topmost) override
    {
        // X reads the window's class (WM_CLASS) when SDL's video starts.
        if (className && *className)
            setenv("SDL_VIDEO_X11_WMCLASS", className, 0);
        if (!VideoUp())
            return nullptr;
        return CreateSdlSurface(title, width, height, topmost, problem_);
    }

    bool MessageBox(Surface* owner, const char* caption, const char* text) override
    {
        if (!VideoUp())
            return false;
        SDL_Window* parent = SdlWindowOf(owner);
        return SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, caption, text, parent) == 0;
    }

    std::string Problem() const override { return problem_; }

  private:
    // SDL's video, started on first use. A driver that shows nothing, which
    // SDL falls back to where there is no display, counts as no video unless
    // the user asked for it by name.
    bool VideoUp()
    {
        if (videoUp_ || triedVideo_)
            return videoUp_;
        triedVideo_ = true;
        CatchDisplayErrors();
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            problem_ = SDL_GetError();
            return false;
        }
        const char* driver = SDL_GetCurrentVideoDriver();
        for (const char* invisible : {"offscreen", "dummy", "evdev"}) {
            if (driver && SDL_strcasecmp(driver, invisible) == 0 && !DriverNamed(driver)) {
                problem_ = std::string("SDL's ") + driver +
                           " video driver shows no window; SDL_VIDEODRIVER=" + driver +
                           " runs on it all the same";
                SDL_QuitSubSystem(SDL_INIT_VIDEO);
                return false;
            }
        }
        videoUp_ = true;
        StartPads();
        return true;
    }

    uint64_t start_ = 0;
    bool videoUp_ = false;
    bool triedVideo_ = false;
    std::string problem_;
};

} // namespace

std::unique_ptr<Display> CreateSdlDisplay()
{
    return std::make_unique<SdlDisplay>();
}

} // namespace w32::detail
