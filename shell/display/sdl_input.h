// What SDL reports of the user, turned into the messages of a window.
#pragma once

#include <SDL.h>

#include "host.h"

namespace w32::detail {

// Hands the sink the messages one SDL event makes: keys, characters, the
// mouse in the client area, the close box and the loss of the window's pixels.
void TranslateSdlEvent(const SDL_Event& ev, InputSink& sink);

} // namespace w32::detail
