// The key settings menu: twelve action buttons laid out like the controls,
// a Return button, and a waiting state in which the next key pressed becomes
// the selected action's key.
#include "KeySettingsMenu.h"

#include <array>
#include <string>

#include "common.h"
#include "keySettings.h"
#include "menupattern.h"
#include "rastrum.h"
#include "runmode.h"

namespace KeySettingsMenu {

constexpr uint32_t kImages = 31;
constexpr uint8_t kFirstAction = 2, kLastAction = 13, kReturn = 14;
constexpr uint32_t kHighlightOffset = 13;
constexpr uint32_t kExplanation = 28, kExplanationActive = 29, kExplanationFault = 30;
constexpr uint32_t kHero = 31;

MenuPattern::TButtons screen(13);
bool activated = false;
uint32_t NotInUse = 0;

void LoadImages()
{
    static const std::array<const char*, kImages> files = {"BG.png",
                                                           "ArrowUp.png",
                                                           "ArrowDown.png",
                                                           "Red.png",
                                                           "Blue.png",
                                                           "Green.png",
                                                           "Yellow.png",
                                                           "ArrowUp.png",
                                                           "ArrowDown.png",
                                                           "ArrowLeft.png",
                                                           "ArrowRight.png",
                                                           "Fire.png",
                                                           "Pause.png",
                                                           "Return.png",
                                                           "ArrowUpActive.png",
                                                           "ArrowDownActive.png",
                                                           "RedActive.png",
                                                           "BlueActive.png",
                                                           "GreenActive.png",
                                                           "YellowActive.png",
                                                           "ArrowUpActive.png",
                                                           "ArrowDownActive.png",
                                                           "ArrowLeftActive.png",
                                                           "ArrowRightActive.png",
                                                           "FireActive.png",
                                                           "PauseActive.png",
                                                           "ReturnActive.png",
                                                           "Explanation.png",
                                                           "ExplanationActive.png",
                                                           "ExplanationFault.png",
                                                           "Hero.png"};
    for (uint32_t i = 0; i < kImages; ++i) {
        const std::string path = std::string(".\\RES\\keys\\img\\") + files[i];
        LoadImage(i + 1, path.c_str());
    }
    auto fixed = [](uint8_t b, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
        screen.Rect(b) = {MakeTVector(x1, y1), MakeTVector(x2, y2)};
    };
    auto sized = [](uint8_t b, int32_t x, int32_t y) {
        screen.Rect(b) = {MakeTVector(x, y), MakeTVector(x + GetSizeX(b), y + 55)};
    };
    fixed(2, 270, 325, 325, 385);
    fixed(3, 270, 485, 325, 545);
    for (uint8_t b = 4; b <= 7; ++b) {
        sized(b, 325, 325 + 55 * (b - 4));
    }
    fixed(8, 550, 305, 605, 365);
    fixed(9, 550, 495, 605, 555);
    fixed(10, 460, 410, 520, 465);
    fixed(11, 635, 410, 695, 465);
    sized(12, 540, 610);
    sized(13, 325, 610);
    sized(14, 50, 610);
}

void DrawActive(uint8_t i)
{
    DrawImage(i + kHighlightOffset, screen.Rect(i).tl.x, screen.Rect(i).tl.y, 0);
}

void DrawInactive(uint8_t i)
{
    DrawImage(i, screen.Rect(i).tl.x, screen.Rect(i).tl.y, 0);
}

void PaintMenu(HWND hwnd)
{
    PAINTSTRUCT ps{};
    HDC hdc = BeginPaint(hwnd, &ps);
    DrawImage(1, 0, 0, 0);
    for (uint8_t b = screen.FirstButton(); b <= screen.LastButton(); ++b) {
        if (b == screen.currentSelection) {
            DrawActive(b);
        } else {
            DrawInactive(b);
        }
    }
    DrawImage(kHero, 540, 365, 0);
    uint32_t panel = kExplanation;
    if (activated) {
        panel = NotInUse == 0 ? kExplanationActive : kExplanationFault;
    }
    DrawImage(panel, 50, 290, 0);
    DrawBufferOnScreen(hdc);
    EndPaint(hwnd, &ps);
}

void CheckMouse(HWND hwnd, LPARAM lParam)
{
    const uint8_t b = screen.ButtonOver(lParam);
    if (screen.IsButton(b)) {
        screen.currentSelection = b;
        MenuPattern::RequestRepaint(hwnd);
    }
}

void Activated(HWND hwnd)
{
    activated = true;
    MenuPattern::RequestRepaint(hwnd);
}

void Activate(HWND hwnd)
{
    const uint8_t b = screen.currentSelection;
    if (b >= kFirstAction && b <= kLastAction) {
        Activated(hwnd);
    } else if (b == kReturn) {
        WrOptionsToFile();
        SwitchOpMode(hwnd, opModeOPTI);
    }
}

void CheckKey(HWND hwnd, WPARAM wParam)
{
    if (activated) {
        // Every key goes to the rebinding while waiting; a key in use is refused.
        NotInUse = RdWrKey(static_cast<uint32_t>(wParam), screen.currentSelection - 2u);
        if (NotInUse == 0) {
            activated = false;
        }
        MenuPattern::RequestRepaint(hwnd);
        return;
    }
    switch (wParam) {
    case VK_RETURN:
    case VK_SPACE:
        Activate(hwnd);
        break;
    case VK_LEFT:
    case VK_UP:
        screen.currentSelection =
            MenuPattern::WrapStep(screen.currentSelection, -1, kFirstAction, kReturn);
        break;
    case VK_RIGHT:
    case VK_DOWN:
        screen.currentSelection =
            MenuPattern::WrapStep(screen.currentSelection, +1, kFirstAction, kReturn);
        break;
    default:
        return;
    }
    MenuPattern::RequestRepaint(hwnd);
}

} // namespace KeySettingsMenu

namespace KeySettingsMenu {

// While waiting for a key, hovering selects nothing.
bool NotWaiting()
{
    return !activated;
}

void Close(HWND hwnd)
{
    SwitchOpMode(hwnd, opModeOPTI);
}

const MenuPattern::TScreenProcs kProcs{&screen,    kImages,    kFirstAction, nullptr,  LoadImages,
                                       PaintMenu,  CheckMouse, CheckKey,     Activate, Close,
                                       NotWaiting, false,      false};

} // namespace KeySettingsMenu

LRESULT WndProcKeys(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return MenuPattern::WndProc(KeySettingsMenu::kProcs, hwnd, msg, wParam, lParam);
}

nlohmann::json DumpKeySettings()
{
    return {{"currentSelection", KeySettingsMenu::screen.currentSelection},
            {"activated", KeySettingsMenu::activated},
            {"notInUse", KeySettingsMenu::NotInUse}};
}
