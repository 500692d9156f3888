// The default content in game/: every picture, sound and data file the game
// names is there, readable, and of a size its screen layout can use.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "harness.h"

namespace {

namespace fs = std::filesystem;

const fs::path kGame = fs::path(ZODUZOR_SOURCE_DIR) / "game";
const std::vector<std::string> kThemes = {"norm", "bike", "eegg", "rudi"};

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

// Resolves a relative path one component at a time without regard to case,
// as the game's file layer does.
std::optional<fs::path> Find(const std::string& rel)
{
    fs::path cur = kGame;
    for (const auto& part : fs::path(rel)) {
        std::optional<fs::path> next;
        if (fs::is_directory(cur)) {
            for (const auto& e : fs::directory_iterator(cur)) {
                if (Lower(e.path().filename().string()) == Lower(part.string())) {
                    next = e.path();
                    break;
                }
            }
        }
        if (!next) {
            return std::nullopt;
        }
        cur = *next;
    }
    return cur;
}

struct SurfaceDeleter
{
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// Loads a picture as 32-bit RGBA; null (with a test failure) when it is
// missing or unreadable.
Surface Load(const std::string& rel)
{
    auto path = Find(rel);
    if (!path) {
        ADD_FAILURE() << "missing picture " << rel;
        return nullptr;
    }
    Surface raw(IMG_Load(path->string().c_str()));
    if (!raw) {
        ADD_FAILURE() << "unreadable picture " << rel << ": " << IMG_GetError();
        return nullptr;
    }
    return Surface(SDL_ConvertSurfaceFormat(raw.get(), SDL_PIXELFORMAT_RGBA32, 0));
}

struct Size
{
    int w = 0, h = 0;
};

Size SizeOf(const std::string& rel)
{
    auto s = Load(rel);
    return s ? Size{s->w, s->h} : Size{};
}

struct Rgba
{
    double r, g, b, a;
};

Rgba Pixel(const SDL_Surface* s, int x, int y)
{
    const auto* p = static_cast<const uint8_t*>(s->pixels) + y * s->pitch + x * 4;
    return {double(p[0]), double(p[1]), double(p[2]), double(p[3])};
}

// Mean colour of a rectangle, composed over black.
Rgba MeanOver(const SDL_Surface* s, int x0, int y0, int w, int h)
{
    Rgba sum{0, 0, 0, 0};
    for (int y = y0; y < y0 + h; ++y) {
        for (int x = x0; x < x0 + w; ++x) {
            Rgba p = Pixel(s, x, y);
            double a = p.a / 255.0;
            sum.r += p.r * a;
            sum.g += p.g * a;
            sum.b += p.b * a;
            sum.a += p.a;
        }
    }
    double n = double(w) * h;
    return {sum.r / n, sum.g / n, sum.b / n, sum.a / n};
}

double Luminance(double r, double g, double b)
{
    auto lin = [](double c) {
        c /= 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(r) + 0.7152 * lin(g) + 0.0722 * lin(b);
}

double Contrast(double l1, double l2)
{
    return (std::max(l1, l2) + 0.05) / (std::min(l1, l2) + 0.05);
}

struct Rect
{
    int x0, y0, x1, y1; // top-left inclusive, bottom-right exclusive
    bool Overlaps(const Rect& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
    bool Inside(int w, int h) const { return x0 >= 0 && y0 >= 0 && x1 <= w && y1 <= h; }
};

class ContentPictures : public ::testing::Test
{
  protected:
    static void SetUpTestSuite() { IMG_Init(IMG_INIT_PNG); }
};

// --------------------------------------------------------------- play screen

TEST_F(ContentPictures, FullWindowPicturesAre800By700)
{
    std::vector<std::string> full = {"res/norm/osd/pause.png", "res/norm/osd/gameover.png",
                                     "res/norm/osd/level.png", "res/menu/img/BG.png",
                                     "res/menu/img/bghs.png",  "res/opti/img/BG.png",
                                     "res/keys/img/BG.png",    "res/cred/img/BG.png"};
    for (const auto& t : kThemes) {
        full.push_back("res/" + t + "/osd/BG.png");
    }
    for (const auto& rel : full) {
        Size s = SizeOf(rel);
        EXPECT_EQ(s.w, 800) << rel;
        EXPECT_EQ(s.h, 700) << rel;
    }
}

TEST_F(ContentPictures, BackgroundTilesJoinTopToBottom)
{
    // The two tiles scroll one above the other: the last row of a tile meets
    // the first row of the next, so they must look alike.
    for (const auto& t : kThemes) {
        auto s = Load("res/" + t + "/osd/BG.png");
        ASSERT_TRUE(s);
        double diff = 0;
        for (int x = 0; x < s->w; ++x) {
            Rgba top = Pixel(s.get(), x, 0), bottom = Pixel(s.get(), x, s->h - 1);
            diff += std::abs(top.r - bottom.r) + std::abs(top.g - bottom.g) +
                    std::abs(top.b - bottom.b);
        }
        EXPECT_LT(diff / (3.0 * s->w), 6.0) << t << ": the tile shows a seam";
        // and it is opaque: nothing of the previous frame may shine through
        EXPECT_GT(MeanOver(s.get(), 0, 0, s->w, s->h).a, 254.0) << t;
    }
}

TEST_F(ContentPictures, OverlaysAreMostlyTransparent)
{
    for (const char* rel :
         {"res/norm/osd/pause.png", "res/norm/osd/gameover.png", "res/norm/osd/level.png"}) {
        auto s = Load(rel);
        ASSERT_TRUE(s);
        EXPECT_LT(MeanOver(s.get(), 0, 0, s->w, s->h).a, 160.0) << rel << " hides the play field";
    }
}

TEST_F(ContentPictures, OverlayTextBoxesAreReadable)
{
    // Text the game draws on the overlays: (box, colour of the text). Behind
    // the box the overlay must be dark enough even over a white field.
    struct Box
    {
        const char* rel;
        Rect box;
        double r, g, b;
    };
    const Box boxes[] = {{"res/norm/osd/gameover.png", {375, 400, 715, 475}, 255, 255, 255},
                         {"res/norm/osd/gameover.png", {375, 500, 715, 575}, 255, 0, 255},
                         {"res/norm/osd/level.png", {400, 300, 650, 450}, 255, 255, 255}};
    for (const auto& b : boxes) {
        auto s = Load(b.rel);
        ASSERT_TRUE(s);
        Rgba m = MeanOver(s.get(), b.box.x0, b.box.y0, b.box.x1 - b.box.x0, b.box.y1 - b.box.y0);
        // worst case: a white field under the overlay
        double cover = m.a / 255.0;
        double under = 255.0 * (1 - cover);
        double l = Luminance(m.r + under, m.g + under, m.b + under);
        EXPECT_GT(Contrast(l, Luminance(b.r, b.g, b.b)), 2.5)
            << b.rel << " at " << b.box.x0 << "," << b.box.y0;
    }
}

TEST_F(ContentPictures, PanelLeavesRoomForScoreLivesAndBars)
{
    Size panel = SizeOf("res/norm/osd/OSD.png");
    EXPECT_EQ(panel.w, 200);
    EXPECT_EQ(panel.h, 700);
    const Rect score{20, 70, 140, 130};
    const Rect lives{76, 615, 136, 670};
    std::vector<Rect> bars;
    for (auto [cx, cy] : {std::pair{25, 346}, {88, 346}, {25, 537}, {88, 537}}) {
        bars.push_back({cx - 17, cy - 85, cx + 17, cy + 85});
    }
    for (size_t i = 0; i < bars.size(); ++i) {
        EXPECT_TRUE(bars[i].Inside(panel.w, panel.h)) << "bar " << i;
        EXPECT_FALSE(bars[i].Overlaps(score)) << "bar " << i;
        for (size_t j = i + 1; j < bars.size(); ++j) {
            EXPECT_FALSE(bars[i].Overlaps(bars[j])) << i << " " << j;
        }
    }
    EXPECT_TRUE(score.Inside(panel.w, panel.h));
    EXPECT_TRUE(lives.Inside(panel.w, panel.h));
    for (const char* c : {"R", "G", "B", "Y"}) {
        Size bar = SizeOf(std::string("res/norm/osd/") + c + ".png");
        EXPECT_GT(bar.w, 0) << c;
        EXPECT_GT(bar.h, 0) << c;
    }
    // The yellow bar, full, is its picture stretched to 170 rows around
    // y 537: the rows it shows end above the lives box.
    auto yellow = Load("res/norm/osd/Y.png");
    ASSERT_TRUE(yellow);
    int last = -1;
    for (int y = 0; y < yellow->h; ++y) {
        for (int x = 0; x < yellow->w; ++x) {
            if (Pixel(yellow.get(), x, y).a > 0) {
                last = y;
            }
        }
    }
    ASSERT_GE(last, 0);
    EXPECT_LT(537 - 85 + (last + 1) * 170 / yellow->h, lives.y0) << "a full bar reaches the lives";
}

TEST_F(ContentPictures, ShipFitsInsideItsShieldInEveryTheme)
{
    Size shield = SizeOf("res/norm/shield/R.png");
    EXPECT_EQ(shield.w, shield.h);
    EXPECT_GE(shield.w, 40);
    EXPECT_LE(shield.w, 90);
    for (const char* c : {"G", "B", "Y"}) {
        Size s = SizeOf(std::string("res/norm/shield/") + c + ".png");
        EXPECT_EQ(s.w, shield.w) << c;
        EXPECT_EQ(s.h, shield.h) << c;
    }
    for (const auto& t : kThemes) {
        ASSERT_TRUE(Find("res/" + t + "/hero.png")) << t << " has no ship of its own";
        Size hero = SizeOf("res/" + t + "/hero.png");
        EXPECT_GT(hero.w, 0) << t;
        EXPECT_LE(hero.w, shield.w) << t;
        EXPECT_LE(hero.h, shield.h) << t;
    }
}

// --------------------------------------------------------------- menus

TEST_F(ContentPictures, MainMenuButtonsStackWithoutOverlap)
{
    const char* names[] = {"Play", "Load", "Options", "Highscores", "Credits", "Exit"};
    for (const char* n : names) {
        Size s = SizeOf(std::string("res/menu/img/") + n + ".png");
        EXPECT_GT(s.w, 0) << n;
        EXPECT_LE(s.h, 55) << n << " runs into the next row";
        EXPECT_LE(314 + s.w, 800) << n;
    }
    Size ptr = SizeOf("res/menu/img/Pointer.png");
    EXPECT_GT(ptr.w, 0);
    EXPECT_LE(ptr.w, 55) << "the pointer at x 259 would cover the buttons at 314";
    EXPECT_LE(ptr.h, 55);
}

TEST_F(ContentPictures, OptionsRowsArrowsAndValuesStayApart)
{
    Size left = SizeOf("res/opti/img/ArrowLeft.png");
    Size right = SizeOf("res/opti/img/ArrowRight.png");
    EXPECT_LE(left.h, 55);
    EXPECT_LE(right.h, 55);
    EXPECT_LE(410 + left.w, 470) << "the left arrow covers the value";
    const char* rows[] = {"Playmode", "Difficulty", "Mouse", "KeySettings", "Return"};
    std::map<std::string, Size> row;
    for (const char* r : rows) {
        row[r] = SizeOf(std::string("res/opti/img/") + r + ".png");
        EXPECT_GT(row[r].w, 0) << r;
        EXPECT_LE(row[r].h, 55) << r;
        EXPECT_LE(100 + row[r].w, 410) << r << " runs under the left arrow";
    }
    // Values are drawn at 470; the row's right arrow at its label's width + 470.
    const std::map<std::string, std::vector<std::string>> values = {
        {"Playmode", {"Bike", "Normal", "EasterEgg", "RuDi"}},
        {"Difficulty", {"Easy", "Normal", "Hard", "Impossible"}},
        {"Mouse", {"None", "Player1", "Player2"}}};
    for (const auto& [r, vs] : values) {
        int arrowX = row[r].w + 470;
        EXPECT_LE(arrowX + right.w, 800) << r << ": right arrow off the window";
        for (const auto& v : vs) {
            Size s = SizeOf("res/opti/img/" + v + ".png");
            EXPECT_GT(s.w, 0) << v;
            EXPECT_LE(s.h, 55) << v;
            EXPECT_LE(470 + s.w, arrowX) << v << " runs under the right arrow of " << r;
        }
    }
    Size ptr = SizeOf("res/opti/img/Pointer.png");
    EXPECT_LE(45 + ptr.w, 100);
    EXPECT_EQ(SizeOf("res/opti/img/BG.png").w, 800);
}

TEST_F(ContentPictures, KeySettingsLayoutHasNoOverlaps)
{
    auto size = [](const std::string& n) { return SizeOf("res/keys/img/" + n + ".png"); };
    // Buttons as the key settings screen lays them out (fixed rectangles for
    // the arrows, image widths for the others).
    struct Button
    {
        std::string name;
        Rect r;
        bool fixed;
    };
    std::vector<Button> buttons = {
        {"ArrowUp", {270, 325, 325, 385}, true},   {"ArrowDown", {270, 485, 325, 545}, true},
        {"Red", {325, 325, 0, 380}, false},        {"Blue", {325, 380, 0, 435}, false},
        {"Green", {325, 435, 0, 490}, false},      {"Yellow", {325, 490, 0, 545}, false},
        {"ArrowUp", {550, 305, 605, 365}, true},   {"ArrowDown", {550, 495, 605, 555}, true},
        {"ArrowLeft", {460, 410, 520, 465}, true}, {"ArrowRight", {635, 410, 695, 465}, true},
        {"Fire", {540, 610, 0, 665}, false},       {"Pause", {325, 610, 0, 665}, false},
        {"Return", {50, 610, 0, 665}, false}};
    for (auto& b : buttons) {
        Size normal = size(b.name), active = size(b.name + "Active");
        EXPECT_EQ(normal.w, active.w) << b.name;
        EXPECT_EQ(normal.h, active.h) << b.name;
        EXPECT_GT(normal.w, 0) << b.name;
        if (!b.fixed) {
            b.r.x1 = b.r.x0 + normal.w;
        }
        // the picture must not spill out of its rectangle
        EXPECT_LE(normal.w, b.r.x1 - b.r.x0) << b.name;
        EXPECT_LE(normal.h, b.r.y1 - b.r.y0) << b.name;
        EXPECT_TRUE(b.r.Inside(800, 700)) << b.name;
    }
    for (size_t i = 0; i < buttons.size(); ++i) {
        for (size_t j = i + 1; j < buttons.size(); ++j) {
            EXPECT_FALSE(buttons[i].r.Overlaps(buttons[j].r))
                << buttons[i].name << " / " << buttons[j].name;
        }
    }
    std::vector<std::pair<std::string, Rect>> pictures;
    for (const char* n : {"Explanation", "ExplanationActive", "ExplanationFault"}) {
        Size s = size(n);
        EXPECT_GT(s.w, 0) << n;
        pictures.push_back({n, {50, 290, 50 + s.w, 290 + s.h}});
    }
    Size hero = size("Hero");
    EXPECT_GT(hero.w, 0);
    pictures.push_back({"Hero", {540, 365, 540 + hero.w, 365 + hero.h}});
    for (const auto& [n, r] : pictures) {
        EXPECT_TRUE(r.Inside(800, 700)) << n;
        for (const auto& b : buttons) {
            EXPECT_FALSE(r.Overlaps(b.r)) << n << " covers " << b.name;
        }
    }
}

TEST_F(ContentPictures, HighScoreTableIsReadableOnItsBackground)
{
    auto s = Load("res/menu/img/bghs.png");
    ASSERT_TRUE(s);
    const double text = Luminance(222, 0, 19);
    for (int x : {100, 400}) {
        Rgba m = MeanOver(s.get(), x, 100, 275, 470);
        EXPECT_GT(Contrast(Luminance(m.r, m.g, m.b), text), 3.0) << "column at " << x;
    }
    Size ret = SizeOf("res/opti/img/Return.png");
    EXPECT_LE(640 + ret.h, 700);
    EXPECT_LE(75 + ret.w, 800);
    EXPECT_LE(20 + SizeOf("res/menu/img/Pointer.png").w, 75);
}

TEST_F(ContentPictures, WhiteTextIsReadableOnLevelChoiceAndCredits)
{
    const double white = Luminance(255, 255, 255);
    auto menu = Load("res/menu/img/BG.png");
    ASSERT_TRUE(menu);
    for (int y : {300, 450, 600}) {
        Rgba m = MeanOver(menu.get(), 120, y, 620, 60);
        EXPECT_GT(Contrast(Luminance(m.r, m.g, m.b), white), 4.5) << "level choice text at y " << y;
    }
    auto cred = Load("res/cred/img/BG.png");
    ASSERT_TRUE(cred);
    for (int y = 0; y + 30 <= 700; y += 35) {
        Rgba m = MeanOver(cred.get(), 11, y, 400, 30);
        EXPECT_GT(Contrast(Luminance(m.r, m.g, m.b), white), 4.5) << "credits line at y " << y;
    }
}

} // namespace
