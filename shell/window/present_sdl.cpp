// The renderer of a window: the GPU's where there is one, else SDL's own
// software renderer. An OpenGL that draws on the processor (llvmpipe, as on
// a virtual X server) costs far more than the software renderer and is
// passed over.
#include "present_sdl.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "pad/pad.h"
#include "replay_marks.h"

namespace w32::detail {

namespace {

bool Exists(const char* path)
{
    struct stat st
    {
    };
    return ::stat(path, &st) == 0;
}

// Whether the machine shows any sign of a graphics device: without one, a GL
// renderer can only draw on the processor.
bool HasGraphicsDevice()
{
    return Exists("/dev/dri/renderD128") || Exists("/dev/dri/card0") || Exists("/dev/dri/card1") ||
           Exists("/dev/nvidia0");
}

// Whether a GL renderer draws on the processor.
bool DrawsOnProcessor(SDL_Renderer* renderer)
{
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(renderer, &info) != 0 || !info.name)
        return true;
    if (std::strncmp(info.name, "opengl", 6) != 0)
        return (info.flags & SDL_RENDERER_SOFTWARE) != 0;
    using GetString = const unsigned char* (*)(unsigned);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    constexpr unsigned kGlRenderer = 0x1F01;
    const unsigned char* name = getString ? getString(kGlRenderer) : nullptr;
    if (!name)
        return true;
    const std::string n = reinterpret_cast<const char*>(name);
    for (const char* soft : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer", "SWR"}) {
        if (n.find(soft) != std::string::npos)
            return true;
    }
    return false;
}

SDL_Renderer* CreateRenderer(SDL_Window* window)
{
    // A renderer the user names through SDL_RENDER_DRIVER is taken as it is.
    const char* asked = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
    if (asked && *asked)
        return SDL_CreateRenderer(window, -1, 0);
    if (HasGraphicsDevice()) {
        if (SDL_Renderer* gpu = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED)) {
            if (!DrawsOnProcessor(gpu))
                return gpu;
            SDL_DestroyRenderer(gpu);
        }
    }
    // The software renderer draws into the window's own pixels, which must
    // not be made through a GL renderer in turn.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    return SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
}

// What is drawn over the frame in the box: the indication, the picker and
// the marks of a replay.
struct Overlays
{
    OverlayShape shapes[2];
    std::vector<OverlayShape> marks;

    bool Any() const { return !marks.empty() || shapes[0].panel.w > 0 || shapes[1].panel.w > 0; }
};

Overlays LayOutOverlays(const Indication& indication, const FrameBox& box)
{
    return {{LayOutOverlay(indication, box), LayOutPicker(PickerNow(), box)},
            LayOutReplayMarks(ReplayMarksNow(), box)};
}

// Where the frame's first pixel lies in the window's pixels, and their pitch.
PictureTarget FrameIn(SDL_Surface* surface, const FrameBox& box)
{
    const int pitch = surface->pitch / 4;
    return {static_cast<uint32_t*>(surface->pixels) + static_cast<ptrdiff_t>(box.y) * pitch + box.x,
            pitch};
}

} // namespace

Presenter::Presenter(SDL_Window* window) : window_(window)
{
    renderer_ = CreateRenderer(window);
    if (!renderer_)
        return;
    SDL_RendererInfo info{};
    software_ = SDL_GetRendererInfo(renderer_, &info) == 0 && (info.flags & SDL_RENDERER_SOFTWARE);
    direct_ = software_;
    // The frame's alpha is always opaque: a texture without alpha is copied, not blended.
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                 kClientW, kClientH);
    if (texture_) {
        SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
        SDL_SetTextureScaleMode(texture_, scaleMode_);
    }
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
}

Presenter::~Presenter()
{
    if (large_)
        SDL_DestroyTexture(large_);
    if (texture_)
        SDL_DestroyTexture(texture_);
    if (renderer_)
        SDL_DestroyRenderer(renderer_);
}

void Presenter::Upload(const uint32_t* frame, Rows rows, int left)
{
    left = std::clamp(left, 0, kClientW - 1);
    if (direct_) {
        source_ = frame;
        dirtyLeft_ = dirty_.Empty() ? left : std::min(dirtyLeft_, left);
        dirty_.first = std::min(dirty_.first, rows.first);
        dirty_.last = std::max(dirty_.last, rows.last);
        return;
    }
    if (!texture_ || rows.Empty())
        return;
    const SDL_Rect r{left, rows.first, kClientW - left, rows.last - rows.first};
    SDL_UpdateTexture(texture_, &r, frame + static_cast<ptrdiff_t>(rows.first) * kClientW + left,
                      kClientW * 4);
    largeStale_ = true;
}

void Presenter::SetVsync(bool on)
{
    // SDL's software renderer has no refresh to keep step with.
    if (renderer_ && !software_)
        SDL_RenderSetVSync(renderer_, on ? 1 : 0);
}

void Presenter::ScaleMode(SDL_ScaleMode mode)
{
    if (mode != scaleMode_) {
        scaleMode_ = mode;
        SDL_SetTextureScaleMode(texture_, mode);
    }
}

SDL_Texture* Presenter::Enlarged(int scale)
{
    // Four times is as far as it goes: beyond, the filter enlarges the rest.
    scale = std::min(scale, 4);
    if (scale != largeScale_) {
        if (large_)
            SDL_DestroyTexture(large_);
        large_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_TARGET,
                                   kClientW * scale, kClientH * scale);
        largeScale_ = large_ ? scale : 0;
        if (!large_)
            return nullptr;
        SDL_SetTextureBlendMode(large_, SDL_BLENDMODE_NONE);
        SDL_SetTextureScaleMode(large_, SDL_ScaleModeLinear);
        largeStale_ = true;
    }
    if (largeStale_) {
        if (SDL_SetRenderTarget(renderer_, large_) != 0)
            return nullptr;
        ScaleMode(SDL_ScaleModeNearest);
        SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
        SDL_SetRenderTarget(renderer_, nullptr);
        largeStale_ = false;
    }
    return large_;
}

void Presenter::Show(Scaling scaling, const Indication& indication)
{
    if (direct_) {
        if (ShowDirect(scaling, indication))
            return;
        // The window's pixels cannot be drawn on: the texture takes the frame.
        direct_ = false;
        if (source_)
            Upload(source_, {0, kClientH});
    }
    if (!texture_)
        return;
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(renderer_, &w, &h);
    const FrameBox box = PlaceFrame(w, h, scaling == Scaling::Sharp);
    // Whole-number scales are drawn without filtering; any other scale is
    // smoothed, crisply from the frame enlarged a whole number of times.
    const bool whole = box.w % kClientW == 0 && box.h % kClientH == 0;
    SDL_Texture* source = nullptr;
    if (scaling == Scaling::Crisp && CrispScale(box) > 1)
        source = Enlarged(CrispScale(box));
    if (!source) {
        source = texture_;
        ScaleMode(scaling != Scaling::Smooth && whole ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
    }
    // The software renderer's window keeps its pixels: the bars need drawing
    // only when the frame moved, the window lost them or an indication
    // reached over them.
    if (!software_ || !barsDrawn_ || !(box == lastBox_) || indicated_) {
        SDL_RenderClear(renderer_);
        barsDrawn_ = true;
        lastBox_ = box;
    }
    const SDL_Rect dst{box.x, box.y, box.w, box.h};
    SDL_RenderCopy(renderer_, source, nullptr, &dst);
    indicated_ = !indication.text.empty();
    if (indicated_)
        DrawOverlay(renderer_, LayOutOverlay(indication, box));
    DrawOverlay(renderer_, LayOutPicker(PickerNow(), box));
    for (const OverlayShape& plate : LayOutReplayMarks(ReplayMarksNow(), box))
        DrawOverlay(renderer_, plate);
    SDL_RenderPresent(renderer_);
}

bool Presenter::ShowDirect(Scaling scaling, const Indication& indication)
{
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (!surface || surface->format->BytesPerPixel != 4 || surface->format->Rmask != 0xFF0000u ||
        surface->format->Gmask != 0xFF00u || surface->format->Bmask != 0xFFu ||
        SDL_MUSTLOCK(surface))
        return false;
    if (!source_)
        return true;
    const FrameBox box = PlaceFrame(surface->w, surface->h, scaling == Scaling::Sharp);
    const bool prepared = scaler_.Prepare(kClientW, kClientH, box, scaling);
    // Everything is drawn again when the frame moved or scales otherwise,
    // the window lost its pixels or something was drawn over the frame.
    const bool whole =
        prepared || !barsDrawn_ || !(box == lastBox_) || indicated_ || surface != drawnOn_;
    if (whole) {
        const SDL_Rect bars[] = {{0, 0, surface->w, box.y},
                                 {0, box.y + box.h, surface->w, surface->h - box.y - box.h},
                                 {0, box.y, box.x, box.h},
                                 {box.x + box.w, box.y, surface->w - box.x - box.w, box.h}};
        SDL_FillRects(surface, bars, 4, 0);
        dirty_ = {0, kClientH};
        dirtyLeft_ = 0;
        barsDrawn_ = true;
        lastBox_ = box;
        drawnOn_ = surface;
    }
    const PictureTarget to = FrameIn(surface, box);
    const FrameBox drawn = scaler_.Draw(source_, dirty_, dirtyLeft_, to.pixels, to.pitch);
    dirty_ = {};
    dirtyLeft_ = 0;
    const Overlays over = LayOutOverlays(indication, box);
    indicated_ = over.Any();
    if (indicated_) {
        for (const OverlayShape& shape : over.shapes)
            DrawOverlay(renderer_, shape);
        for (const OverlayShape& plate : over.marks)
            DrawOverlay(renderer_, plate);
        SDL_RenderPresent(renderer_);
    } else if (whole) {
        SDL_UpdateWindowSurface(window_);
    } else if (drawn.w > 0 && drawn.h > 0) {
        const SDL_Rect rect{box.x + drawn.x, box.y + drawn.y, drawn.w, drawn.h};
        SDL_UpdateWindowSurfaceRects(window_, &rect, 1);
    }
    return true;
}

PictureTarget Presenter::DirectTarget(Scaling scaling, const Indication& indication)
{
    if (!direct_ || !barsDrawn_ || indicated_)
        return {};
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (!surface || surface != drawnOn_)
        return {};
    const FrameBox box = PlaceFrame(surface->w, surface->h, scaling == Scaling::Sharp);
    if (!(box == lastBox_) || box.w != kClientW || box.h != kClientH ||
        LayOutOverlays(indication, box).Any())
        return {};
    return FrameIn(surface, box);
}

void Presenter::ShowDrawn(const uint32_t* frame, int left, bool panel)
{
    left = std::clamp(left, 0, kClientW);
    if (panel && frame && left > 0) {
        const PictureTarget to = FrameIn(drawnOn_, lastBox_);
        for (int y = 0; y < kClientH; ++y)
            std::memcpy(to.pixels + static_cast<ptrdiff_t>(y) * to.pitch,
                        frame + static_cast<ptrdiff_t>(y) * kClientW, left * sizeof(uint32_t));
        left = 0;
    }
    if (left < kClientW) {
        const SDL_Rect rect{lastBox_.x + left, lastBox_.y, kClientW - left, kClientH};
        SDL_UpdateWindowSurfaceRects(window_, &rect, 1);
    }
}

} // namespace w32::detail
