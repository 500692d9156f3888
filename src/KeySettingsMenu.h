// The key settings menu.
#pragma once

#include "win32.h"

LRESULT WndProcKeys(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
