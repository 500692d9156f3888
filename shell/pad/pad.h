// Gamepads as the displays use them: SDL's game controllers pressing the
// keys of the current key settings (gamepad.cpp).
#pragma once

#include <SDL.h>

#include <string>

#include "host.h"

namespace w32::detail {

// Opens SDL's game controllers, with a mapping database when one is found
// (gamecontrollerdb.txt in the player's folder or the content folder).
void StartPads();
// A game controller's event (a pad added or removed, a button, an axis) as
// the key messages it makes; other events are ignored.
void PadEvent(const SDL_Event& ev, InputSink& sink);
// Reads the pads in a run without a screen, once they are enabled there.
void PumpPads(InputSink& sink);
// Adds the mappings of a mapping database for this platform (mappings.cpp);
// false with the problem when the file is refused.
bool AddMappingsFile(const std::string& path, std::string& problem);
// No pads open, nothing held, no hook.
void ResetPads();

} // namespace w32::detail
