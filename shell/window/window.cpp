// The window on the screen through SDL: resizable, fullscreen on demand, the
// frame presented whole and centred at any size, the indication of the
// window's own keys shown over it for a second, its settings kept in Window.cfg.
#include "window.h"

#include <SDL_image.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "motion.h"
#include "present_sdl.h"
#include "window_controls.h"

namespace w32::detail {

extern const unsigned char kWindowIconPng[];
extern const size_t kWindowIconPngSize;

namespace {

constexpr const char* kSurfaceKey = "zoduzor.surface";
constexpr uint64_t kIndicationMs = 1000;

class SdlSurface;
// Never destroyed: windows still open at exit leave it in their destructors.
std::vector<SdlSurface*>& Surfaces()
{
    static auto* all = new std::vector<SdlSurface*>;
    return *all;
}

// The program's icon, built in; none when it cannot be read.
void SetIcon(SDL_Window* window)
{
    if (kWindowIconPngSize == 0)
        return;
    SDL_RWops* rw = SDL_RWFromConstMem(kWindowIconPng, static_cast<int>(kWindowIconPngSize));
    if (SDL_Surface* icon = rw ? IMG_Load_RW(rw, 1) : nullptr) {
        SDL_SetWindowIcon(window, icon);
        SDL_FreeSurface(icon);
    }
}

class SdlSurface final : public Surface, public WindowView
{
  public:
    SdlSurface(SDL_Window* window, const WindowSettings& s)
        : window_(window), presenter_(window), scaling_(s.scaling), fullscreen_(s.fullscreen),
          motion_(s.smoothMotion)
    {
        presenter_.SetVsync(motion_);
        SDL_SetWindowData(window_, kSurfaceKey, this);
        SDL_SetWindowMinimumSize(window_, kMinWindowW, kMinWindowH);
        SetIcon(window_);
        if (fullscreen_)
            SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
        Surfaces().push_back(this);
        AttachWindowView(this);
    }
    ~SdlSurface() override
    {
        DetachWindowView(this);
        std::erase(Surfaces(), this);
        SDL_DestroyWindow(window_);
    }
    SdlSurface(const SdlSurface&) = delete;
    SdlSurface& operator=(const SdlSurface&) = delete;

    void Show() override
    {
        SDL_ShowWindow(window_);
        SDL_RaiseWindow(window_);
    }

    // Only the rows that changed go to the texture; an unchanged frame is
    // not shown again unless the window lost its pixels. While pictures
    // between ticks are shown, the frame waits for the next of them.
    void Present(const uint32_t* frame, Rows changed) override
    {
        frame_ = frame;
        if (!changed.Empty()) {
            pending_.first = std::min(pending_.first, changed.first);
            pending_.last = std::max(pending_.last, changed.last);
        }
        fresh_ = true;
        if (between_ && next_ != kNever)
            return;
        ShowFrame();
        if (motion_ && MotionHooked())
            next_ = SDL_GetTicks64() + FramePeriod();
    }

    bool WantsChangedRows() const override { return !(between_ && next_ != kNever); }

    void Settle(const WindowSettings& s) override
    {
        if (s.fullscreen != fullscreen_) {
            fullscreen_ = s.fullscreen;
            SDL_SetWindowFullscreen(window_, fullscreen_ ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        }
        if (s.scaling != scaling_) {
            scaling_ = s.scaling;
            Lost();
        }
        if (s.smoothMotion != motion_) {
            motion_ = s.smoothMotion;
            presenter_.SetVsync(motion_);
            // Switched off, the next of them shows the frame as it is.
            next_ = MotionHooked() ? SDL_GetTicks64() : kNever;
        }
    }

    void Indicate(const Indication& what) override
    {
        indication_ = what;
        indicationEnd_ = SDL_GetTicks64() + kIndicationMs;
        stale_ = true;
    }

    SDL_Window* Window() const { return window_; }
    void Lost()
    {
        presenter_.Lost();
        stale_ = true;
    }
    bool Sharp() const { return scaling_ == Scaling::Sharp; }

    uint64_t Due() const
    {
        if (!uploaded_)
            return kNever;
        return stale_ ? 0 : std::min(indicationEnd_, next_);
    }

    void Refresh()
    {
        const uint64_t now = SDL_GetTicks64();
        if (indicationEnd_ <= now) {
            indication_ = {};
            indicationEnd_ = kNever;
            stale_ = true;
        }
        // A window that lost its pixels between ticks shows a new picture:
        // the texture may hold an older one.
        if (next_ <= now || (stale_ && between_)) {
            ShowBetweenTicks(now);
        } else if (stale_ && uploaded_) {
            Draw();
        }
    }

  private:
    void Draw()
    {
        presenter_.Show(scaling_, indication_);
        stale_ = false;
    }

    // The rows of the frame not in the texture yet go there, and the frame
    // is shown when it changed or the window wants it.
    void ShowFrame()
    {
        if (!frame_)
            return;
        presenter_.Upload(frame_, uploaded_ ? pending_ : Rows{0, kClientH});
        const bool changed = !uploaded_ || !pending_.Empty();
        pending_ = {};
        uploaded_ = true;
        between_ = false;
        if (changed || stale_)
            Draw();
    }

    // The picture of this moment between ticks, at a steady pace; once the
    // screen has none, its own frame as it is, and no more pictures until
    // the next frame.
    void ShowBetweenTicks(uint64_t now)
    {
        const uint64_t period = FramePeriod();
        next_ = next_ + period > now ? next_ + period : now + period;
        const Uint32 hidden = SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED;
        const uint32_t* picture = nullptr;
        uint64_t clock = 0;
        int left = 0;
        // At the frame's own size the picture is drawn straight into the window.
        const PictureTarget into = presenter_.DirectTarget(scaling_, indication_);
        if (motion_ && !(SDL_GetWindowFlags(window_) & hidden))
            picture = PictureBetweenTicks(clock, left, into);
        if (!picture) {
            next_ = kNever;
            ShowFrame();
            return;
        }
        // The same moment with no new frame: the picture would be the same.
        if (between_ && clock == clock_ && !fresh_ && !stale_)
            return;
        const bool direct = picture == into.pixels;
        if (direct) {
            // Left of what was drawn, the window shows the newest frame's pixels.
            presenter_.ShowDrawn(frame_, left, fresh_ || !between_ || !direct_);
            stale_ = false;
        } else {
            // What is left of `left` is the picture before's: after one
            // drawn into the window, it may be older than the frame's.
            presenter_.Upload(picture, {0, kClientH}, between_ && !direct_ ? left : 0);
            Draw();
        }
        pending_ = {0, kClientH}; // the texture no longer holds the frame
        between_ = true;
        direct_ = direct;
        fresh_ = false;
        clock_ = clock;
    }

    // The screen's refresh period in milliseconds (60 Hz when it is not known).
    uint64_t FramePeriod() const
    {
        SDL_DisplayMode mode{};
        const int display = SDL_GetWindowDisplayIndex(window_);
        const int hz =
            display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0
                ? mode.refresh_rate
                : 60;
        // Drawn by the processor, the pictures between ticks come about 52
        // times a second at most: over twice the ticks' rate, for less.
        const int most = presenter_.Software() ? 52 : 1000;
        return static_cast<uint64_t>(std::max(1, 1000 / std::min(hz, most)));
    }

    SDL_Window* window_;
    Presenter presenter_;
    Scaling scaling_;
    bool fullscreen_;
    bool motion_; // pictures between ticks
    Indication indication_;
    uint64_t indicationEnd_ = kNever;
    bool uploaded_ = false;           // whether the texture holds a frame
    bool stale_ = true;               // whether the window does not show it as it should
    const uint32_t* frame_ = nullptr; // the window's frame
    Rows pending_;                    // its rows not in the texture
    bool fresh_ = false;              // a frame came since the last picture between ticks
    bool between_ = false;            // the window shows a picture between ticks
    uint64_t next_ = kNever;          // when the next picture between ticks is due
    uint64_t clock_ = 0;              // the run's clock of the last one
    bool direct_ = false;             // and whether it was drawn straight into the window
};

SdlSurface* SurfaceOf(SDL_Window* w)
{
    return w ? static_cast<SdlSurface*>(SDL_GetWindowData(w, kSurfaceKey)) : nullptr;
}

// A window that is uncovered, shown or resized has lost its pixels; a new
// size out of fullscreen is remembered.
int WatchWindows(void*, SDL_Event* ev)
{
    if (ev->type != SDL_WINDOWEVENT)
        return 0;
    SDL_Window* w = SDL_GetWindowFromID(ev->window.windowID);
    SdlSurface* s = SurfaceOf(w);
    if (!s)
        return 0;
    switch (ev->window.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        if (!(SDL_GetWindowFlags(w) & SDL_WINDOW_FULLSCREEN))
            NoteWindowSize(ev->window.data1, ev->window.data2);
        s->Lost();
        break;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_RESTORED:
        s->Lost();
        break;
    default:
        break;
    }
    return 0;
}

} // namespace

std::unique_ptr<Surface> CreateSdlSurface(const char* title, int width, int height, bool topmost,
                                          std::string& problem)
{
    const WindowSettings& s = OpenWindowSettings();
    // The remembered size, when the window is made at the size it always has.
    if (width == kClientW && height == kClientH) {
        width = s.width;
        height = s.height;
    }
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE;
    if (topmost)
        flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    SDL_Window* window = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                          width, height, flags);
    if (!window) {
        problem = SDL_GetError();
        return nullptr;
    }
    static const bool watching = (SDL_AddEventWatch(&WatchWindows, nullptr), true);
    (void)watching;
    auto surface = std::make_unique<SdlSurface>(window, s);
    static SDL_Cursor* cross = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_CROSSHAIR);
    if (cross)
        SDL_SetCursor(cross);
    SDL_StartTextInput();
    return surface;
}

SDL_Window* SdlWindowOf(Surface* surface)
{
    return surface ? static_cast<SdlSurface*>(surface)->Window() : nullptr;
}

uint64_t SurfacesDue()
{
    uint64_t due = kNever;
    for (const SdlSurface* s : Surfaces())
        due = std::min(due, s->Due());
    return due;
}

void RefreshSurfaces()
{
    for (SdlSurface* s : Surfaces())
        s->Refresh();
}

void RedrawSurfaces()
{
    for (SdlSurface* s : Surfaces())
        s->Lost();
}

bool FramePointOf(Uint32 windowId, int x, int y, POINT& out, bool& inside)
{
    SDL_Window* w = SDL_GetWindowFromID(windowId);
    const SdlSurface* s = SurfaceOf(w);
    if (!s)
        return false;
    int width = 0, height = 0;
    SDL_GetWindowSize(w, &width, &height);
    out = FramePoint(PlaceFrame(width, height, s->Sharp()), x, y);
    inside = x >= 0 && y >= 0 && x < width && y < height;
    return true;
}

} // namespace w32::detail
