// SDL events become Windows input messages: keys as virtual keys with their
// lParam, text as WM_CHAR, the mouse in the frame's coordinates, the close box
// as WM_CLOSE. The window's own keys are taken first and go no further.
#include "sdl_input.h"

#include <algorithm>

#include "host_api.h"
#include "pad/pad.h"
#include "shell_testing.h"
#include "window/window.h"
#include "window/window_controls.h"

namespace w32::detail {

namespace {

// The frame point under a point of the window: the window's own mapping
// where it has one, else the client area as it is. False when the point
// lies outside the window.
bool ToFrame(Uint32 windowId, int x, int y, POINT& p)
{
    bool inside = false;
    if (FramePointOf(windowId, x, y, p, inside))
        return inside;
    p = {std::clamp(x, 0, kClientW - 1), std::clamp(y, 0, kClientH - 1)};
    return x >= 0 && y >= 0 && x < kClientW && y < kClientH;
}

} // namespace

void TranslateSdlEvent(const SDL_Event& ev, InputSink& sink)
{
    if (TakeWindowKey(ev))
        return;
    POINT p{};
    switch (ev.type) {
    case SDL_QUIT:
        sink.Input(WM_CLOSE, 0, 0);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const UINT vk = VkFromSdl(ev.key.keysym.sym, ev.key.keysym.scancode);
        if (!vk)
            break;
        const bool up = ev.type == SDL_KEYUP;
        sink.Input(up ? WM_KEYUP : WM_KEYDOWN, vk, KeyLParam(vk, ev.key.repeat != 0, up));
        break;
    }
    case SDL_TEXTINPUT:
        for (const char* c = ev.text.text; *c; ++c) {
            const auto u = static_cast<unsigned char>(*c);
            if (u >= 32 && u < 127)
                sink.Input(WM_CHAR, u, 1);
        }
        break;
    case SDL_MOUSEMOTION:
        // As on Windows, a pointer outside the window moves nothing; over the
        // bars around the frame it is at the frame's nearest edge.
        if (ToFrame(ev.motion.windowID, ev.motion.x, ev.motion.y, p))
            sink.Input(WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (ev.button.button != SDL_BUTTON_LEFT)
            break;
        ToFrame(ev.button.windowID, ev.button.x, ev.button.y, p);
        sink.Input(ev.type == SDL_MOUSEBUTTONDOWN ? WM_LBUTTONDOWN : WM_LBUTTONUP,
                   ev.type == SDL_MOUSEBUTTONDOWN ? 1 : 0, MAKELPARAM(p.x, p.y));
        break;
    case SDL_MOUSEWHEEL: {
        int d = ev.wheel.y * 120;
        if (ev.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
            d = -d;
        if (d)
            sink.Input(WM_MOUSEWHEEL, static_cast<WPARAM>(static_cast<uint32_t>(d) << 16), 0);
        break;
    }
    case SDL_WINDOWEVENT:
        if (ev.window.event == SDL_WINDOWEVENT_EXPOSED)
            sink.Exposed();
        break;
    default:
        PadEvent(ev, sink);
        break;
    }
}

} // namespace w32::detail

namespace w32::testing {

void FeedSdlEvent(const SDL_Event& ev)
{
    struct ToQueue final : detail::InputSink
    {
        void Input(UINT msg, WPARAM wParam, LPARAM lParam) override
        {
            if (HWND main = detail::MainWindow())
                detail::QueueInput(main, msg, wParam, lParam, detail::Instant(), true);
        }
        void Exposed() override {}
    } sink;
    detail::TranslateSdlEvent(ev, sink);
}

} // namespace w32::testing
