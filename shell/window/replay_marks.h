// What the window shows over a replay being watched: a small REPLAY mark in
// the frame's top right corner, a paused sign beside it while the replay
// stands still, and at its end a line saying how to leave. Drawn over the
// frame like the indication, never into it.
#pragma once

#include <vector>

#include "overlay.h"

namespace w32::detail {

struct ReplayMarks
{
    bool watching = false;
    bool paused = false;
    bool ended = false;
    bool operator==(const ReplayMarks&) const = default;
};

// The marks from now on; the windows are shown again when they changed.
void SetReplayMarks(const ReplayMarks& marks);
ReplayMarks ReplayMarksNow();
// The marks' plates on the frame's box, the REPLAY mark first: none when
// no replay is watched.
std::vector<OverlayShape> LayOutReplayMarks(const ReplayMarks& marks, const FrameBox& box);

} // namespace w32::detail
