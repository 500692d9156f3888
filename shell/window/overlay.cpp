// What the window draws over the frame: the indication (letters of 5 x 7
// cells, each cell a square of a few pixels, on a dark plate, and a gauge of
// ten steps under them) and a pad's picker of characters.
#include "overlay.h"

#include <algorithm>

#include "glyphs.h"
#include "host.h"

namespace w32::detail {

namespace {

constexpr int kSteps = 10; // of the gauge

} // namespace

OverlayShape LayOutOverlay(const Indication& what, const FrameBox& box)
{
    OverlayShape shape;
    if (what.text.empty() || box.w <= 0 || box.h <= 0)
        return shape;
    // Letters 28 pixels high on the 700-pixel frame, and never smaller than 14.
    const int cell = std::max(2, box.h / 175);
    const int textW = TextWidth(what.text, cell);
    const int gaugeW = kSteps * 4 * cell - cell;
    const int pad = 3 * cell;
    const int innerW = what.value >= 0 ? std::max(textW, gaugeW) : textW;
    const int innerH = kGlyphH * cell + (what.value >= 0 ? 5 * cell : 0);
    shape.panel = {box.x + (box.w - innerW) / 2 - pad, box.y + 4 * cell, innerW + 2 * pad,
                   innerH + 2 * pad};
    const int y = shape.panel.y + pad;
    AddText(what.text, shape.panel.x + pad + (innerW - textW) / 2, y, cell, shape.lit);
    if (what.value >= 0) {
        const int filled = std::clamp((what.value + 5) / 10, 0, kSteps);
        const int gx = shape.panel.x + pad + (innerW - gaugeW) / 2;
        const int gy = y + (kGlyphH + 2) * cell;
        for (int i = 0; i < kSteps; ++i) {
            const SDL_Rect step{gx + i * 4 * cell, gy, 3 * cell, 3 * cell};
            (i < filled ? shape.lit : shape.unlit).push_back(step);
        }
    }
    return shape;
}

OverlayShape LayOutPicker(const PickerView& picker, const FrameBox& box)
{
    OverlayShape shape;
    const int n = static_cast<int>(picker.chars.size());
    if (n == 0 || box.w <= 0 || box.h <= 0)
        return shape;
    // The chosen character between two bars, the ones before and after it
    // dim above and below, in letters as large as the indication's.
    const int cell = std::max(2, box.h / 175);
    const int pitch = (kGlyphH + 3) * cell;
    const int pad = 2 * cell;
    const int w = kGlyphW * cell + 2 * pad;
    const int h = 2 * pitch + kGlyphH * cell + 2 * pad;
    const int right = box.x + picker.x * box.w / kClientW;
    const int middle = box.y + picker.y * box.h / kClientH;
    shape.panel = {std::max(box.x, right - w), middle - h / 2, w, h};
    const int x = shape.panel.x + pad;
    const int top = shape.panel.y + pad;
    for (int row = 0; row < 3; ++row) {
        const char c = picker.chars[static_cast<size_t>((picker.selected + row - 1 + n) % n)];
        const bool chosen = row == 1 && !picker.full;
        AddGlyph(c, x, top + row * pitch, cell, chosen ? shape.lit : shape.unlit);
    }
    for (int y : {top + pitch - 2 * cell, top + pitch + (kGlyphH + 1) * cell})
        shape.lit.push_back({x - cell, y, (kGlyphW + 2) * cell, std::max(1, cell / 2)});
    return shape;
}

void DrawOverlay(SDL_Renderer* renderer, const OverlayShape& shape)
{
    if (shape.panel.w <= 0)
        return;
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 200);
    SDL_RenderFillRect(renderer, &shape.panel);
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
    SDL_SetRenderDrawColor(renderer, 90, 90, 90, 255);
    SDL_RenderFillRects(renderer, shape.unlit.data(), static_cast<int>(shape.unlit.size()));
    SDL_SetRenderDrawColor(renderer, 255, 255, 255, 255);
    SDL_RenderFillRects(renderer, shape.lit.data(), static_cast<int>(shape.lit.size()));
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
}

} // namespace w32::detail
