// Windows: classes, creation, showing and destruction, painting and the
// frame the window shows, and message boxes; shown by the host's display.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host_api.h"
#include "layer_internal.h"
#include "win32_testing.h"

namespace w32::detail {

namespace {

constexpr int kFrameX = 3, kFrameY = 3, kCaption = 23;

struct Windows
{
    std::vector<std::unique_ptr<HWND__>> all;
    std::map<std::string, WNDCLASSA> classes;
    std::vector<uint32_t> frame;
};

Windows& W()
{
    static Windows w;
    return w;
}

// Copies the buffer into the frame the window shows and returns the rows
// that changed; every row unless `compare`. Pixels outside the buffer are black.
Rows TakeFrame(const uint32_t* argb, int width, int height, int pitchBytes, bool compare)
{
    std::vector<uint32_t>& frame = W().frame;
    Rows changed;
    if (!compare)
        changed = {0, kClientH};
    if (frame.size() != static_cast<size_t>(kClientW) * kClientH) {
        frame.assign(static_cast<size_t>(kClientW) * kClientH, 0xFF000000u);
        changed = {0, kClientH};
    }
    const int w = std::min(width, kClientW), h = std::min(height, kClientH);
    for (int y = 0; y < kClientH; ++y) {
        uint32_t* dst = frame.data() + static_cast<ptrdiff_t>(y) * kClientW;
        const auto* row =
            y < h ? reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(argb) +
                                                      static_cast<ptrdiff_t>(y) * pitchBytes)
                  : nullptr;
        const size_t copied = row ? static_cast<size_t>(w) : 0;
        if (copied && (!compare || std::memcmp(dst, row, copied * 4) != 0)) {
            std::memcpy(dst, row, copied * 4);
            changed.Add(y);
        }
        for (uint32_t* p = dst + copied; p != dst + kClientW; ++p) {
            if (*p != 0xFF000000u) {
                *p = 0xFF000000u;
                changed.Add(y);
            }
        }
    }
    return changed;
}

// The imaging library presents its buffer through a window's device context.
void Present(void* self, const uint32_t* argb, int width, int height, int pitchBytes)
{
    HWND hwnd = self ? static_cast<HDC__*>(self)->hwnd : nullptr;
    if (!argb || width <= 0 || height <= 0)
        return;
    const bool compare = !hwnd || !hwnd->surface || hwnd->surface->WantsChangedRows();
    const Rows changed = TakeFrame(argb, width, height, pitchBytes, compare);
    if (hwnd && hwnd->surface)
        hwnd->surface->Present(W().frame.data(), changed);
}

} // namespace

HWND MainWindow()
{
    for (auto& w : W().all) {
        if (!w->destroyed)
            return w.get();
    }
    return nullptr;
}

bool IsWindowHandle(HWND h)
{
    for (auto& w : W().all) {
        if (w.get() == h)
            return !w->destroyed;
    }
    return false;
}

const std::vector<uint32_t>& Frame()
{
    return W().frame;
}

void ResetWindows()
{
    W().all.clear();
    W().frame.clear();
}

} // namespace w32::detail

namespace w32::testing {

const std::vector<uint32_t>& WindowFrame()
{
    return detail::Frame();
}

bool IsInvalid(HWND hwnd)
{
    return hwnd && hwnd->invalid;
}

} // namespace w32::testing

using w32::detail::IsWindowHandle;
using w32::detail::W;

// ---------------------------------------------------------------- windows
HINSTANCE GetModuleHandleA(LPCSTR)
{
    return reinterpret_cast<HINSTANCE>(0x400000);
}

ATOM RegisterClassA(const WNDCLASSA* wc)
{
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc)
        return 0;
    W().classes[wc->lpszClassName] = *wc;
    return static_cast<ATOM>(0xC000 + W().classes.size());
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD, int, int, int width,
                     int height, HWND, HMENU, HINSTANCE, void*)
{
    using namespace w32::detail;
    auto cls = W().classes.find(className ? className : "");
    if (cls == W().classes.end())
        return nullptr;
    auto w = std::make_unique<HWND__>();
    w->proc = cls->second.lpfnWndProc;
    w->dc.target.present = &Present;
    w->dc.hwnd = w.get();
    const int cw = width - 2 * GetSystemMetrics(SM_CXFIXEDFRAME);
    const int ch = height - 2 * GetSystemMetrics(SM_CYFIXEDFRAME) - GetSystemMetrics(SM_CYCAPTION);
    w->surface =
        TheDisplay().CreateSurface(cls->first.c_str(), title ? title : "", cw > 0 ? cw : kClientW,
                                   ch > 0 ? ch : kClientH, exStyle & WS_EX_TOPMOST);
    if (!w->surface)
        return nullptr;
    HWND h = w.get();
    W().all.push_back(std::move(w));
    h->proc(h, WM_CREATE, 0, 0);
    return h;
}

BOOL ShowWindow(HWND hwnd, int)
{
    if (!IsWindowHandle(hwnd))
        return FALSE;
    hwnd->surface->Show();
    hwnd->invalid = true;
    return TRUE;
}

BOOL UpdateWindow(HWND hwnd)
{
    if (!IsWindowHandle(hwnd))
        return FALSE;
    if (hwnd->invalid)
        SendMessageA(hwnd, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL DestroyWindow(HWND hwnd)
{
    if (!IsWindowHandle(hwnd))
        return FALSE;
    hwnd->destroyed = true;
    hwnd->proc(hwnd, WM_DESTROY, 0, 0);
    hwnd->surface.reset();
    return TRUE;
}

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXFIXEDFRAME:
        return w32::detail::kFrameX;
    case SM_CYFIXEDFRAME:
        return w32::detail::kFrameY;
    case SM_CYCAPTION:
        return w32::detail::kCaption;
    default:
        return 0;
    }
}

HICON LoadIconA(HINSTANCE, LPCSTR name)
{
    return const_cast<char*>(name);
}
HCURSOR LoadCursorA(HINSTANCE, LPCSTR name)
{
    return const_cast<char*>(name);
}
HBRUSH CreateSolidBrush(COLORREF color)
{
    return reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(color) + 1);
}

// ---------------------------------------------------------------- painting
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps)
{
    if (!IsWindowHandle(hwnd))
        return nullptr;
    hwnd->invalid = false;
    if (ps) {
        ps->hdc = &hwnd->dc;
        ps->fErase = FALSE;
        ps->rcPaint = {0, 0, w32::detail::kClientW, w32::detail::kClientH};
    }
    return &hwnd->dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT*)
{
    if (!IsWindowHandle(hwnd))
        return FALSE;
    hwnd->invalid = false;
    return TRUE;
}

BOOL RedrawWindow(HWND hwnd, const RECT*, void*, UINT flags)
{
    if (!IsWindowHandle(hwnd))
        return FALSE;
    if (flags & RDW_INVALIDATE)
        hwnd->invalid = true;
    return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT*, BOOL)
{
    if (!IsWindowHandle(hwnd))
        return FALSE;
    hwnd->invalid = true;
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT*)
{
    if (!IsWindowHandle(hwnd))
        return FALSE;
    hwnd->invalid = false;
    return TRUE;
}

// ---------------------------------------------------------------- message boxes
// Shown by the display and waited for; where it cannot be shown, the text
// goes to standard error, with the reason when windows cannot be shown.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT)
{
    using namespace w32::detail;
    const char* t = text ? text : "";
    const char* c = caption ? caption : "";
    TheRun().MessageBoxShown(c, t);
    if (TheDisplay().MessageBox(IsWindowHandle(owner) ? owner->surface.get() : nullptr, c, t))
        return IDOK;
    std::cerr << c << ": " << t;
    if (const std::string problem = TheDisplay().Problem(); !problem.empty()) {
        std::cerr << " (no display: " << problem << ")\nNo graphical display was found";
        const char* x = std::getenv("DISPLAY");
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        if ((!x || !*x) && (!wayland || !*wayland))
            std::cerr << ": DISPLAY and WAYLAND_DISPLAY are unset";
        std::cerr << ".";
    }
    std::cerr << std::endl;
    return IDOK;
}
