// Tests of text drawing: boxes, wrapping, colours, the font lookup order and
// the cache of rendered texts.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "rastrum.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr int kW = 400;
constexpr int kH = 300;
constexpr const char* kSentence = "Please enter the number of the level you want to play. This "
                                  "level will load the next time you play the game";

std::string g_fontRoot;

void FontResolver(const char* path, char* out, uint32_t outSize)
{
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    std::snprintf(out, outSize, "%s/%s", g_fontRoot.c_str(), p.c_str());
}

struct Ink
{
    int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN; // inclusive
    int count = 0;
    std::vector<int> rows; // rows holding ink
};

class TextTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        Rastrum_BEGIN();
        Rastrum_SetPathResolver(nullptr);
        InitGraphics(1);
        CreateBuffer(kW, kH);
    }
    void TearDown() override
    {
        Rastrum_SetPathResolver(nullptr);
        FreeGraphics();
        FreeBuffer();
    }

    static std::vector<uint32_t> Buffer()
    {
        int32_t w = 0;
        int32_t h = 0;
        const uint32_t* px = Rastrum_BufferPixels(&w, &h);
        return px ? std::vector<uint32_t>(px, px + static_cast<size_t>(w) * h)
                  : std::vector<uint32_t>{};
    }
    static Ink Measure()
    {
        Ink ink;
        const auto px = Buffer();
        for (int y = 0; y < kH; ++y) {
            bool row = false;
            for (int x = 0; x < kW; ++x) {
                if (px[static_cast<size_t>(y) * kW + x] != kBlack) {
                    ink.x0 = std::min(ink.x0, x);
                    ink.y0 = std::min(ink.y0, y);
                    ink.x1 = std::max(ink.x1, x);
                    ink.y1 = std::max(ink.y1, y);
                    ++ink.count;
                    row = true;
                }
            }
            if (row) {
                ink.rows.push_back(y);
            }
        }
        return ink;
    }
    // Number of separate bands of inked rows (text lines).
    static int Lines(const Ink& ink)
    {
        int bands = 0;
        for (size_t i = 0; i < ink.rows.size(); ++i) {
            if (i == 0 || ink.rows[i] != ink.rows[i - 1] + 1) {
                ++bands;
            }
        }
        return bands;
    }
    static std::vector<uint32_t> Drawn(const char* face, const char* text = "Score 123")
    {
        CreateBuffer(kW, kH);
        DrawText(text, face, 25, 10, 10, 380, 60, 255, 255, 255, 255, 1);
        return Buffer();
    }
};

struct BoxCase
{
    int x, y, w, h, size, flag;
};

class TextBoxTest : public TextTest, public ::testing::WithParamInterface<BoxCase>
{
};

TEST_P(TextBoxTest, InkStaysInsideItsBox)
{
    const BoxCase c = GetParam();
    DrawText(kSentence, "DejaVu Sans", c.size, c.x, c.y, c.w, c.h, 255, 255, 0, 0, c.flag);
    const Ink ink = Measure();
    ASSERT_GT(ink.count, 0);
    EXPECT_GE(ink.x0, std::max(c.x, 0));
    EXPECT_GE(ink.y0, std::max(c.y, 0));
    EXPECT_LT(ink.x1, c.x + c.w);
    EXPECT_LT(ink.y1, c.y + c.h);
    // Red text on black: no other colour appears.
    for (uint32_t p : Buffer()) {
        ASSERT_EQ(p & 0x0000FFFFu, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rastrum, TextBoxTest,
    ::testing::Values(BoxCase{20, 70, 120, 60, 20, 1}, BoxCase{120, 30, 250, 150, 22, 0},
                      BoxCase{5, 5, 60, 12, 25, 1}, BoxCase{5, 5, 90, 40, 22, 0},
                      BoxCase{-30, -8, 100, 40, 20, 1}, BoxCase{350, 280, 200, 200, 20, 0}));

TEST_F(TextTest, OneLineIsCutAtTheBoxEdgeAndWrappedTextTakesSeveralLines)
{
    DrawText(kSentence, "DejaVu Sans", 22, 0, 0, 250, 150, 255, 255, 255, 255, 1);
    const Ink line = Measure();
    EXPECT_EQ(Lines(line), 1);
    EXPECT_GT(line.x1, 240) << "the line runs to the box edge";

    CreateBuffer(kW, kH);
    DrawText(kSentence, "DejaVu Sans", 22, 0, 0, 250, 150, 255, 255, 255, 255, 0);
    const Ink wrapped = Measure();
    EXPECT_GE(Lines(wrapped), 3);
    EXPECT_LT(wrapped.x1, 250);
    EXPECT_LT(wrapped.y1, 150);
}

TEST_F(TextTest, OneLineStandsInTheMiddleOfItsBoxWhileWrappedTextStartsAtTheTop)
{
    DrawText("Score 120", "DejaVu Sans", 20, 10, 40, 200, 100, 255, 255, 255, 255, 1);
    const Ink line = Measure();
    const int middle = (line.y0 + line.y1) / 2;
    EXPECT_NEAR(middle, 40 + 50, 6) << "ink from " << line.y0 << " to " << line.y1;

    CreateBuffer(kW, kH);
    DrawText("Score 120", "DejaVu Sans", 20, 10, 40, 200, 100, 255, 255, 255, 255, 0);
    const Ink wrapped = Measure();
    EXPECT_LT(wrapped.y0, 40 + 12);
    EXPECT_GE(wrapped.y0, 40);
}

TEST_F(TextTest, SizeIsThePixelHeight)
{
    DrawText("Hg", "DejaVu Sans", 20, 0, 0, 200, 200, 255, 255, 255, 255, 1);
    const Ink small = Measure();
    CreateBuffer(kW, kH);
    DrawText("Hg", "DejaVu Sans", 40, 0, 0, 200, 200, 255, 255, 255, 255, 1);
    const Ink big = Measure();
    const int smallHeight = small.y1 - small.y0 + 1;
    const int bigHeight = big.y1 - big.y0 + 1;
    EXPECT_GE(smallHeight, 14);
    EXPECT_LE(smallHeight, 24);
    EXPECT_NEAR(bigHeight, 2 * smallHeight, 3);
}

TEST_F(TextTest, UnknownFaceFallsBackToTheStandIn)
{
    const auto unknown = Drawn("No Such Face Qzx");
    const auto standIn = Drawn("Bebas Neue");
    const auto sans = Drawn("DejaVu Sans");
    EXPECT_NE(std::count(unknown.begin(), unknown.end(), kBlack), kW * kH);
    EXPECT_EQ(unknown, standIn);
    EXPECT_NE(unknown, sans);
    const auto empty = Drawn("");
    EXPECT_EQ(empty, standIn);
    const auto null = Drawn(nullptr);
    EXPECT_EQ(null, standIn);
}

TEST_F(TextTest, FaceInTheResourceTreeComesFirst)
{
    const fs::path root = fs::temp_directory_path() / ("rastrum_fonts_" + std::to_string(getpid()));
    fs::create_directories(root / "res" / "fonts");
    const fs::path dejavu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    if (!fs::exists(dejavu)) {
        GTEST_SKIP() << "DejaVu Sans is not installed";
    }
    // A file named after the face the program asks for, and a file that would
    // shadow an installed face.
    fs::copy_file(dejavu, root / "res" / "fonts" / "SF Movie Poster.ttf");
    fs::copy_file(dejavu, root / "res" / "fonts" / "Bebas Neue.otf");
    const auto before = Drawn("SF Movie Poster");
    g_fontRoot = root.string();
    Rastrum_SetPathResolver(FontResolver);
    const auto movie = Drawn("SF Movie Poster");
    const auto bebas = Drawn("Bebas Neue");
    Rastrum_SetPathResolver(nullptr);
    const auto sans = Drawn("DejaVu Sans");
    EXPECT_EQ(movie, sans);
    EXPECT_EQ(bebas, sans);
    EXPECT_NE(before, sans);
    std::error_code ec;
    fs::remove_all(root, ec);
}

TEST_F(TextTest, RepeatedDrawsMatchAndColourIsPartOfTheCachedText)
{
    for (int round = 0; round < 3; ++round) {
        CreateBuffer(kW, kH);
        DrawText("12345", "DejaVu Sans", 20, 20, 70, 120, 60, 255, 255, 0, 0, 1);
        const auto red = Buffer();
        CreateBuffer(kW, kH);
        DrawText("12345", "DejaVu Sans", 20, 20, 70, 120, 60, 255, 0, 0, 255, 1);
        const auto blue = Buffer();
        CreateBuffer(kW, kH);
        DrawText("12345", "DejaVu Sans", 20, 20, 70, 120, 60, 255, 255, 0, 0, 1);
        EXPECT_EQ(Buffer(), red);
        ASSERT_EQ(red.size(), blue.size());
        for (size_t i = 0; i < red.size(); ++i) {
            ASSERT_EQ(red[i] & 0xFFFFu, 0u);
            ASSERT_EQ(blue[i] & 0xFFFF00u, 0u);
            ASSERT_EQ((red[i] >> 16) & 0xFF, blue[i] & 0xFF) << "same shape, other colour";
        }
    }
}

TEST_F(TextTest, AlphaFadesTheText)
{
    DrawText("MMMM", "DejaVu Sans", 40, 0, 0, 300, 100, 255, 255, 255, 255, 1);
    const auto full = Buffer();
    CreateBuffer(kW, kH);
    DrawText("MMMM", "DejaVu Sans", 40, 0, 0, 300, 100, 128, 255, 255, 255, 1);
    const auto half = Buffer();
    const uint32_t brightest = *std::max_element(full.begin(), full.end());
    const uint32_t dimmed = *std::max_element(half.begin(), half.end());
    EXPECT_EQ(brightest & 0xFF, 255u);
    EXPECT_NEAR(static_cast<int>(dimmed & 0xFF), 128, 2);
}

TEST_F(TextTest, BadArgumentsDrawNothing)
{
    const char* const nasty = "\xff\xfe\x80 bytes above 127 \xc3";
    DrawText(nullptr, "DejaVu Sans", 20, 0, 0, 100, 100, 255, 255, 255, 255, 1);
    DrawText("", "DejaVu Sans", 20, 0, 0, 100, 100, 255, 255, 255, 255, 1);
    for (int size : {0, -5, INT_MIN, 100000, INT_MAX}) {
        DrawText("text", "DejaVu Sans", size, 0, 0, 100, 100, 255, 255, 255, 255, 1);
    }
    for (auto [w, h] : {std::pair{0, 50}, {50, 0}, {-10, 50}, {50, -10}}) {
        DrawText("text", "DejaVu Sans", 20, 10, 10, w, h, 255, 255, 255, 255, 0);
    }
    DrawText("text", "DejaVu Sans", 20, 10, 10, 100, 100, 0, 255, 255, 255, 1);
    DrawText("text", "DejaVu Sans", 20, INT_MAX, INT_MAX, INT_MAX, INT_MAX, 255, 255, 255, 255, 0);
    DrawText("text", "DejaVu Sans", 20, INT_MIN, INT_MIN, 100, 100, 255, 255, 255, 255, 1);
    EXPECT_EQ(Measure().count, 0);

    // Odd bytes and out-of-range components still draw, clamped.
    DrawText(nasty, "DejaVu Sans", 20, 0, 0, 300, 100, 999, 300, -4, 0, 1);
    const Ink ink = Measure();
    EXPECT_GT(ink.count, 0);
    for (uint32_t p : Buffer()) {
        ASSERT_EQ(p & 0xFFFFu, 0u);
    }
    // A very long text in a small box.
    const std::string longText(200000, 'W');
    CreateBuffer(kW, kH);
    DrawText(longText.c_str(), "DejaVu Sans", 25, 0, 0, 390, 30, 255, 255, 255, 255, 1);
    DrawText(longText.c_str(), "DejaVu Sans", 25, 0, 40, 390, 200, 255, 255, 255, 255, 0);
    EXPECT_GT(Measure().count, 0);
}

} // namespace
