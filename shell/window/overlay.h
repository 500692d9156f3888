// What the window shows over the frame: the indication of a moment (a
// volume, the scaling) and a pad's picker of characters, drawn with
// rectangles: a small built-in letter set, no fonts.
#pragma once

#include <SDL.h>

#include <vector>

#include "shell_testing.h"

namespace w32::detail {

struct OverlayShape
{
    SDL_Rect panel{};            // the dark plate under it all
    std::vector<SDL_Rect> lit;   // letters and the filled part of the gauge
    std::vector<SDL_Rect> unlit; // the empty part of the gauge
};

// The indication laid out at the top of the frame's box.
OverlayShape LayOutOverlay(const Indication& what, const FrameBox& box);
// A pad's picker of characters laid out at its place on the frame.
OverlayShape LayOutPicker(const PickerView& picker, const FrameBox& box);
void DrawOverlay(SDL_Renderer* renderer, const OverlayShape& shape);

} // namespace w32::detail
