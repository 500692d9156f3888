// The level choice screen.
#pragma once

#include <string>

#include "win32.h"

extern std::string tryText; // the digits typed so far (at most 3)
extern bool acceptInput;

void LoadMenuInit(); // empties the typed text; firstLevel := 1
LRESULT WndProcLoad(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
