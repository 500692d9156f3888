// The window's own small letter set, for what it draws over the frame:
// capitals, small letters, digits and a dash of 5 x 7 cells, drawn as rectangles.
#pragma once

#include <SDL.h>

#include <vector>

namespace w32::detail {

constexpr int kGlyphW = 5, kGlyphH = 7; // in cells

// Adds the cells of the character with its top left at (x, y), each cell
// `cell` pixels square, a run of cells in a row as one rectangle. False,
// adding nothing, for a character the set lacks (a space).
bool AddGlyph(char c, int x, int y, int cell, std::vector<SDL_Rect>& out);

} // namespace w32::detail
