// The start-up screen: it leads to the main menu once, and ends the program
// whenever it is entered again.
#include "proginit.h"

#include "common.h"

namespace {
bool startup = true;
}

void ProgInitInit()
{
    startup = true;
}

LRESULT WndProcInit(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_C_OPMO_BEGIN) {
        if (startup) {
            startup = false;
            SwitchOpMode(hwnd, opModeMENU);
        } else {
            SendMessageA(hwnd, WM_DESTROY, 0, 0);
            PostQuitMessage(0);
        }
        return 0;
    }
    if (msg == WM_CLOSE) {
        DestroyWindow(hwnd);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
