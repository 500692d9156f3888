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

// The most lines the screen reads from its file. Lines rise 100 pixels a
// second, 40 pixels apart: the last of them comes into view after more than
// an hour, and their positions stay far from the limits of TVector.
constexpr size_t kMaxCreditLines = 10000;

// Reads credit lines by the file's rules (40-character lines, the read that
// meets the end of the file counts as a line), at most kMaxCreditLines.
std::vector<std::string> ReadCreditLines(std::istream& in);
// Puts the lines below the screen, one under the other, ready to rise.
void PlaceCreditLines(const std::vector<std::string>& texts);
LRESULT WndProcCred(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
