// A window on the screen through SDL: made with the settings of Window.cfg,
// its frame presented and scaled by the renderer, the mouse mapped back.
#pragma once

#include <SDL.h>

#include <memory>
#include <string>

#include "host.h"

namespace w32::detail {

// A window with the title and client size (the remembered size when there
// is one); null, with the reason in `problem`, when SDL makes none.
std::unique_ptr<Surface> CreateSdlSurface(const char* title, int width, int height, bool topmost,
                                          std::string& problem);
SDL_Window* SdlWindowOf(Surface* surface);

// When a window next wants to be shown again by itself (an indication ends),
// in SDL's milliseconds; 0 when one wants it now, kNever when none does.
uint64_t SurfacesDue();
// Shows again the windows that want it.
void RefreshSurfaces();
// Every window wants showing again (what is drawn over the frame changed).
void RedrawSurfaces();
// The point of the frame under the point (x, y) of a window, the bars taken
// to the frame's edge, and whether (x, y) lies inside the window; false
// when the window is not one of ours.
bool FramePointOf(Uint32 windowId, int x, int y, POINT& out, bool& inside);

} // namespace w32::detail
