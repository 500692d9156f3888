// X's errors, caught before SDL's video starts on X (x_errors.cpp).
#pragma once

namespace w32::detail {

// A request the X server refuses is noted and play goes on; a connection
// to the X server that is lost ends the program at once with a message.
void CatchDisplayErrors();

} // namespace w32::detail
