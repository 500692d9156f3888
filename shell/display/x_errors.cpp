// X's errors. Xlib's own handlers end the program on any refused request,
// even one that changes nothing (the focus asked for a window that the
// window manager is still taking over), and on a lost connection they call
// exit(), whose handlers call back into SDL over the dead connection and
// never finish. Installed before SDL's video starts, these are the ones SDL
// hands on to from its own.
#include "x_errors.h"

#ifdef ZODUZOR_X11

#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace w32::detail {

namespace {

// Refused requests told, at most this many: the log stays readable.
constexpr int kTold = 10;

pid_t owner = 0;
int told = 0;

int OnRefusedRequest(Display* display, XErrorEvent* e)
{
    if (told++ < kTold) {
        char what[160] = "", request[160] = "", code[16];
        XGetErrorText(display, e->error_code, what, sizeof what);
        std::snprintf(code, sizeof code, "%d", e->request_code);
        XGetErrorDatabaseText(display, "XRequest", code, code, request, sizeof request);
        std::fprintf(stderr, "zoduzor: the X server refused a request (%s, request %s); going on\n",
                     what, request);
    }
    return 0;
}

int OnLostConnection(Display* display)
{
    // A child forked without a new program (SDL's message box) just ends.
    if (::getpid() != owner)
        ::_exit(1);
    std::fprintf(stderr,
                 "zoduzor: the display %s went away (the connection to its X server is "
                 "lost); the game ends\n",
                 display ? DisplayString(display) : "");
    // Nothing more may touch the display: no exit handlers.
    std::quick_exit(1);
}

} // namespace

void CatchDisplayErrors()
{
    if (owner != 0)
        return;
    owner = ::getpid();
    XSetErrorHandler(OnRefusedRequest);
    XSetIOErrorHandler(OnLostConnection);
}

} // namespace w32::detail

#else

namespace w32::detail {

void CatchDisplayErrors() {}

} // namespace w32::detail

#endif
