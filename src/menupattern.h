// The parts every menu screen shares: the button table with its hit test,
// hover and click tracking, repaint requests, wrapped selection steps and the
// menu music.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "vector.h"
#include "win32.h"

namespace MenuPattern {

// Buttons are numbered from 2; button i owns element i - 2 of the layout.
// One number past the last button means "no button".
class TButtons
{
  public:
    explicit TButtons(size_t count) : layout(count), candidate(NoButton()) {}

    uint8_t FirstButton() const { return 2; }
    uint8_t LastButton() const { return static_cast<uint8_t>(1 + layout.size()); }
    uint8_t NoButton() const { return static_cast<uint8_t>(2 + layout.size()); }
    bool IsButton(uint32_t n) const { return n >= FirstButton() && n <= LastButton(); }

    TRectangle& Rect(uint8_t button) { return layout.at(button - 2u); }
    const TRectangle& Rect(uint8_t button) const { return layout.at(button - 2u); }

    // The first button (ascending) whose rectangle strictly contains the
    // mouse position of lParam, or the no-button number.
    uint8_t ButtonOver(LPARAM lParam) const;
    // Records the button under a left-button press (or no button).
    void StoreButtonDown(LPARAM lParam) { candidate = ButtonOver(lParam); }
    // Whether a release completes a click on the pressed button.
    bool GetButtonUp(LPARAM lParam) const;

    std::vector<TRectangle> layout;
    uint8_t currentSelection = 2;
    uint8_t candidate;
};

// value + delta inside lo..hi, wrapping around at either end.
uint8_t WrapStep(uint8_t value, int delta, uint8_t lo, uint8_t hi);
// value + delta when that stays inside lo..hi; otherwise value unchanged.
uint8_t ClampStep(uint8_t value, int delta, uint8_t lo, uint8_t hi);

// What one button screen does at each step of the shared window procedure.
struct TScreenProcs
{
    TButtons* buttons;
    uint32_t images;        // how many images the screen loads
    uint8_t firstSelection; // the selection on entry
    void (*onBegin)();      // screen state reset on entry (may be null)
    void (*loadImages)();
    void (*paintMenu)(HWND);
    void (*checkMouse)(HWND, LPARAM);
    void (*checkKey)(HWND, WPARAM);
    void (*activate)(HWND);
    void (*onClose)(HWND);
    bool (*hoverAllowed)();  // null: the mouse always hovers
    bool closeSoundsOnEnd;   // the main menu stops all sound when it ends
    bool validateAfterPaint; // the main menu validates the window after painting
};

// The window procedure of a button screen: entry, exit, mouse, keys, paint, close.
LRESULT WndProc(const TScreenProcs& screen, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Invalidates the whole client area, so the screen paints on the next WM_PAINT.
void RequestRepaint(HWND hwnd);
// Opens the menu theme's music under the alias BG and starts it repeating.
void PlayMenuMusic();

} // namespace MenuPattern
