// The high-score table: twenty names and scores in two columns and a Return button.
#include "highscoremenu.h"

#include <string>

#include "common.h"
#include "highscore.h"
#include "menupattern.h"
#include "rastrum.h"

namespace HighScoreMenu {

constexpr uint32_t kImages = 3;
constexpr uint8_t kReturn = 2;
constexpr uint32_t kPointer = 3;
constexpr size_t kNameChars = 10;

MenuPattern::TButtons menu(1);

void LoadImages()
{
    LoadImage(1, ".\\RES\\menu\\img\\bghs.png");
    LoadImage(2, ".\\RES\\opti\\img\\Return.png");
    LoadImage(3, ".\\RES\\menu\\img\\Pointer.png");
    menu.Rect(kReturn) = {MakeTVector(75, 640), MakeTVector(75 + GetSizeX(kReturn), 695)};
}

void DrawEntryText(const std::string& text, int32_t x, int32_t y)
{
    DrawText(text.c_str(), "SF Movie Poster", 22, x, y, 200, 50, 255, 222, 0, 19, 1);
}

void PaintMenu(HWND hwnd)
{
    const THighScores table = GetHighScores();
    PAINTSTRUCT ps{};
    HDC hdc = BeginPaint(hwnd, &ps);
    DrawImage(1, 0, 0, 0);
    DrawImage(kReturn, 75, 640, 0);
    DrawImage(kPointer, 20, 640, 0);
    for (size_t i = 0; i < table.size(); ++i) {
        const bool right = i >= 10;
        const int32_t row = static_cast<int32_t>(i % 10);
        const int32_t y = 100 + 50 * row;
        const int32_t nameX = right ? 400 : 100;
        const int32_t scoreX = right ? 550 : 250;
        // A name ends at its first NUL and never runs past ten characters.
        std::string name = table[i].name.substr(0, table[i].name.find('\0'));
        if (name.size() > kNameChars) {
            name.resize(kNameChars);
        }
        DrawEntryText(name, nameX, y);
        DrawEntryText(std::to_string(table[i].score), scoreX, y);
    }
    DrawBufferOnScreen(hdc);
    EndPaint(hwnd, &ps);
}

void CheckMouse(HWND hwnd, LPARAM lParam)
{
    if (menu.IsButton(menu.ButtonOver(lParam))) {
        menu.currentSelection = kReturn;
        MenuPattern::RequestRepaint(hwnd);
    }
}

void Activate(HWND hwnd)
{
    if (menu.currentSelection == kReturn) {
        SwitchOpMode(hwnd, opModeMENU);
    }
}

void CheckKey(HWND hwnd, WPARAM wParam)
{
    switch (wParam) {
    case VK_ESCAPE:
    case VK_RETURN:
    case VK_SPACE:
        Activate(hwnd);
        break;
    case VK_UP:
        menu.currentSelection = MenuPattern::WrapStep(menu.currentSelection, -1, kReturn, kReturn);
        break;
    case VK_DOWN:
        menu.currentSelection = MenuPattern::WrapStep(menu.currentSelection, +1, kReturn, kReturn);
        break;
    default:
        break;
    }
    // Every key repaints, handled or not.
    MenuPattern::RequestRepaint(hwnd);
}

} // namespace HighScoreMenu

namespace HighScoreMenu {

// A close request leaves as Return does.
const MenuPattern::TScreenProcs kProcs{&menu,     kImages,    kReturn,  nullptr,  LoadImages,
                                       PaintMenu, CheckMouse, CheckKey, Activate, Activate,
                                       nullptr,   false,      false};

} // namespace HighScoreMenu

LRESULT WndProcHigh(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return MenuPattern::WndProc(HighScoreMenu::kProcs, hwnd, msg, wParam, lParam);
}
