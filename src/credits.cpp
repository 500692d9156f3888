// The credits screen: the lines of the credits file scroll up over a
// background until the whole text is on screen.
#include "credits.h"

#include "common.h"
#include "menupattern.h"
#include "rastrum.h"
#include "regular_file.h"
#include "runmode.h"
#include "textio.h"
#include "winwrap.h"

namespace {
std::vector<TLine> lines;
uint32_t numOfLines = 0;
bool done = false;
constexpr size_t kLineCapacity = 40;
} // namespace

std::vector<std::string> ReadCreditLines(std::istream& in)
{
    // Every read is a line, the one that meets the end of the file included;
    // reading stops after kMaxCreditLines.
    std::vector<std::string> result;
    TextReader reader(in);
    do {
        result.push_back(reader.ReadText(kLineCapacity));
    } while (!reader.Eof() && result.size() < kMaxCreditLines);
    return result;
}

namespace Credits {

constexpr const char* kCreditsFile = "credits.txt";
constexpr int32_t kFirstLineY = 700;
constexpr int32_t kLineSpacing = 40;
constexpr int32_t kStep = 5;

UINT_PTR idTimer = 0;

uint32_t R()
{
    return 255;
}

uint32_t G()
{
    return 255;
}

uint32_t B()
{
    return 255;
}

void LoadImages()
{
    LoadImage(1, ".\\RES\\cred\\img\\BG.png");
}

void LoadLines()
{
    lines.clear();
    numOfLines = 0;
    // Anything but a readable regular file counts as missing.
    InFile in(w32::ResolvePath(DataPath(kCreditsFile)));
    if (!in.is_open()) {
        RaiseError(nullptr, "No credits file found.");
        return;
    }
    PlaceCreditLines(ReadCreditLines(in));
}

void OnTimer(HWND hwnd)
{
    if (!done) {
        for (TLine& line : lines) {
            if (line.pos.y >= 0) {
                line.pos.y -= kStep;
            }
        }
    }
    MenuPattern::RequestRepaint(hwnd);
}

void TimedActions(HWND, UINT, UINT_PTR, DWORD)
{
    SendMessageA(hwindow, WM_TIMER, 0, 0);
}

void PaintMenu(HWND hwnd)
{
    PAINTSTRUCT ps{};
    HDC hdc = BeginPaint(hwnd, &ps);
    DrawImage(1, 0, 0, 0);
    done = true;
    for (const TLine& line : lines) {
        if (line.pos.y > 0 && line.pos.y < 700) {
            DrawText(line.str.c_str(), "SF Movie Poster", 25, line.pos.x, line.pos.y, 780, 30, 255,
                     static_cast<int32_t>(R()), static_cast<int32_t>(G()),
                     static_cast<int32_t>(B()), 1);
        } else {
            done = false;
        }
    }
    DrawBufferOnScreen(hdc);
    EndPaint(hwnd, &ps);
    ValidateRect(hwnd, nullptr);
}

} // namespace Credits

void PlaceCreditLines(const std::vector<std::string>& texts)
{
    lines.clear();
    lines.reserve(texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        lines.push_back(
            {texts[i], MakeTVector(11, Credits::kFirstLineY +
                                           Credits::kLineSpacing * static_cast<int32_t>(i))});
    }
    numOfLines = static_cast<uint32_t>(lines.size());
}

namespace Credits {

LRESULT WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_C_OPMO_BEGIN) {
        MenuPattern::PlayMenuMusic();
        InitGraphics(1);
        CreateBuffer(800, 700);
        LoadImages();
        LoadLines();
        MakeTimer(nullptr, idTimer, 50, TimedActions);
        PaintMenu(hwnd);
        return 0;
    }
    if (msg == WM_C_OPMO_END) {
        KillTimer(nullptr, idTimer);
        FreeGraphics();
        FreeBuffer();
        lines.clear();
        lines.shrink_to_fit();
        numOfLines = 0;
        return 0;
    }
    switch (msg) {
    case WM_TIMER:
        OnTimer(hwnd);
        return 0;
    case WM_KEYDOWN:
    case WM_LBUTTONUP:
    case WM_CLOSE:
        SwitchOpMode(hwnd, opModeMENU);
        return 0;
    case WM_PAINT:
        PaintMenu(hwnd);
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

} // namespace Credits

LRESULT WndProcCred(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return Credits::WndProc(hwnd, msg, wParam, lParam);
}

nlohmann::json DumpCredits()
{
    nlohmann::json out = nlohmann::json::array();
    for (const TLine& line : lines) {
        out.push_back({{"str", line.str}, {"pos", {line.pos.x, line.pos.y}}});
    }
    return {{"numOfLines", numOfLines}, {"done", done}, {"lines", out}};
}
