// The main menu: six buttons in a column with a pointer beside the selected one.
#include "mainmenu.h"

#include <array>

#include "common.h"
#include "menupattern.h"
#include "rastrum.h"
#include "runmode.h"

namespace MainMenu {

constexpr uint32_t kImages = 8;
constexpr uint8_t kPlay = 2, kLoad = 3, kOptions = 4, kHighscores = 5, kCredits = 6, kExit = 7;
constexpr uint32_t kPointer = 8;

MenuPattern::TButtons menu(6);

void LoadImages()
{
    static const std::array<const char*, kImages> files = {
        "BG.png",         "Play.png",    "Load.png", "Options.png",
        "Highscores.png", "Credits.png", "Exit.png", "Pointer.png"};
    for (uint32_t i = 0; i < kImages; ++i) {
        LoadImage(i + 1, ResourcePath(files[i], "img").c_str());
    }
    for (uint8_t b = menu.FirstButton(); b <= menu.LastButton(); ++b) {
        TRectangle& r = menu.Rect(b);
        r.tl = MakeTVector(314, 176 + 55 * b);
        r.br = MakeTVector(314 + GetSizeX(b), r.tl.y + 55);
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
    const TRectangle& sel = menu.Rect(menu.currentSelection);
    DrawImage(kPointer, sel.tl.x - 55, sel.tl.y, 0);
    DrawBufferOnScreen(hdc);
    EndPaint(hwnd, &ps);
}

void CheckMouse(HWND hwnd, LPARAM lParam)
{
    const uint8_t b = menu.ButtonOver(lParam);
    if (menu.IsButton(b)) {
        menu.currentSelection = b;
        MenuPattern::RequestRepaint(hwnd);
    }
}

void Activate(HWND hwnd)
{
    switch (menu.currentSelection) {
    case kPlay:
        SwitchOpMode(hwnd, opModeGAME);
        break;
    case kLoad:
        SwitchOpMode(hwnd, opModeLOAD);
        break;
    case kOptions:
        SwitchOpMode(hwnd, opModeOPTI);
        break;
    case kHighscores:
        SwitchOpMode(hwnd, opModeHIGH);
        break;
    case kCredits:
        SwitchOpMode(hwnd, opModeCRED);
        break;
    case kExit:
        SendMessageA(hwnd, WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
}

void CheckKey(HWND hwnd, WPARAM wParam)
{
    switch (wParam) {
    case VK_UP:
        menu.currentSelection = MenuPattern::WrapStep(menu.currentSelection, -1, kPlay, kExit);
        break;
    case VK_DOWN:
        menu.currentSelection = MenuPattern::WrapStep(menu.currentSelection, +1, kPlay, kExit);
        break;
    case VK_RETURN:
    case VK_SPACE:
        Activate(hwnd);
        break;
    default:
        return;
    }
    MenuPattern::RequestRepaint(hwnd);
}

} // namespace MainMenu

namespace MainMenu {

void Close(HWND hwnd)
{
    SwitchOpMode(hwnd, opModeINIT);
    PostQuitMessage(0);
}

const MenuPattern::TScreenProcs kProcs{&menu,     kImages,    kPlay,    nullptr,  LoadImages,
                                       PaintMenu, CheckMouse, CheckKey, Activate, Close,
                                       nullptr,   true,       true};

} // namespace MainMenu

LRESULT WndProcMenu(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return MenuPattern::WndProc(MainMenu::kProcs, hwnd, msg, wParam, lParam);
}

nlohmann::json DumpMenu()
{
    return {{"currentSelection", MainMenu::menu.currentSelection},
            {"candidate", MainMenu::menu.candidate}};
}
