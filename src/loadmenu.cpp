// The level choice screen: the player types the number of the level the next
// game starts from.
#include "loadmenu.h"

#include <algorithm>
#include <string>

#include "common.h"
#include "game.h"
#include "menupattern.h"
#include "rastrum.h"
#include "regular_file.h"
#include "runmode.h"

namespace {
std::string tryText; // the digits typed so far (at most 3)
bool acceptInput = false;
} // namespace

void LoadMenuInit()
{
    tryText.clear();
    firstLevel = 1;
}

namespace LoadMenu {

constexpr size_t kMaxDigits = 3;
constexpr const char* kFont = "SF Movie Poster";

void LoadImages()
{
    LoadImage(1, ".\\RES\\menu\\img\\BG.png");
}

void PaintMenu(HWND hwnd)
{
    PAINTSTRUCT ps{};
    HDC hdc = BeginPaint(hwnd, &ps);
    DrawImage(1, 0, 0, 0);
    DrawText("Please enter the number of the level you want to play. This level will load the next "
             "time you play the game",
             kFont, 22, 120, 300, 620, 150, 255, 255, 255, 255, 0);
    DrawText(tryText.c_str(), kFont, 22, 120, 450, 620, 60, 255, 255, 128, 255, 0);
    DrawText("Press ENTER to confirm your choice of ESCAPE to abort", kFont, 22, 120, 600, 620, 60,
             255, 255, 255, 255, 0);
    DrawBufferOnScreen(hdc);
    EndPaint(hwnd, &ps);
}

// The typed digits become the first level when a level file of that number
// exists and can be read; otherwise (or with nothing typed) the game starts
// at level 1.
void Save()
{
    if (tryText.empty()) {
        firstLevel = 1;
        return;
    }
    const uint32_t number = static_cast<uint32_t>(std::stoul(tryText));
    const std::string name =
        std::string(kMaxDigits - std::min(kMaxDigits, tryText.size()), '0') + tryText + ".LVL";
    firstLevel = IsReadableFile(w32::ResolvePath(DataPath(name))) ? number : 1;
}

void ReturnToMainMenu(HWND hwnd)
{
    SwitchOpMode(hwnd, opModeMENU);
}

void Close(HWND hwnd)
{
    ReturnToMainMenu(hwnd);
}

void SaveAndClose(HWND hwnd)
{
    Save();
    Close(hwnd);
}

void Interact(HWND hwnd, WPARAM code)
{
    if (LevelChoiceTakes(code)) {
        if (tryText.size() < kMaxDigits) {
            tryText.push_back(static_cast<char>(code));
        }
    } else if (code == 0x08) {
        if (!tryText.empty()) {
            tryText.pop_back();
        }
    } else if (code == 0x0D || code == 0x0A) {
        SaveAndClose(hwnd);
    } else if (code == 0x1B) {
        Close(hwnd);
    }
    MenuPattern::RequestRepaint(hwnd);
}

} // namespace LoadMenu

namespace LoadMenu {

LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_C_OPMO_BEGIN) {
        acceptInput = false;
        InitGraphics(1);
        CreateBuffer(800, 700);
        LoadImages();
        MenuPattern::RequestRepaint(hwnd);
        PaintMenu(hwnd);
        return 0;
    }
    if (msg == WM_C_OPMO_END) {
        FreeGraphics();
        FreeBuffer();
        return 0;
    }
    switch (msg) {
    case WM_PAINT:
        PaintMenu(hwnd);
        return 0;
    case WM_CLOSE:
        ReturnToMainMenu(hwnd);
        return 0;
    case WM_KEYDOWN:
        acceptInput = true;
        return 0;
    case WM_CHAR:
        if (acceptInput) {
            Interact(hwnd, wParam);
        }
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

} // namespace LoadMenu

LRESULT WndProcLoad(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return LoadMenu::WndProc(hwnd, msg, wParam, lParam);
}

bool LevelChoiceTakes(WPARAM code)
{
    return code >= '0' && code <= '9';
}

bool LevelChoiceFull()
{
    return tryText.size() >= LoadMenu::kMaxDigits;
}

nlohmann::json DumpLevelChoice()
{
    return {{"try", tryText}, {"acceptInput", acceptInput}};
}
