// What the C library of this Emscripten lacks: quick_exit and at_quick_exit
// are declared but never defined. The handlers run newest first, then the
// program ends without its exit handlers, as the standard has it.
#include <stdlib.h>

namespace {

constexpr int kHandlers = 32;
void (*handlers[kHandlers])(void);
int registered = 0;

} // namespace

int at_quick_exit(void (*handler)(void))
{
    if (registered == kHandlers)
        return -1;
    handlers[registered++] = handler;
    return 0;
}

void quick_exit(int code)
{
    while (registered > 0)
        handlers[--registered]();
    _Exit(code);
}
