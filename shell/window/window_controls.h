// The window's own keys and settings, shared by the files of the SDL display:
// fullscreen, scaling and the volumes, taken before the game sees a key.
#pragma once

#include <SDL.h>

#include <string>

#include "shell_testing.h"

namespace w32::detail {

// A window as the controls see it: it takes the settings and shows indications.
class WindowView
{
  public:
    // Fullscreen and scaling as the settings say.
    virtual void Settle(const WindowSettings& s) = 0;
    // Shows the indication over the frame for a moment.
    virtual void Indicate(const Indication& what) = 0;

  protected:
    ~WindowView() = default;
};

// The settings a window starts with: read from Window.cfg on first use (from
// then on kept there), and the volumes handed to the sound.
const WindowSettings& OpenWindowSettings();
void AttachWindowView(WindowView* view);
void DetachWindowView(WindowView* view);
// The window's client size while it is not fullscreen, kept for the next run.
void NoteWindowSize(int width, int height);
// Whether the window takes this key event for itself: its own keys, and
// every event of a key while it holds it down.
bool TakeWindowKey(const SDL_Event& ev);
// Shows a line of text over the window for a moment, when there is one.
void IndicateInWindow(const std::string& text);
// Back to the default settings, kept nowhere.
void ResetWindowControls();

} // namespace w32::detail
