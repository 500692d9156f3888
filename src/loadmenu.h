// The level choice screen.
#pragma once

#include "win32.h"

void LoadMenuInit(); // empties the typed text; firstLevel := 1
LRESULT WndProcLoad(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Whether the number typed takes the character (a WM_CHAR's code), and
// whether the number typed so far takes no more digits.
bool LevelChoiceTakes(WPARAM code);
bool LevelChoiceFull();
