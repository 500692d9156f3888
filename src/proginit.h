// The start-up screen.
#pragma once

#include "win32.h"

void ProgInitInit();
LRESULT WndProcInit(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
