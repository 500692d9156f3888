// The high-score table screen.
#pragma once

#include "win32.h"

LRESULT WndProcHigh(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
