#include "menupattern.h"

#include <string>

#include "common.h"
#include "rastrum.h"
#include "sounds.h"

namespace MenuPattern {

uint8_t TButtons::ButtonOver(LPARAM lParam) const
{
    const TVector p = MouseCoordsToTVector(static_cast<int32_t>(lParam));
    for (size_t i = 0; i < layout.size(); ++i) {
        if (IsVectorInRange(p, layout[i])) {
            return static_cast<uint8_t>(i + 2);
        }
    }
    return NoButton();
}

bool TButtons::GetButtonUp(LPARAM lParam) const
{
    if (!IsButton(candidate)) {
        return false;
    }
    return IsVectorInRange(MouseCoordsToTVector(static_cast<int32_t>(lParam)), Rect(candidate));
}

uint8_t WrapStep(uint8_t value, int delta, uint8_t lo, uint8_t hi)
{
    const int span = hi - lo + 1;
    int v = (static_cast<int>(value) - lo + delta) % span;
    if (v < 0) {
        v += span;
    }
    return static_cast<uint8_t>(lo + v);
}

uint8_t ClampStep(uint8_t value, int delta, uint8_t lo, uint8_t hi)
{
    const int v = static_cast<int>(value) + delta;
    if (v < lo || v > hi) {
        return value;
    }
    return static_cast<uint8_t>(v);
}

void RequestRepaint(HWND hwnd)
{
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE);
}

void PlayMenuMusic()
{
    // Nothing else opens the alias BG: open it from the menu theme first.
    const TPath music = ResourcePath("BG.mp3", "snd");
    if (!music.empty()) {
        const std::string command = "open " + music + " alias BG";
        mciSendStringA(command.c_str(), nullptr, 0, nullptr);
    }
    PlayBG();
}

LRESULT WndProc(const TScreenProcs& screen, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_C_OPMO_BEGIN) {
        PlayMenuMusic();
        screen.buttons->currentSelection = screen.firstSelection;
        if (screen.onBegin != nullptr) {
            screen.onBegin();
        }
        InitGraphics(screen.images);
        CreateBuffer(800, 700);
        screen.loadImages();
        screen.paintMenu(hwnd);
        RequestRepaint(hwnd);
        return 0;
    }
    if (msg == WM_C_OPMO_END) {
        if (screen.closeSoundsOnEnd) {
            CloseSounds();
        }
        FreeGraphics();
        FreeBuffer();
        return 0;
    }
    switch (msg) {
    case WM_MOUSEMOVE:
        if (screen.hoverAllowed == nullptr || screen.hoverAllowed()) {
            screen.checkMouse(hwnd, lParam);
        }
        return 0;
    case WM_LBUTTONDOWN:
        screen.buttons->StoreButtonDown(lParam);
        return 0;
    case WM_LBUTTONUP:
        if (screen.buttons->GetButtonUp(lParam)) {
            // The click selects the button it was made on, as the pointer
            // resting there would, even when a key has moved the selection
            // since; then that button acts.
            if (screen.hoverAllowed == nullptr || screen.hoverAllowed()) {
                screen.checkMouse(hwnd, lParam);
            }
            screen.activate(hwnd);
        }
        return 0;
    case WM_KEYDOWN:
        screen.checkKey(hwnd, wParam);
        return 0;
    case WM_PAINT:
        screen.paintMenu(hwnd);
        if (screen.validateAfterPaint) {
            ValidateRect(hwnd, nullptr);
        }
        return 0;
    case WM_CLOSE:
        screen.onClose(hwnd);
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

} // namespace MenuPattern
