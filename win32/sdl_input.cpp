// SDL events become Windows input messages: keys as virtual keys with their
// lParam, text as WM_CHAR, the mouse in client coordinates, the close box
// as WM_CLOSE.
#include "sdl_input.h"

#include <algorithm>

#include "win32_testing.h"

namespace w32::detail {

void TranslateSdlEvent(const SDL_Event& ev, InputSink& sink)
{
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
        // As on Windows, a pointer outside the client area moves nothing.
        if (ev.motion.x < 0 || ev.motion.y < 0 || ev.motion.x >= kClientW ||
            ev.motion.y >= kClientH)
            break;
        sink.Input(WM_MOUSEMOVE, 0, MAKELPARAM(ev.motion.x, ev.motion.y));
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (ev.button.button != SDL_BUTTON_LEFT)
            break;
        sink.Input(ev.type == SDL_MOUSEBUTTONDOWN ? WM_LBUTTONDOWN : WM_LBUTTONUP,
                   ev.type == SDL_MOUSEBUTTONDOWN ? 1 : 0,
                   MAKELPARAM(std::clamp(ev.button.x, 0, kClientW - 1),
                              std::clamp(ev.button.y, 0, kClientH - 1)));
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
