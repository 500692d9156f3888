// The frame in a window of any size: where it sits, and which of its pixels
// lies under a point of the window.
#include <algorithm>
#include <cmath>

#include "shell_testing.h"

namespace w32 {

FrameBox PlaceFrame(int areaW, int areaH, bool sharp, int frameW, int frameH)
{
    if (areaW <= 0 || areaH <= 0 || frameW <= 0 || frameH <= 0)
        return {};
    int w = 0, h = 0;
    const int whole = std::min(areaW / frameW, areaH / frameH);
    if (sharp && whole >= 1) {
        w = frameW * whole;
        h = frameH * whole;
    } else {
        // The largest scale that fits, the aspect kept to the nearest pixel.
        const double scale =
            std::min(static_cast<double>(areaW) / frameW, static_cast<double>(areaH) / frameH);
        w = std::clamp(static_cast<int>(std::lround(frameW * scale)), 1, areaW);
        h = std::clamp(static_cast<int>(std::lround(frameH * scale)), 1, areaH);
    }
    return {(areaW - w) / 2, (areaH - h) / 2, w, h};
}

int CrispScale(const FrameBox& box, int frameW, int frameH)
{
    if (frameW <= 0 || frameH <= 0)
        return 1;
    const int w = (box.w + frameW - 1) / frameW, h = (box.h + frameH - 1) / frameH;
    return std::max({1, w, h});
}

POINT FramePoint(const FrameBox& box, int x, int y, int frameW, int frameH)
{
    // The frame pixel whose area holds the centre of the window's pixel.
    auto along = [](int at, int start, int length, int size) {
        if (length <= 0 || at < start)
            return 0;
        const long long f = (2LL * (at - start) + 1) * size / (2LL * length);
        return static_cast<int>(std::min<long long>(f, size - 1));
    };
    return {along(x, box.x, box.w, frameW), along(y, box.y, box.h, frameH)};
}

} // namespace w32
