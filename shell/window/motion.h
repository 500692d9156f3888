// Motion between ticks: the ticks of the screen's timer as the run delivers
// them, and the picture the program draws for a moment between two of them.
#pragma once

#include <cstdint>

#include "shell.h"
#include "win32.h"

namespace w32::detail {

// A tick of the timer `id` was delivered, at `instant` of the run's clock.
void NoteTick(UINT_PTR id, uint64_t instant);
// The picture between ticks at the run's present time (800 x 700 ARGB), null
// when the screen shown has none; drawn into `into` when it can be (then
// `into.pixels` is returned). `clock`: the run's clock when it was drawn; a
// picture of the same clock shows nothing new. Left of the column
// `changedLeft` it is the picture before.
const uint32_t* PictureBetweenTicks(uint64_t& clock, int& changedLeft,
                                    const PictureTarget& into = {});
// Whether the program draws pictures between ticks at all.
bool MotionHooked();
void ResetMotion();

} // namespace w32::detail
