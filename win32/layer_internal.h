// Shared between the sources of the API only: what each of its files offers
// the others.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host.h"
#include "win32.h"

// A window: its procedure, whether it waits for a paint, and how the display shows it.
struct HWND__
{
    WNDPROC proc = nullptr;
    bool invalid = false;
    bool destroyed = false;
    std::unique_ptr<w32::detail::Surface> surface;
    HDC__ dc{};
};

namespace w32::detail {

// ---------------------------------------------------------------- the host (host.cpp)
// The display and the run installed last.
Display& TheDisplay();
Run& TheRun();

// ---------------------------------------------------------------- names (folder_cache.cpp)
std::string Lower(std::string s);
// Without regard to case; names that differ only in case keep a fixed order.
bool LessNoCase(const std::string& a, const std::string& b);
// Looks `part` up in folder `dir` without regard to case; among several
// names that differ only in case the first in LessNoCase order wins.
bool FindNoCase(const std::string& dir, const std::string& part, std::string& found);

// ---------------------------------------------------------------- windows (window.cpp)
bool IsWindowHandle(HWND h);
void ResetWindows();

// ---------------------------------------------------------------- messages (queue.cpp)
void ResetQueue();

// ---------------------------------------------------------------- sound (mci.cpp)
void MciReset();

} // namespace w32::detail
