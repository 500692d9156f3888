// The credits screen.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "vector.h"
#include "win32.h"

struct TLine
{
    std::string str; // at most 40 characters
    TVector pos;
};

// Reads credit lines by the file's rules (40-character lines, the read that
// meets the end of the file counts as a line).
std::vector<std::string> ReadCreditLines(std::istream& in);
LRESULT WndProcCred(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
