// The options menu: theme, difficulty, mouse control.
#pragma once

#include "win32.h"

LRESULT WndProcOpti(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
