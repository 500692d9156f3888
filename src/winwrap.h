// The window class, the window, the message loop, timers, errors and the
// dispatch of every message to the active screen.
#pragma once

#include <cstdint>

#include "win32.h"

extern HWND hwindow;

LRESULT WndProcWrap(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void RegisterWndClass(WNDCLASSA& wc);
void CreateWindow(HWND& hwnd);
void DisplayWindow(HWND hwnd);
int MessageLoop(); // returns the exit code of the quit message
void MakeTimer(HWND hwnd, UINT_PTR& id, uint32_t period, TIMERPROC proc);
void SetMouseCursor(bool set);
void RegisterCustomMessages();
void RaiseError(HWND hwnd, const char* message);
[[noreturn]] void RaiseFatalError(HWND hwnd, const char* message);
void WinWrapInit();
// The modules' initialisation, once, in dependency order: the imaging library
// (resolving paths as the layer does), level choice, high scores, the play
// screen, the start-up screen, this module, Common.
void InitModules();
