// The window on the screen through SDL: resizable, fullscreen on demand, the
// frame presented whole and centred at any size, the indication of the
// window's own keys shown over it for a second, its settings kept in Window.cfg.
#include "window.h"

#include <SDL_image.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

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
        : window_(window), presenter_(window), sharp_(s.sharp), fullscreen_(s.fullscreen)
    {
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
    // not shown again unless the window lost its pixels.
    void Present(const uint32_t* frame, Rows changed) override
    {
        presenter_.Upload(frame, uploaded_ ? changed : Rows{0, kClientH});
        if (uploaded_ && changed.Empty() && !stale_)
            return;
        uploaded_ = true;
        Draw();
    }

    void Settle(const WindowSettings& s) override
    {
        if (s.fullscreen != fullscreen_) {
            fullscreen_ = s.fullscreen;
            SDL_SetWindowFullscreen(window_, fullscreen_ ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        }
        if (s.sharp != sharp_) {
            sharp_ = s.sharp;
            Lost();
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
    bool Sharp() const { return sharp_; }

    uint64_t Due() const
    {
        if (!uploaded_)
            return kNever;
        return stale_ ? 0 : indicationEnd_;
    }

    void Refresh()
    {
        if (indicationEnd_ <= SDL_GetTicks64()) {
            indication_ = {};
            indicationEnd_ = kNever;
            stale_ = true;
        }
        if (stale_ && uploaded_)
            Draw();
    }

  private:
    void Draw()
    {
        presenter_.Show(sharp_, indication_);
        stale_ = false;
    }

    SDL_Window* window_;
    Presenter presenter_;
    bool sharp_;
    bool fullscreen_;
    Indication indication_;
    uint64_t indicationEnd_ = kNever;
    bool uploaded_ = false; // whether the texture holds a frame
    bool stale_ = true;     // whether the window does not show it as it should
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
