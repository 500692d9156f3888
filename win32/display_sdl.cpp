// The display on a screen through SDL's video: a window per surface, each
// frame copied into the window's own pixels (only the rows that changed),
// input from SDL's events, and real time.
#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <sstream>

#include "display.h"
#include "sdl_input.h"

namespace w32::detail {

namespace {

constexpr const char* kSurfaceKey = "zoduzor.surface";

class SdlSurface final : public Surface
{
  public:
    explicit SdlSurface(SDL_Window* window);
    ~SdlSurface() override;
    SdlSurface(const SdlSurface&) = delete;
    SdlSurface& operator=(const SdlSurface&) = delete;

    void Show() override
    {
        SDL_ShowWindow(window_);
        SDL_RaiseWindow(window_);
    }
    void Present(const uint32_t* frame, Rows changed) override;
    SDL_Window* Window() const { return window_; }
    // The window lost its pixels: the next frame is shown whole.
    void Forget() { shown_ = false; }

  private:
    void ShowRows(const uint32_t* frame, Rows rows);

    SDL_Window* window_;
    SDL_Renderer* renderer_ = nullptr; // only when the window has no surface of its own
    SDL_Texture* texture_ = nullptr;
    bool shown_ = false; // whether the window's pixels hold the last presented frame
};

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
        if (SDL_Window* w = SDL_GetWindowFromID(ev->window.windowID)) {
            if (auto* s = static_cast<SdlSurface*>(SDL_GetWindowData(w, kSurfaceKey)))
                s->Forget();
        }
        break;
    default:
        break;
    }
    return 0;
}

SdlSurface::SdlSurface(SDL_Window* window) : window_(window)
{
    SDL_SetWindowData(window_, kSurfaceKey, this);
    // Frames go to the window's own surface, without GL: a software GL
    // renderer would spend several times the CPU of the copy itself.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (!SDL_GetWindowSurface(window_)) {
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
        if (!renderer_)
            renderer_ = SDL_CreateRenderer(window_, -1, 0);
    }
    static const bool watching = (SDL_AddEventWatch(&ForgetShownFrame, nullptr), true);
    (void)watching;
    if (renderer_) {
        SDL_RenderSetLogicalSize(renderer_, kClientW, kClientH);
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888,
                                     SDL_TEXTUREACCESS_STREAMING, kClientW, kClientH);
    }
    static SDL_Cursor* cross = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_CROSSHAIR);
    if (cross)
        SDL_SetCursor(cross);
    SDL_StartTextInput();
}

SdlSurface::~SdlSurface()
{
    if (texture_)
        SDL_DestroyTexture(texture_);
    if (renderer_)
        SDL_DestroyRenderer(renderer_);
    SDL_DestroyWindow(window_);
}

void SdlSurface::Present(const uint32_t* frame, Rows changed)
{
    // Only the rows that changed are sent; all of them when the window lost its pixels.
    if (!shown_) {
        ShowRows(frame, {0, kClientH});
    } else if (!changed.Empty()) {
        ShowRows(frame, changed);
    }
}

// Straight into the window's own surface (no GL, no texture upload), or
// through the renderer where there is none.
void SdlSurface::ShowRows(const uint32_t* frame, Rows rows)
{
    if (SDL_Surface* s = renderer_ ? nullptr : SDL_GetWindowSurface(window_)) {
        const int w = std::min(s->w, kClientW);
        const int first = std::min(rows.first, s->h), last = std::min(rows.last, s->h);
        if (first >= last)
            return;
        if (SDL_MUSTLOCK(s))
            SDL_LockSurface(s);
        auto* dst = static_cast<uint8_t*>(s->pixels) + static_cast<ptrdiff_t>(first) * s->pitch;
        const uint32_t* src = frame + static_cast<ptrdiff_t>(first) * kClientW;
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
        const SDL_Rect changed{0, first, w, last - first};
        shown_ = SDL_UpdateWindowSurfaceRects(window_, &changed, 1) == 0;
        return;
    }
    if (renderer_ && texture_) {
        SDL_UpdateTexture(texture_, nullptr, frame, kClientW * 4);
        SDL_RenderClear(renderer_);
        SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
        SDL_RenderPresent(renderer_);
        shown_ = true;
    }
}

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
        if (!videoUp_) {
            SDL_Delay(static_cast<Uint32>(std::min<uint64_t>(ms, 1000)));
        } else if (ms == kNever) {
            SDL_WaitEvent(nullptr);
        } else {
            SDL_WaitEventTimeout(nullptr, static_cast<int>(std::min<uint64_t>(ms, 1 << 30)));
        }
    }

    void Pump(InputSink& sink) override
    {
        if (!videoUp_)
            return;
        SDL_Event ev;
        while (SDL_PollEvent(&ev))
            TranslateSdlEvent(ev, sink);
    }

    std::unique_ptr<Surface> CreateSurface(const char* title, int width, int height,
                                           bool topmost) override
    {
        if (!VideoUp())
            return nullptr;
        Uint32 flags = SDL_WINDOW_HIDDEN;
        if (topmost)
            flags |= SDL_WINDOW_ALWAYS_ON_TOP;
        SDL_Window* window = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED,
                                              SDL_WINDOWPOS_UNDEFINED, width, height, flags);
        if (!window) {
            problem_ = SDL_GetError();
            return nullptr;
        }
        return std::make_unique<SdlSurface>(window);
    }

    bool MessageBox(Surface* owner, const char* caption, const char* text) override
    {
        if (!VideoUp())
            return false;
        SDL_Window* parent = owner ? static_cast<SdlSurface*>(owner)->Window() : nullptr;
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
