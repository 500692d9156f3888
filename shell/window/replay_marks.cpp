// The marks of a watched replay, in the window's letter set on dark plates:
// the corner's small, the end's line a little larger.
#include "replay_marks.h"

#include <algorithm>
#include <string>

#include "glyphs.h"
#include "window.h"

namespace w32::detail {

namespace {

ReplayMarks& Marks()
{
    static ReplayMarks marks;
    return marks;
}

int PlateW(const std::string& text, int cell)
{
    return TextWidth(text, cell) + 4 * cell;
}

// The text on its plate, the plate's top left at (x, y).
OverlayShape Plate(const std::string& text, int x, int y, int cell)
{
    OverlayShape shape;
    shape.panel = {x, y, PlateW(text, cell), (kGlyphH + 4) * cell};
    AddText(text, x + 2 * cell, y + 2 * cell, cell, shape.lit);
    return shape;
}

} // namespace

void SetReplayMarks(const ReplayMarks& marks)
{
    if (marks == Marks())
        return;
    Marks() = marks;
    RedrawSurfaces();
}

ReplayMarks ReplayMarksNow()
{
    return Marks();
}

std::vector<OverlayShape> LayOutReplayMarks(const ReplayMarks& marks, const FrameBox& box)
{
    std::vector<OverlayShape> plates;
    if (!marks.watching || box.w <= 0 || box.h <= 0)
        return plates;
    // Letters 14 pixels high on the 700-pixel frame, never under 7.
    const int cell = std::max(1, box.h / 350);
    const int margin = 3 * cell;
    const int markX = box.x + box.w - margin - PlateW("REPLAY", cell);
    plates.push_back(Plate("REPLAY", markX, box.y + margin, cell));
    if (marks.paused)
        plates.push_back(
            Plate("PAUSED", markX - margin - PlateW("PAUSED", cell), box.y + margin, cell));
    if (marks.ended) {
        const std::string line = "END OF REPLAY - ESCAPE LEAVES";
        const int big = std::max(1, box.h / 233);
        const int w = PlateW(line, big);
        plates.push_back(Plate(line, box.x + std::max(0, (box.w - w) / 2),
                               box.y + box.h - (kGlyphH + 4) * big - 2 * margin, big));
    }
    return plates;
}

} // namespace w32::detail
