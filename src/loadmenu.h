// The level choice screen.
#pragma once

#include "win32.h"

void LoadMenuInit(); // empties the typed text; firstLevel := 1
LRESULT WndProcLoad(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Whether the number typed so far takes no more digits.
bool LevelChoiceFull();
