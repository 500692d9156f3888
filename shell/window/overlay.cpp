// The indication over the frame: letters of 5 x 7 cells, each cell a square
// of a few pixels, on a dark plate, and a gauge of ten steps under them.
#include "overlay.h"

#include <algorithm>
#include <array>

namespace w32::detail {

namespace {

struct Glyph
{
    char c;
    std::array<const char*, 7> rows;
};

// The letters the indications use, and the digits.
constexpr Glyph kGlyphs[] = {
    {'A', {" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'C', {" ####", "#    ", "#    ", "#    ", "#    ", "#    ", " ####"}},
    {'D', {"#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "}},
    {'E', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"}},
    {'F', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "}},
    {'G', {" ####", "#    ", "#    ", "#  ##", "#   #", "#   #", " ####"}},
    {'H', {"#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'I', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "#####"}},
    {'L', {"#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"}},
    {'M', {"#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"}},
    {'N', {"#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"}},
    {'O', {" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'P', {"#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "}},
    {'R', {"#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"}},
    {'S', {" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "}},
    {'T', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'U', {"#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'0', {" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "}},
    {'1', {"  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'2', {" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"}},
    {'3', {"#####", "   # ", "  #  ", "   # ", "    #", "#   #", " ### "}},
    {'4', {"   # ", "  ## ", " # # ", "#  # ", "#####", "   # ", "   # "}},
    {'5', {"#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "}},
    {'6', {"  ## ", " #   ", "#    ", "#### ", "#   #", "#   #", " ### "}},
    {'7', {"#####", "    #", "   # ", "  #  ", " #   ", " #   ", " #   "}},
    {'8', {" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "}},
    {'9', {" ### ", "#   #", "#   #", " ####", "    #", "   # ", " ##  "}},
};

constexpr int kCellsW = 5, kCellsH = 7, kAdvance = 6; // in cells
constexpr int kSteps = 10;                            // of the gauge

const Glyph* Find(char c)
{
    for (const Glyph& g : kGlyphs) {
        if (g.c == c)
            return &g;
    }
    return nullptr; // a space, or a letter the set lacks: a gap
}

// The cells of one letter at (x, y), a run of cells in a row as one rectangle.
void AddGlyph(const Glyph& g, int x, int y, int cell, std::vector<SDL_Rect>& out)
{
    for (int row = 0; row < kCellsH; ++row) {
        const char* r = g.rows[static_cast<size_t>(row)];
        for (int col = 0; col < kCellsW;) {
            if (r[col] != '#') {
                ++col;
                continue;
            }
            int end = col;
            while (end < kCellsW && r[end] == '#')
                ++end;
            out.push_back({x + col * cell, y + row * cell, (end - col) * cell, cell});
            col = end;
        }
    }
}

} // namespace

OverlayShape LayOutOverlay(const Indication& what, const FrameBox& box)
{
    OverlayShape shape;
    if (what.text.empty() || box.w <= 0 || box.h <= 0)
        return shape;
    // Letters 28 pixels high on the 700-pixel frame, and never smaller than 14.
    const int cell = std::max(2, box.h / 175);
    const int textW = (static_cast<int>(what.text.size()) * kAdvance - 1) * cell;
    const int gaugeW = kSteps * 4 * cell - cell;
    const int pad = 3 * cell;
    const int innerW = what.value >= 0 ? std::max(textW, gaugeW) : textW;
    const int innerH = kCellsH * cell + (what.value >= 0 ? 5 * cell : 0);
    shape.panel = {box.x + (box.w - innerW) / 2 - pad, box.y + 4 * cell, innerW + 2 * pad,
                   innerH + 2 * pad};
    int x = shape.panel.x + pad + (innerW - textW) / 2;
    const int y = shape.panel.y + pad;
    for (char c : what.text) {
        if (const Glyph* g = Find(c))
            AddGlyph(*g, x, y, cell, shape.lit);
        x += kAdvance * cell;
    }
    if (what.value >= 0) {
        const int filled = std::clamp((what.value + 5) / 10, 0, kSteps);
        const int gx = shape.panel.x + pad + (innerW - gaugeW) / 2;
        const int gy = y + (kCellsH + 2) * cell;
        for (int i = 0; i < kSteps; ++i) {
            const SDL_Rect step{gx + i * 4 * cell, gy, 3 * cell, 3 * cell};
            (i < filled ? shape.lit : shape.unlit).push_back(step);
        }
    }
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
