// The options menu: play mode, difficulty and mouse control, each stepped by
// its arrows, plus the key settings and Return rows.
#include "optionsmenu.h"

#include <array>

#include "common.h"
#include "keySettings.h"
#include "menupattern.h"
#include "rastrum.h"
#include "runmode.h"

namespace OptionsMenu {

constexpr uint32_t kImages = 24;
constexpr uint8_t kRowPlayMode = 2, kRowDifficulty = 3, kRowMouse = 4, kRowKeys = 5, kRowReturn = 6;
constexpr uint32_t kPointer = 13;
constexpr uint32_t kFirstDifficultyImage = 13; // + difficulty 1..4
constexpr uint32_t kFirstMouseImage = 18;      // + mouse control 0..1
constexpr uint32_t kFirstPlayModeImage = 20;   // + play mode 1..4
constexpr int32_t kValueX = 470;

MenuPattern::TButtons menu(11);
uint8_t pointerSelection = kRowPlayMode;

// The setting row a button belongs to: rows are themselves, arrows 7..12 map
// pairwise to rows 2..4.
uint8_t RowOf(uint8_t button)
{
    if (button >= 7 && button <= 12) {
        return static_cast<uint8_t>((button - 3) / 2);
    }
    return button;
}

void LoadImages()
{
    static const std::array<const char*, kImages> files = {
        "BG.png",        "Playmode.png",   "Difficulty.png", "Mouse.png",     "KeySettings.png",
        "Return.png",    "ArrowLeft.png",  "ArrowRight.png", "ArrowLeft.png", "ArrowRight.png",
        "ArrowLeft.png", "ArrowRight.png", "Pointer.png",    "Easy.png",      "Normal.png",
        "Hard.png",      "Impossible.png", "None.png",       "Player1.png",   "Player2.png",
        "Bike.png",      "Normal.png",     "EasterEgg.png",  "RuDi.png"};
    for (uint32_t i = 0; i < kImages; ++i) {
        const std::string path = std::string(".\\RES\\opti\\img\\") + files[i];
        LoadImage(i + 1, path.c_str());
    }
    for (uint8_t row = kRowPlayMode; row <= kRowReturn; ++row) {
        TRectangle& r = menu.Rect(row);
        r.tl = MakeTVector(100, 176 + 55 * row);
        r.br = MakeTVector(100 + GetSizeX(row), r.tl.y + 55);
    }
    for (uint8_t row = kRowPlayMode; row <= kRowMouse; ++row) {
        const TRectangle& label = menu.Rect(row);
        const uint8_t left = static_cast<uint8_t>(2 * row + 3);
        const uint8_t right = static_cast<uint8_t>(2 * row + 4);
        TRectangle& l = menu.Rect(left);
        l.tl = MakeTVector(label.tl.x + 370 - 60, label.tl.y);
        l.br = MakeTVector(l.tl.x + GetSizeX(left), l.tl.y + 55);
        TRectangle& r = menu.Rect(right);
        r.tl = MakeTVector(label.br.x + 370, label.tl.y);
        r.br = MakeTVector(r.tl.x + GetSizeX(right), r.tl.y + 55);
    }
}

void PaintMenu(HWND hwnd)
{
    PAINTSTRUCT ps{};
    HDC hdc = BeginPaint(hwnd, &ps);
    DrawImage(1, 0, 0, 0);
    for (uint8_t b = menu.FirstButton(); b <= menu.LastButton(); ++b) {
        DrawImage(b, menu.Rect(b).tl.x, menu.Rect(b).tl.y, 0);
    }
    DrawImage(kPointer, 45, menu.Rect(pointerSelection).tl.y, 0);
    DrawImage(kFirstPlayModeImage + currentPlayModeSetting, kValueX, menu.Rect(kRowPlayMode).tl.y,
              0);
    DrawImage(kFirstDifficultyImage + currentDifficulty, kValueX, menu.Rect(kRowDifficulty).tl.y,
              0);
    DrawImage(kFirstMouseImage + mouseControl, kValueX, menu.Rect(kRowMouse).tl.y, 0);
    DrawBufferOnScreen(hdc);
    EndPaint(hwnd, &ps);
}

void CheckMouse(HWND hwnd, LPARAM lParam)
{
    const uint8_t b = menu.ButtonOver(lParam);
    if (menu.IsButton(b)) {
        menu.currentSelection = b;
        pointerSelection = RowOf(b);
        MenuPattern::RequestRepaint(hwnd);
    }
}

// Steps the setting of a row by delta within its range; true when it changed.
bool StepSetting(uint8_t row, int delta)
{
    uint8_t* setting = nullptr;
    uint8_t lo = 0, hi = 0;
    switch (row) {
    case kRowPlayMode:
        setting = &currentPlayModeSetting, lo = 1, hi = 4;
        break;
    case kRowDifficulty:
        setting = &currentDifficulty, lo = 1, hi = 4;
        break;
    case kRowMouse:
        setting = &mouseControl, lo = 0, hi = 1;
        break;
    default:
        return false;
    }
    const uint8_t stepped = MenuPattern::ClampStep(*setting, delta, lo, hi);
    const bool changed = stepped != *setting;
    *setting = stepped;
    return changed;
}

void ActivateRight(HWND hwnd)
{
    if (StepSetting(RowOf(menu.currentSelection), +1)) {
        MenuPattern::RequestRepaint(hwnd);
    }
}

void ActivateLeft(HWND hwnd)
{
    if (StepSetting(RowOf(menu.currentSelection), -1)) {
        MenuPattern::RequestRepaint(hwnd);
    }
}

void Activate(HWND hwnd)
{
    const uint8_t b = menu.currentSelection;
    if (b == kRowKeys) {
        SwitchOpMode(hwnd, opModeKEYS);
        MenuPattern::RequestRepaint(hwnd);
    } else if (b == kRowReturn) {
        WrOptionsToFile();
        SwitchOpMode(hwnd, opModeMENU);
        MenuPattern::RequestRepaint(hwnd);
    } else if (b >= 7 && b <= 12) {
        // Odd buttons are left arrows, even ones right arrows.
        if (StepSetting(RowOf(b), (b % 2 == 1) ? -1 : +1)) {
            MenuPattern::RequestRepaint(hwnd);
        }
    }
}

void CheckKey(HWND hwnd, WPARAM wParam)
{
    switch (wParam) {
    case VK_RETURN:
    case VK_SPACE:
        Activate(hwnd);
        break;
    case VK_LEFT:
        ActivateLeft(hwnd);
        break;
    case VK_RIGHT:
        ActivateRight(hwnd);
        break;
    case VK_UP:
        pointerSelection = MenuPattern::WrapStep(pointerSelection, -1, kRowPlayMode, kRowReturn);
        menu.currentSelection = pointerSelection;
        break;
    case VK_DOWN:
        pointerSelection = MenuPattern::WrapStep(pointerSelection, +1, kRowPlayMode, kRowReturn);
        menu.currentSelection = pointerSelection;
        break;
    default:
        return;
    }
    MenuPattern::RequestRepaint(hwnd);
}

} // namespace OptionsMenu

namespace OptionsMenu {

void ResetPointer()
{
    pointerSelection = kRowPlayMode;
}

void Close(HWND hwnd)
{
    SwitchOpMode(hwnd, opModeMENU);
}

const MenuPattern::TScreenProcs kProcs{
    &menu,    kImages,  kRowPlayMode, ResetPointer, LoadImages, PaintMenu, CheckMouse,
    CheckKey, Activate, Close,        nullptr,      false,      false};

} // namespace OptionsMenu

LRESULT WndProcOpti(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return MenuPattern::WndProc(OptionsMenu::kProcs, hwnd, msg, wParam, lParam);
}

nlohmann::json DumpOptions()
{
    return {{"currentSelection", OptionsMenu::menu.currentSelection},
            {"pointerSelection", OptionsMenu::pointerSelection}};
}
