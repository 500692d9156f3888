// The window's own small letter set, for what it draws over the frame:
// capitals, small letters, digits and a dash of 5 x 7 cells, drawn as rectangles.
#pragma once

#include <SDL.h>

#include <string_view>
#include <vector>

namespace w32::detail {

constexpr int kGlyphW = 5, kGlyphH = 7; // in cells

// Adds the cells of the character with its top left at (x, y), each cell
// `cell` pixels square, a run of cells in a row as one rectangle. False,
// adding nothing, for a character the set lacks (a space).
bool AddGlyph(char c, int x, int y, int cell, std::vector<SDL_Rect>& out);
// The width in pixels of a line of `text`, and its cells added with the
// line's top left at (x, y): a letter every kGlyphAdvance cells.
constexpr int kGlyphAdvance = 6;
int TextWidth(std::string_view text, int cell);
void AddText(std::string_view text, int x, int y, int cell, std::vector<SDL_Rect>& out);

} // namespace w32::detail
