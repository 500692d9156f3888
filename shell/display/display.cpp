// The displays a run can be shown on, each a backend of the API's display:
// SDL's video, none at all, a replay watched; chosen by name from this table.
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
};

} // namespace

std::unique_ptr<Display> CreateDisplay(const std::string& name)
{
    const auto* entry = std::find_if(std::begin(kDisplays), std::end(kDisplays),
                                     [&](const DisplayBootstrap& d) { return name == d.name; });
    return entry == std::end(kDisplays) ? CreateNullDisplay() : entry->create();
}

} // namespace w32::detail
