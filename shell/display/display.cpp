// The choice of the display: a table of the displays by name.
#include "display.h"

#include <algorithm>
#include <iterator>

namespace w32::detail {

namespace {

struct DisplayBootstrap
{
    const char* name;
    std::unique_ptr<Display> (*create)();
};

constexpr DisplayBootstrap kDisplays[] = {
    {"window", CreateSdlDisplay},
    {"none", CreateNullDisplay},
    {"replay", CreateReplayDisplay},
};

std::unique_ptr<Display>& Chosen()
{
    static std::unique_ptr<Display> display;
    return display;
}

} // namespace

void Rows::Add(int y)
{
    first = std::min(first, y);
    last = std::max(last, y + 1);
}

void ChooseDisplay(const std::string& name)
{
    const auto* entry = std::find_if(std::begin(kDisplays), std::end(kDisplays),
                                     [&](const DisplayBootstrap& d) { return name == d.name; });
    Chosen() = entry == std::end(kDisplays) ? CreateNullDisplay() : entry->create();
}

Display& TheDisplay()
{
    if (!Chosen())
        Chosen() = CreateNullDisplay();
    return *Chosen();
}

} // namespace w32::detail
