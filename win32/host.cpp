// The host the API runs in: installed by whoever runs it and asked by the
// queue and the windows; and the end of the run it asks for.
#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "host_api.h"
#include "layer_internal.h"

namespace w32::detail {

namespace {

struct Installed
{
    Display* display = nullptr;
    Run* run = nullptr;
    int exitCode = -1; // asked for by EndRun
};

Installed& H()
{
    static Installed h;
    return h;
}

// Using the API before a host is installed is a fault of the program, not of its input.
[[noreturn]] void NoHost()
{
    std::cerr << "zoduzor: the Windows layer was used before its host was installed\n";
    std::abort();
}

} // namespace

void Rows::Add(int y)
{
    first = std::min(first, y);
    last = std::max(last, y + 1);
}

void InstallHost(Display& display, Run& run)
{
    H().display = &display;
    H().run = &run;
}

Display& TheDisplay()
{
    if (!H().display)
        NoHost();
    return *H().display;
}

Run& TheRun()
{
    if (!H().run)
        NoHost();
    return *H().run;
}

void EndRun(int code)
{
    if (H().exitCode < 0)
        H().exitCode = code;
}

void ResetApi()
{
    ResetWindows();
    ResetQueue();
    MciReset();
    H().exitCode = -1;
}

} // namespace w32::detail

namespace w32 {

int RequestedExitCode()
{
    return detail::H().exitCode;
}

} // namespace w32
