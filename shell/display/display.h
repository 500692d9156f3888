// The displays a run can show its windows on, each a backend of the host's
// display (host.h): SDL's video (display_sdl.cpp), none at all
// (display_null.cpp), and a replay watched on another display
// (watch_display.cpp). A display also keeps the run's time: real time, or a
// virtual clock that jumps to whatever is due next.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "host.h"

namespace w32::detail {

// The display of the name, from the table in display.cpp: "window" (SDL's
// video) or "none" (no screen, virtual time); none for a name it lacks.
std::unique_ptr<Display> CreateDisplay(const std::string& name);

std::unique_ptr<Display> CreateSdlDisplay();
std::unique_ptr<Display> CreateNullDisplay();
// Shows a replay on `inner` from `begins` to `end` at `speed`: the player's
// input is dropped but for the close box (which ends the run), Escape
// (likewise) and Space (which pauses and resumes the replay).
std::unique_ptr<Display> CreateWatchingDisplay(std::unique_ptr<Display> inner, uint64_t begins,
                                               uint64_t end, double speed);
// Waits on `inner`, but when `skipTo` names a later instant than the wait
// would reach (0 or kNever: none), up to that instant at once.
std::unique_ptr<Display> CreateSkippingDisplay(std::unique_ptr<Display> inner,
                                               std::function<uint64_t()> skipTo);

} // namespace w32::detail
