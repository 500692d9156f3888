// What SDL reports of the user, turned into the messages of a window.
#pragma once

#include <SDL.h>

#include "display.h"

namespace w32::detail {

// Hands the sink the messages one SDL event makes: keys, characters, the
// mouse in the client area, the close box and the loss of the window's pixels.
void TranslateSdlEvent(const SDL_Event& ev, InputSink& sink);

// Opens SDL's game controllers, with a mapping database when one is found
// (gamecontrollerdb.txt in the player's folder or the content folder).
void StartPads();
// A game controller's event (a pad added or removed, a button, an axis) as
// the key messages it makes; other events are ignored.
void PadEvent(const SDL_Event& ev, InputSink& sink);

} // namespace w32::detail
