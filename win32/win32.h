// The subset of the Windows API that the game calls, and its implementation:
// windows and messages shown on the display of a host (host.h), sound over
// SDL2_mixer, files over POSIX. The game's modules include this header and
// never SDL; names and meanings follow Windows so that the game code reads
// as it would there.
#pragma once

#include <cstdint>
#include <string>

// ---------------------------------------------------------------- basic types
using BOOL = int;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using LONG = int32_t;
using UINT_PTR = uintptr_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using ATOM = uint16_t;
using COLORREF = uint32_t;
using LPCSTR = const char*;
using LPSTR = char*;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

struct HWND__;
using HWND = HWND__*;
struct HDC__;
using HDC = HDC__*;
using HINSTANCE = void*;
using HICON = void*;
using HCURSOR = void*;
using HBRUSH = void*;
using HMENU = void*;
using HANDLE = void*;

#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

struct POINT
{
    LONG x, y;
};
struct RECT
{
    LONG left, top, right, bottom;
};

struct MSG
{
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

struct WNDCLASSA
{
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};

struct PAINTSTRUCT
{
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
};

struct SYSTEMTIME
{
    WORD wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
};

struct WIN32_FIND_DATAA
{
    DWORD dwFileAttributes;
    char cFileName[260];
};

// A device context names a window; the imaging library presents its buffer
// through it. The first member is the present callback the library calls.
#include "rastrum_target.h"
struct HDC__
{
    RastrumPresentTarget target;
    HWND hwnd;
};

// ---------------------------------------------------------------- constants
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_TIMER 0x0113
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_MOUSEWHEEL 0x020A

#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_PAUSE 0x13
#define VK_CAPITAL 0x14
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_NUMPAD0 0x60
#define VK_NUMPAD1 0x61
#define VK_NUMPAD2 0x62
#define VK_NUMPAD3 0x63
#define VK_NUMPAD4 0x64
#define VK_NUMPAD5 0x65
#define VK_NUMPAD6 0x66
#define VK_NUMPAD7 0x67
#define VK_NUMPAD8 0x68
#define VK_NUMPAD9 0x69
#define VK_MULTIPLY 0x6A
#define VK_ADD 0x6B
#define VK_SUBTRACT 0x6D
#define VK_DECIMAL 0x6E
#define VK_DIVIDE 0x6F
#define VK_F1 0x70
#define VK_F12 0x7B
#define VK_OEM_1 0xBA
#define VK_OEM_PLUS 0xBB
#define VK_OEM_COMMA 0xBC
#define VK_OEM_MINUS 0xBD
#define VK_OEM_PERIOD 0xBE
#define VK_OEM_2 0xBF
#define VK_OEM_3 0xC0
#define VK_OEM_4 0xDB
#define VK_OEM_5 0xDC
#define VK_OEM_6 0xDD
#define VK_OEM_7 0xDE

#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define WS_EX_TOPMOST 0x00000008
#define WS_CAPTION 0x00C00000
#define WS_SYSMENU 0x00080000
#define WS_MINIMIZEBOX 0x00020000
#define CW_USEDEFAULT (static_cast<int>(0x80000000))
#define SW_SHOWNORMAL 1
#define SM_CXFIXEDFRAME 7
#define SM_CYFIXEDFRAME 8
#define SM_CYCAPTION 4
#define IDI_APPLICATION (reinterpret_cast<LPCSTR>(32512))
#define IDC_CROSS (reinterpret_cast<LPCSTR>(32515))
#define RDW_INVALIDATE 0x0001
#define MB_OK 0x00000000
#define MB_ICONEXCLAMATION 0x00000030
#define IDOK 1
#define FILE_ATTRIBUTE_DIRECTORY 0x10
#define FILE_ATTRIBUTE_NORMAL 0x80
#define INVALID_FILE_ATTRIBUTES (static_cast<DWORD>(-1))

#define RGB(r, g, b)                                                                               \
    (static_cast<COLORREF>((static_cast<BYTE>(r)) |                                                \
                           (static_cast<WORD>(static_cast<BYTE>(g)) << 8) |                        \
                           ((static_cast<DWORD>(static_cast<BYTE>(b))) << 16)))
#define LOWORD(l) (static_cast<WORD>(static_cast<uintptr_t>(l) & 0xffff))
#define HIWORD(l) (static_cast<WORD>((static_cast<uintptr_t>(l) >> 16) & 0xffff))
#define GET_WHEEL_DELTA_WPARAM(w) (static_cast<short>(HIWORD(w)))
#define MAKELPARAM(l, h)                                                                           \
    (static_cast<LPARAM>(static_cast<DWORD>((static_cast<WORD>(l)) |                               \
                                            ((static_cast<DWORD>(static_cast<WORD>(h))) << 16))))

// ---------------------------------------------------------------- USER32 / GDI32
HINSTANCE GetModuleHandleA(LPCSTR name);
ATOM RegisterClassA(const WNDCLASSA* wc);
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     void* param);
BOOL ShowWindow(HWND hwnd, int cmdShow);
BOOL UpdateWindow(HWND hwnd);
BOOL DestroyWindow(HWND hwnd);
int GetSystemMetrics(int index);
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
HBRUSH CreateSolidBrush(COLORREF color);

BOOL GetMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
void PostQuitMessage(int exitCode);
BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
UINT RegisterWindowMessageA(LPCSTR name);

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT periodMs, TIMERPROC proc);
BOOL KillTimer(HWND hwnd, UINT_PTR id);

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
BOOL RedrawWindow(HWND hwnd, const RECT* rect, void* region, UINT flags);
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// ---------------------------------------------------------------- WINMM
DWORD mciSendStringA(LPCSTR command, LPSTR returnString, UINT returnLength, HWND callback);

// ---------------------------------------------------------------- KERNEL32
DWORD GetFileAttributesA(LPCSTR path);
HANDLE FindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA* data);
BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data);
BOOL FindClose(HANDLE find);
void GetLocalTime(SYSTEMTIME* time);
DWORD GetTickCount();

// ---------------------------------------------------------------- the layer's own services
// Not part of Windows: the bridge from Windows-style paths to this file
// system, and the instant of the run.
namespace w32 {

// Turns a Windows-style path (".\RES\menu\img\BG.png") into a path of this
// file system: backslashes become slashes and every component that exists
// is matched without regard to letter case. Components that do not exist
// are kept as written (so a file can be created under them).
//
// With a user folder in use, a relative path under data\ or res\ names the
// user folder's file when it has one, else the content folder's;
// "UserSettings.list" and "HighScores.list" always name the user folder's.
// FindFirstFileA lists both folders, the user's files hiding the content
// folder's files of the same name.
std::string ResolvePath(const std::string& windowsPath);

// Milliseconds since the start of the run (virtual without a screen).
uint32_t Now();

} // namespace w32
