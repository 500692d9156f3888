// Waiting for SDL's events in a browser. SDL's own wait polls in steps of
// one millisecond, each a trip through the browser's event loop that
// unwinds and rewinds the whole stack (Asyncify): a busy loop. Here the
// program sleeps in one piece until the time is up or the page receives
// input, which SDL's handlers have queued by the time it wakes. The linker
// puts these in place of SDL_WaitEvent and SDL_WaitEventTimeout (--wrap).
#include <SDL.h>
#include <emscripten.h>

#include <algorithm>

namespace {

// Sleeps up to ms milliseconds (forever when negative), and wakes early on
// input to the page: after its handlers ran, so SDL has seen it. An
// asynchronous import (ASYNCIFY_IMPORTS names it).
EM_JS(void, zoduzor_wait_for_input, (int ms), {
    return Asyncify.handleSleep(function(wakeUp) {
        var kinds = [
            'keydown', 'keyup', 'mousedown', 'mouseup', 'mousemove', 'wheel', 'touchstart',
            'touchmove', 'touchend', 'focus', 'blur', 'resize', 'fullscreenchange',
            'visibilitychange', 'gamepadconnected', 'gamepaddisconnected'
        ];
        var timer = 0;
        var woken = false;
        function done()
        {
            if (woken)
                return;
            woken = true;
            clearTimeout(timer);
            kinds.forEach(function(kind) { window.removeEventListener(kind, wake, true); });
            wakeUp();
        }
        function wake()
        {
            setTimeout(done, 0);
        }
        kinds.forEach(function(kind) { window.addEventListener(kind, wake, true); });
        if (ms >= 0)
            timer = setTimeout(done, ms);
    });
});

// Gamepads are read by polling: while one is open, the wait wakes for it.
constexpr int kPadPollMs = 16;

} // namespace

extern "C" int __wrap_SDL_WaitEventTimeout(SDL_Event* event, int timeout)
{
    const Uint64 start = SDL_GetTicks64();
    for (;;) {
        SDL_PumpEvents();
        const SDL_eventaction action = event ? SDL_GETEVENT : SDL_PEEKEVENT;
        if (SDL_PeepEvents(event, 1, action, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0)
            return 1;
        int left = -1;
        if (timeout >= 0) {
            const Uint64 waited = SDL_GetTicks64() - start;
            if (waited >= static_cast<Uint64>(timeout))
                return 0;
            left = timeout - static_cast<int>(waited);
        }
        if (SDL_WasInit(SDL_INIT_JOYSTICK) && SDL_NumJoysticks() > 0)
            left = left < 0 ? kPadPollMs : std::min(left, kPadPollMs);
        zoduzor_wait_for_input(left);
    }
}

extern "C" int __wrap_SDL_WaitEvent(SDL_Event* event)
{
    return __wrap_SDL_WaitEventTimeout(event, -1);
}
