// The window class, the window, the message loop, timers, errors and the
// dispatch of every message to the procedure of the active screen.
#include "winwrap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "KeySettingsMenu.h"
#include "common.h"
#include "credits.h"
#include "game.h"
#include "highscore.h"
#include "highscoremenu.h"
#include "loadmenu.h"
#include "mainmenu.h"
#include "optionsmenu.h"
#include "proginit.h"
#include "rastrum.h"
#include "runmode.h"

HWND hwindow = nullptr;

namespace {
constexpr const char* kClassName = "Zoduzor";
constexpr const char* kTitle = "Zoduzor";
} // namespace

LRESULT WndProcWrap(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_C_PLMO_BEGIN || msg == WM_C_PLMO_END)
        return 0;
    if (msg == WM_CREATE) {
        hwindow = hwnd;
        return 0;
    }
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    using Proc = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
    Proc proc = nullptr;
    switch (OperationMode) {
    case opModeINIT:
        proc = WndProcInit;
        break;
    case opModeMENU:
        proc = WndProcMenu;
        break;
    case opModeGAME:
        proc = WndProcGame;
        break;
    case opModeOPTI:
        proc = WndProcOpti;
        break;
    case opModeLOAD:
        proc = WndProcLoad;
        break;
    case opModeHIGH:
        proc = WndProcHigh;
        break;
    case opModeCRED:
        proc = WndProcCred;
        break;
    case opModeKEYS:
        proc = WndProcKeys;
        break;
    }
    if (!proc)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    TraceMessage(msg, wParam, lParam);
    ObserveScreenMessage(msg);
    return proc(hwnd, msg, wParam, lParam);
}

void RegisterWndClass(WNDCLASSA& wc)
{
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = WndProcWrap;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_CROSS);
    wc.hbrBackground = CreateSolidBrush(RGB(0, 0, 0));
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = kClassName;
    if (RegisterClassA(&wc) == 0)
        RaiseFatalError(nullptr, "Window Class Registration failed");
}

void CreateWindow(HWND& hwnd)
{
    const int width = 800 + 2 * GetSystemMetrics(SM_CXFIXEDFRAME);
    const int height = 700 + 2 * GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYCAPTION);
    hwnd = CreateWindowExA(WS_EX_TOPMOST, kClassName, kTitle,
                           WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT, CW_USEDEFAULT,
                           width, height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!hwnd)
        RaiseFatalError(nullptr, "Window Creation failed");
}

void DisplayWindow(HWND hwnd)
{
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
}

int MessageLoop()
{
    MSG msg{};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void MakeTimer(HWND hwnd, UINT_PTR& id, uint32_t period, TIMERPROC proc)
{
    id = SetTimer(hwnd, id, period, proc);
    if (id == 0)
        RaiseError(hwnd, "Buy Windows a stopwatch");
}

void SetMouseCursor(bool)
{
    // The cross-hair stays on every screen.
}

void RegisterCustomMessages()
{
    WM_C_OPMO_BEGIN = RegisterWindowMessageA("Begin Operation Mode");
    WM_C_OPMO_END = RegisterWindowMessageA("End Operation Mode");
    WM_C_PLMO_BEGIN = RegisterWindowMessageA("Begin Play Mode");
    WM_C_PLMO_END = RegisterWindowMessageA("Begin End Mode");
}

void RaiseError(HWND hwnd, const char* message)
{
    MessageBoxA(hwnd, message, "Error", MB_OK | MB_ICONEXCLAMATION);
}

void RaiseFatalError(HWND hwnd, const char* message)
{
    MessageBoxA(nullptr, message, "Fatal Error", MB_OK | MB_ICONEXCLAMATION);
    if (hwnd) {
        SendMessageA(hwnd, WM_C_OPMO_END, 0, 0);
        SendMessageA(hwnd, WM_DESTROY, 0, 0);
    }
    std::exit(9);
}

void WinWrapInit()
{
    RegisterCustomMessages();
}

namespace {

void ResolveForRastrum(const char* path, char* out, uint32_t outSize)
{
    if (!out || outSize == 0)
        return;
    const std::string resolved = w32::ResolvePath(path ? path : "");
    const size_t n = std::min<size_t>(resolved.size(), outSize - 1);
    std::memcpy(out, resolved.data(), n);
    out[n] = 0;
}

} // namespace

void InitModules()
{
    Rastrum_SetPathResolver(ResolveForRastrum);
    Rastrum_BEGIN();
    LoadMenuInit();
    HighScoreInit();
    GameInit();
    ProgInitInit();
    WinWrapInit();
    CommonInit();
}
