// The main menu.
#pragma once

#include "win32.h"

LRESULT WndProcMenu(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
