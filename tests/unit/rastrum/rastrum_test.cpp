// Tests of the imaging library through its entry points, with PNGs and
// fonts prepared in a temporary folder.
#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "rastrum.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kBlack = 0xFF000000u;

// Folder that the test resolver maps Windows-style paths into.
std::string g_root;

void TestResolver(const char* path, char* out, uint32_t outSize)
{
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');
    if (p.rfind("./", 0) == 0) {
        p = p.substr(2);
    }
    const std::string full = g_root + "/" + p;
    std::snprintf(out, outSize, "%s", full.c_str());
}

class RastrumTest : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        Rastrum_BEGIN();
        dir_ = fs::temp_directory_path() / ("rastrum_test_" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    static void TearDownTestSuite()
    {
        FreeGraphics();
        FreeBuffer();
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    void SetUp() override
    {
        Rastrum_SetPathResolver(nullptr);
        InitGraphics(8);
        CreateBuffer(100, 100);
    }

    // Writes a PNG whose pixels (straight ARGB) come from f(x, y).
    static std::string Png(const std::string& name, int w, int h,
                           const std::function<uint32_t(int, int)>& f)
    {
        SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
        EXPECT_NE(s, nullptr);
        for (int y = 0; y < h; ++y) {
            auto* row =
                reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch);
            for (int x = 0; x < w; ++x) {
                row[x] = f(x, y);
            }
        }
        const std::string path = (dir_ / name).string();
        EXPECT_EQ(IMG_SavePNG(s, path.c_str()), 0);
        SDL_FreeSurface(s);
        return path;
    }
    static std::string Solid(const std::string& name, int w, int h, uint32_t argb)
    {
        return Png(name, w, h, [argb](int, int) { return argb; });
    }

    static std::vector<uint32_t> Buffer()
    {
        int32_t w = 0;
        int32_t h = 0;
        const uint32_t* px = Rastrum_BufferPixels(&w, &h);
        if (px == nullptr) {
            return {};
        }
        return std::vector<uint32_t>(px, px + static_cast<size_t>(w) * h);
    }
    static uint32_t At(int x, int y) { return Buffer()[static_cast<size_t>(y) * 100 + x]; }

    struct Box
    {
        int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN; // inclusive
        int count = 0;
    };
    // Where the buffer (100 x 100) differs from black.
    static Box Ink()
    {
        Box b;
        const auto px = Buffer();
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 100; ++x) {
                if (px[static_cast<size_t>(y) * 100 + x] != kBlack) {
                    b.x0 = std::min(b.x0, x);
                    b.y0 = std::min(b.y0, y);
                    b.x1 = std::max(b.x1, x);
                    b.y1 = std::max(b.y1, y);
                    ++b.count;
                }
            }
        }
        return b;
    }

    static fs::path dir_;
};

fs::path RastrumTest::dir_;

TEST_F(RastrumTest, NewBufferIsBlackAndReplacesTheOldOne)
{
    int32_t w = 0;
    int32_t h = 0;
    ASSERT_NE(Rastrum_BufferPixels(&w, &h), nullptr);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 100);
    LoadImage(1, Solid("white.png", 4, 4, 0xFFFFFFFFu).c_str());
    DrawImage(1, 0, 0, 0);
    CreateBuffer(30, 20);
    const uint32_t* px = Rastrum_BufferPixels(&w, &h);
    ASSERT_NE(px, nullptr);
    EXPECT_EQ(w, 30);
    EXPECT_EQ(h, 20);
    EXPECT_TRUE(std::all_of(px, px + 600, [](uint32_t p) { return p == kBlack; }));
}

TEST_F(RastrumTest, UnusableBufferSizesLeaveNoBuffer)
{
    for (auto [w, h] :
         {std::pair{0, 10}, {10, 0}, {-5, 10}, {10, -1}, {INT_MAX, INT_MAX}, {1 << 20, 2}}) {
        CreateBuffer(w, h);
        int32_t bw = -1;
        int32_t bh = -1;
        EXPECT_EQ(Rastrum_BufferPixels(&bw, &bh), nullptr) << w << "x" << h;
        EXPECT_EQ(bw, 0);
        EXPECT_EQ(bh, 0);
        DrawImage(1, 0, 0, 0); // harmless without a buffer
    }
}

TEST_F(RastrumTest, SlotsAreNumberedFromOneAndGrowKeepingImages)
{
    InitGraphics(2);
    LoadImage(1, Solid("a.png", 3, 4, 0xFFFF0000u).c_str());
    LoadImage(2, Solid("b.png", 5, 6, 0xFF00FF00u).c_str());
    LoadImage(3, Solid("c.png", 7, 8, 0xFF0000FFu).c_str()); // beyond the set: ignored
    EXPECT_EQ(GetSizeX(1), 3);
    EXPECT_EQ(GetSizeY(1), 4);
    EXPECT_EQ(GetSizeX(2), 5);
    EXPECT_EQ(GetSizeY(2), 6);
    for (uint32_t n : {0u, 3u, 1000u, UINT32_MAX}) {
        EXPECT_EQ(GetSizeX(n), 0) << n;
        EXPECT_EQ(GetSizeY(n), 0) << n;
        DrawImage(n, 50, 50, 1);
    }
    EXPECT_EQ(Ink().count, 0);

    SetNumberOfImages(3);
    EXPECT_EQ(GetSizeX(1), 3);
    EXPECT_EQ(GetSizeX(2), 5);
    LoadImage(3, (dir_ / "c.png").string().c_str());
    EXPECT_EQ(GetSizeX(3), 7);
    SetNumberOfImages(1); // never shrinks
    EXPECT_EQ(GetSizeX(3), 7);

    InitGraphics(3);
    for (uint32_t n : {1u, 2u, 3u}) {
        EXPECT_EQ(GetSizeX(n), 0) << n;
    }
}

TEST_F(RastrumTest, HugeSlotCountsCostNothingUntilUsed)
{
    InitGraphics(UINT32_MAX);
    LoadImage(7, Solid("seven.png", 2, 3, 0xFFFFFFFFu).c_str());
    EXPECT_EQ(GetSizeY(7), 3);
    EXPECT_EQ(GetSizeY(UINT32_MAX), 0);
}

TEST_F(RastrumTest, FailedLoadsLeaveAnEmptySlotThatDrawsNothing)
{
    const std::string good = Solid("good.png", 6, 6, 0xFFFFFFFFu);
    const std::string text = (dir_ / "text.png").string();
    std::ofstream(text) << "this is not a picture";
    std::string head;
    {
        std::ifstream in(good, std::ios::binary);
        head.assign(std::istreambuf_iterator<char>(in), {});
    }
    const std::string cut = (dir_ / "cut.png").string();
    std::ofstream(cut, std::ios::binary) << head.substr(0, head.size() / 2);
    const std::string missing = (dir_ / "missing.png").string();

    for (const char* path : {missing.c_str(), text.c_str(), cut.c_str(), "",
                             static_cast<const char*>(nullptr), dir_.c_str()}) {
        LoadImage(1, good.c_str());
        ASSERT_EQ(GetSizeX(1), 6);
        LoadImage(1, path); // replaces the earlier picture
        EXPECT_EQ(GetSizeX(1), 0) << (path ? path : "(null)");
        EXPECT_EQ(GetSizeY(1), 0);
        DrawImage(1, 50, 50, 1);
        DrawStretchedImage(1, 50, 50, 20, 20, 1);
        EXPECT_EQ(Ink().count, 0);
    }
}

uint32_t Crc32(const std::string& bytes)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

std::string BigEndian(uint32_t v)
{
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

// Pictures bigger than the library loads (4096 on a side, 4096 x 1024
// pixels) are refused from their header, before any decoding; so is
// anything that is not a regular file, without waiting for it.
TEST_F(RastrumTest, PicturesTooBigOrNotRegularFilesAreRefused)
{
    struct Case
    {
        int w, h;
        bool loads;
    };
    for (const Case& c : {Case{4097, 1, false}, Case{4096, 1, true}, Case{1, 4097, false},
                          Case{2049, 2048, false}, Case{1024, 4096, true}}) {
        const std::string path = Solid("big.png", c.w, c.h, 0xFF336699u);
        LoadImage(1, path.c_str());
        EXPECT_EQ(GetSizeX(1), c.loads ? c.w : 0) << c.w << " x " << c.h;
        EXPECT_EQ(GetSizeY(1), c.loads ? c.h : 0) << c.w << " x " << c.h;
    }
    // A damaged file of a few bytes whose valid header claims 30000 x 30000.
    const std::string ihdr =
        "IHDR" + BigEndian(30000) + BigEndian(30000) + std::string("\x08\x06\0\0\0", 5);
    std::string png =
        std::string("\x89PNG\r\n\x1a\n") + BigEndian(13) + ihdr + BigEndian(Crc32(ihdr));
    const std::string idat = "IDAT" + std::string(150, '\x55');
    png += BigEndian(150) + idat + BigEndian(Crc32(idat));
    const std::string damaged = (dir_ / "damaged.png").string();
    std::ofstream(damaged, std::ios::binary) << png;
    const std::string pipe = (dir_ / "pipe.png").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0666), 0);
    for (const std::string& path : {damaged, pipe}) {
        LoadImage(2, Solid("good.png", 6, 6, 0xFFFFFFFFu).c_str());
        LoadImage(2, path.c_str());
        EXPECT_EQ(GetSizeX(2), 0) << path;
        EXPECT_EQ(GetSizeY(2), 0) << path;
    }
    fs::remove(pipe);
}

TEST_F(RastrumTest, PathsGoThroughTheResolver)
{
    g_root = dir_.string();
    fs::create_directories(dir_ / "res" / "img");
    Solid("res/img/ship.png", 9, 4, 0xFFFFFFFFu);
    LoadImage(1, ".\\res\\img\\ship.png");
    EXPECT_EQ(GetSizeX(1), 0); // no resolver: the Windows path is no file here
    Rastrum_SetPathResolver(TestResolver);
    LoadImage(1, ".\\res\\img\\ship.png");
    EXPECT_EQ(GetSizeX(1), 9);
    EXPECT_EQ(GetSizeY(1), 4);
}

struct Placement
{
    int w, h, x, y, centred;
    int left, top; // expected top-left corner in the buffer
};

class PlacementTest : public RastrumTest, public ::testing::WithParamInterface<Placement>
{
};

TEST_P(PlacementTest, ImageCoversExactlyItsRectangle)
{
    const Placement p = GetParam();
    LoadImage(1, Solid("place.png", p.w, p.h, 0xFF10E030u).c_str());
    DrawImage(1, p.x, p.y, p.centred);
    const Box b = Ink();
    EXPECT_EQ(b.x0, p.left);
    EXPECT_EQ(b.y0, p.top);
    EXPECT_EQ(b.x1, p.left + p.w - 1);
    EXPECT_EQ(b.y1, p.top + p.h - 1);
    EXPECT_EQ(b.count, p.w * p.h);
    EXPECT_EQ(At(p.left, p.top), 0xFF10E030u);
}

INSTANTIATE_TEST_SUITE_P(Rastrum, PlacementTest,
                         ::testing::Values(Placement{4, 6, 10, 20, 0, 10, 20},
                                           Placement{4, 6, 10, 20, 1, 8, 17},
                                           Placement{3, 5, 50, 50, 1, 49, 48},
                                           Placement{1, 1, 7, 9, 1, 7, 9},
                                           Placement{7, 3, 50, 50, 2, 47, 49}));

struct Blend
{
    uint32_t alpha;
    uint32_t src; // RGB of the drawn pixel
    uint32_t dst; // RGB underneath
};

class BlendTest : public RastrumTest, public ::testing::WithParamInterface<Blend>
{
};

TEST_P(BlendTest, AlphaMixesSourceOverDestination)
{
    const Blend b = GetParam();
    LoadImage(1, Solid("under.png", 1, 1, 0xFF000000u | b.dst).c_str());
    LoadImage(2, Solid("over.png", 1, 1, (b.alpha << 24) | b.src).c_str());
    DrawImage(1, 5, 5, 0);
    DrawImage(2, 5, 5, 0);
    DrawStretchedImage(1, 20, 20, 3, 3, 0);
    DrawStretchedImage(2, 20, 20, 3, 3, 0);
    for (auto [x, y] : {std::pair{5, 5}, {21, 21}}) {
        const uint32_t got = At(x, y);
        EXPECT_EQ(got >> 24, 0xFFu) << "the buffer stays opaque";
        for (int shift : {16, 8, 0}) {
            const int s = static_cast<int>((b.src >> shift) & 0xFF);
            const int d = static_cast<int>((b.dst >> shift) & 0xFF);
            const int a = static_cast<int>(b.alpha);
            const int want = (s * a + d * (255 - a) + 127) / 255;
            const int have = static_cast<int>((got >> shift) & 0xFF);
            EXPECT_LE(std::abs(have - want), 1) << "alpha " << a << " channel " << shift;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rastrum, BlendTest,
    ::testing::Values(Blend{0, 0xFFFFFF, 0x102030}, Blend{1, 0xFFFFFF, 0x000000},
                      Blend{64, 0xFF0000, 0x00FF00}, Blend{128, 0x0000FF, 0xC86432},
                      Blend{200, 0x808080, 0xFFFFFF}, Blend{254, 0x000000, 0xFFFFFF},
                      Blend{255, 0x123456, 0xFFFFFF}));

TEST_F(RastrumTest, WideTranslucentRowsBlendEveryPixel)
{
    // Rows long enough for the blending to work on several pixels at once,
    // each pixel with its own alpha and colour over a patterned background.
    auto under = [](int x, int y) {
        return 0xFF000000u | static_cast<uint32_t>(x * 9 + y) << 16 |
               static_cast<uint32_t>(255 - x * 7) << 8 | static_cast<uint32_t>(y * 40);
    };
    auto over = [](int x, int y) {
        const uint32_t a = 1 + static_cast<uint32_t>(x * 11 + y * 3) % 254;
        return a << 24 | static_cast<uint32_t>(200 - x * 5) << 16 |
               static_cast<uint32_t>(x * 3 + y) << 8 | 0x7Fu;
    };
    LoadImage(1, Png("wide_under.png", 23, 3, under).c_str());
    LoadImage(2, Png("wide_over.png", 23, 3, over).c_str());
    DrawImage(1, 7, 9, 0);
    DrawImage(2, 7, 9, 0);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 23; ++x) {
            const uint32_t got = At(7 + x, 9 + y);
            const uint32_t s = over(x, y);
            const uint32_t d = under(x, y);
            const int a = static_cast<int>(s >> 24);
            ASSERT_EQ(got >> 24, 0xFFu);
            for (int shift : {16, 8, 0}) {
                const int want = (static_cast<int>((s >> shift) & 0xFF) * a +
                                  static_cast<int>((d >> shift) & 0xFF) * (255 - a) + 127) /
                                 255;
                ASSERT_LE(std::abs(static_cast<int>((got >> shift) & 0xFF) - want), 1)
                    << "pixel " << x << "," << y << " channel " << shift;
            }
        }
    }
}

TEST_F(RastrumTest, TransparentAndOpaquePartsOfOneImage)
{
    // Left half opaque red, right half transparent, middle column half red.
    LoadImage(1, Png("mixed.png", 9, 2, [](int x, int) {
                     return x < 4 ? 0xFFFF0000u : (x == 4 ? 0x80FF0000u : 0x00FFFFFFu);
                 }).c_str());
    DrawImage(1, 0, 0, 0);
    EXPECT_EQ(At(3, 1), 0xFFFF0000u);
    EXPECT_NEAR(static_cast<int>((At(4, 1) >> 16) & 0xFF), 128, 1);
    EXPECT_EQ(At(5, 1), kBlack);
    EXPECT_EQ(At(8, 0), kBlack);
}

TEST_F(RastrumTest, DrawingAsideLeavesTheBufferAsItWasAndKeepsItsOwnPicture)
{
    LoadImage(1, Solid("red.png", 10, 10, 0xFFFF0000u).c_str());
    LoadImage(2, Solid("blue.png", 10, 10, 0xFF0000FFu).c_str());
    DrawImage(1, 0, 0, 0);
    const auto before = Buffer();
    Rastrum_DrawAside(1);
    Rastrum_DrawAside(1); // twice: still the same aside buffer
    DrawImage(2, 50, 50, 0);
    const uint32_t* aside = Rastrum_BufferPixels(nullptr, nullptr);
    EXPECT_EQ(At(55, 55), 0xFF0000FFu);
    Rastrum_DrawAside(0);
    EXPECT_EQ(Buffer(), before);
    // The picture drawn aside holds after the way back.
    EXPECT_EQ(aside[55 * 100 + 55], 0xFF0000FFu);
    // A panel as tall as the buffer, opaque in its 12 left columns, hides them.
    LoadImage(3, Png("panel.png", 20, 100, [](int x, int) {
                     return x < 12 ? 0xFF00FF00u : 0x8000FF00u;
                 }).c_str());
    EXPECT_EQ(Rastrum_OpaqueLeft(3), 12);
    EXPECT_EQ(Rastrum_OpaqueLeft(1), 0);     // not as tall as the buffer
    EXPECT_EQ(Rastrum_DrawAsideFrom(12), 0); // not drawing aside
    DrawImage(3, 0, 0, 0);
    // Drawing aside from column 12: left of it, the buffer's pixels, taken
    // over once; the next pictures aside keep them until the buffer changes.
    for (int32_t expected : {0, 12, 12}) {
        Rastrum_DrawAside(1);
        EXPECT_EQ(Rastrum_DrawAsideFrom(12), expected);
        DrawImage(2, 5, 0, 0);
        EXPECT_EQ(At(11, 0), 0xFF00FF00u);
        EXPECT_EQ(At(12, 0), 0xFF0000FFu);
        Rastrum_DrawAside(0);
    }
    EXPECT_EQ(At(12, 0) & 0xFF, 0u); // the buffer's own: no blue
    DrawImage(1, 0, 0, 0);
    Rastrum_DrawAside(1);
    EXPECT_EQ(Rastrum_DrawAsideFrom(12), 0);
    EXPECT_EQ(At(0, 0), 0xFFFF0000u);
    // Drawn aside over the whole width, the left part is taken over again.
    Rastrum_DrawAsideFrom(0);
    DrawImage(2, 0, 0, 0);
    Rastrum_DrawAside(0);
    Rastrum_DrawAside(1);
    EXPECT_EQ(Rastrum_DrawAsideFrom(12), 0);
    EXPECT_EQ(At(0, 0), 0xFFFF0000u);
    Rastrum_DrawAside(0);
    // Into the caller's pixels, with room after each row: the buffer stays
    // as it was, and nothing left of the column or past a row's end is drawn.
    std::vector<uint32_t> into(103 * 100, 0x12345678u);
    EXPECT_EQ(Rastrum_DrawAsideInto(into.data(), 100, 99, 103), 0); // not the buffer's size
    EXPECT_EQ(Rastrum_DrawAsideInto(into.data(), 100, 100, 99), 0); // rows overlapping
    const auto kept = Buffer();
    ASSERT_EQ(Rastrum_DrawAsideInto(into.data(), 100, 100, 103), 1);
    EXPECT_EQ(Rastrum_DrawAsideInto(into.data(), 100, 100, 103), 0); // already aside
    EXPECT_EQ(Rastrum_DrawAsideFrom(12), 12);
    DrawImage(2, 5, 95, 0);
    DrawStretchedImage(2, 95, 40, 20, 20, 0);
    Rastrum_DrawAside(0);
    EXPECT_EQ(Buffer(), kept);
    EXPECT_EQ(into[99 * 103 + 11], 0x12345678u);
    EXPECT_EQ(into[99 * 103 + 12], 0xFF0000FFu);
    EXPECT_EQ(into[59 * 103 + 99], 0xFF0000FFu);
    EXPECT_EQ(into[59 * 103 + 100], 0x12345678u);
    EXPECT_EQ(into[60 * 103 + 99], 0x12345678u);
    EXPECT_EQ(std::count(into.begin(), into.end(), 0xFF0000FFu), 5 * 3 + 5 * 20);
    // A new buffer, then drawing aside: a picture of its size.
    CreateBuffer(30, 20);
    Rastrum_DrawAside(1);
    int32_t w = 0;
    int32_t h = 0;
    EXPECT_NE(Rastrum_BufferPixels(&w, &h), nullptr);
    EXPECT_EQ(w * h, 600);
    EXPECT_EQ(Buffer().size(), 600u);
    Rastrum_DrawAside(0);
}

struct Clip
{
    int x, y;
    int visible; // pixels of the 10 x 10 image inside the 100 x 100 buffer
};

class ClipTest : public RastrumTest, public ::testing::WithParamInterface<Clip>
{
};

TEST_P(ClipTest, DrawingStopsAtTheBufferEdges)
{
    const Clip c = GetParam();
    LoadImage(1, Solid("clip.png", 10, 10, 0xFFFFFFFFu).c_str());
    LoadImage(2, Png("clipalpha.png", 10, 10, [](int x, int) {
                     return x % 2 ? 0x80FFFFFFu : 0xFFFFFFFFu;
                 }).c_str());
    for (uint32_t n : {1u, 2u}) {
        CreateBuffer(100, 100);
        DrawImage(n, c.x, c.y, 0);
        EXPECT_EQ(Ink().count, c.visible) << "image " << n;
        CreateBuffer(100, 100);
        DrawStretchedImage(n, c.x, c.y, 10, 10, 0);
        EXPECT_EQ(Ink().count, c.visible) << "stretched image " << n;
        CreateBuffer(100, 100);
        DrawStretchedImage(n, c.x, c.y, 10, 20, 0); // doubled height, same columns
        EXPECT_GE(Ink().count, c.visible) << "stretched image " << n;
    }
}

INSTANTIATE_TEST_SUITE_P(Rastrum, ClipTest,
                         ::testing::Values(Clip{-5, -5, 25}, Clip{95, 95, 25}, Clip{-3, 50, 70},
                                           Clip{50, 97, 30}, Clip{-10, 0, 0}, Clip{100, 0, 0},
                                           Clip{0, -10, 0}, Clip{INT_MAX, INT_MAX, 0},
                                           Clip{INT_MIN, INT_MIN, 0}, Clip{45, 45, 100}));

TEST_F(RastrumTest, CentredDrawingAtExtremeCoordinatesIsHarmless)
{
    LoadImage(1, Solid("far.png", 10, 10, 0xFFFFFFFFu).c_str());
    for (int v : {INT_MIN, INT_MIN + 3, INT_MAX - 2, INT_MAX}) {
        DrawImage(1, v, v, 1);
        DrawStretchedImage(1, v, v, INT_MAX, INT_MAX, 1);
    }
    EXPECT_EQ(Ink().count, 0);
}

TEST_F(RastrumTest, StretchedImageFillsTheRequestedSize)
{
    // Four quadrant colours, so the scaling direction is visible.
    LoadImage(1,
              Png("quad.png", 2, 2, [](int x, int y) {
                  static const uint32_t c[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};
                  return c[y * 2 + x];
              }).c_str());
    DrawStretchedImage(1, 50, 50, 6, 4, 1);
    const Box b = Ink();
    EXPECT_EQ(b.x0, 47);
    EXPECT_EQ(b.y0, 48);
    EXPECT_EQ(b.x1, 52);
    EXPECT_EQ(b.y1, 51);
    EXPECT_EQ(b.count, 24);
    EXPECT_EQ(At(47, 48), 0xFFFF0000u);
    EXPECT_EQ(At(52, 48), 0xFF00FF00u);
    EXPECT_EQ(At(47, 51), 0xFF0000FFu);
    EXPECT_EQ(At(52, 51), 0xFFFFFFFFu);

    CreateBuffer(100, 100);
    DrawStretchedImage(1, 10, 10, 34, 1, 0); // a bar one pixel high
    EXPECT_EQ(Ink().count, 34);
    CreateBuffer(100, 100);
    for (auto [w, h] : {std::pair{0, 5}, {5, 0}, {-4, 5}, {5, -4}}) {
        DrawStretchedImage(1, 50, 50, w, h, 1);
    }
    EXPECT_EQ(Ink().count, 0);
}

// Presentation target capturing what it receives.
struct Capture
{
    RastrumPresentTarget target;
    int calls = 0;
    int width = 0, height = 0, pitch = 0;
    std::vector<uint32_t> pixels;

    Capture() : target{&Capture::Present} {}
    static void Present(void* self, const uint32_t* argb, int w, int h, int pitch)
    {
        auto* c = static_cast<Capture*>(self);
        ++c->calls;
        c->width = w;
        c->height = h;
        c->pitch = pitch;
        c->pixels.assign(argb, argb + static_cast<size_t>(w) * h);
    }
};

TEST_F(RastrumTest, PresentingDeliversTheWholeBufferOnce)
{
    LoadImage(1, Png("grad.png", 40, 30, [](int x, int y) {
                     return 0xFF000000u | static_cast<uint32_t>(x * 6) << 16 |
                            static_cast<uint32_t>(y * 8);
                 }).c_str());
    DrawImage(1, 55, 60, 1);
    Capture cap;
    DrawBufferOnScreen(&cap);
    EXPECT_EQ(cap.calls, 1);
    EXPECT_EQ(cap.width, 100);
    EXPECT_EQ(cap.height, 100);
    EXPECT_EQ(cap.pitch, 400);
    EXPECT_EQ(cap.pixels, Buffer());

    DrawBufferOnScreen(nullptr);
    FreeBuffer();
    DrawBufferOnScreen(&cap);
    EXPECT_EQ(cap.calls, 1) << "nothing presented without a buffer";
}

TEST_F(RastrumTest, DrawingAfterFreeingIsHarmless)
{
    LoadImage(1, Solid("free.png", 5, 5, 0xFFFFFFFFu).c_str());
    FreeGraphics();
    EXPECT_EQ(GetSizeX(1), 0);
    DrawImage(1, 50, 50, 1);
    DrawStretchedImage(1, 50, 50, 10, 10, 1);
    LoadImage(1, (dir_ / "free.png").string().c_str()); // no slots left
    EXPECT_EQ(GetSizeX(1), 0);
    EXPECT_EQ(Ink().count, 0);

    InitGraphics(1);
    LoadImage(1, (dir_ / "free.png").string().c_str());
    FreeBuffer();
    DrawImage(1, 50, 50, 1);
    DrawStretchedImage(1, 50, 50, 10, 10, 1);
    DrawText("text", "DejaVu Sans", 20, 0, 0, 100, 100, 255, 255, 255, 255, 1);
    EXPECT_EQ(Rastrum_BufferPixels(nullptr, nullptr), nullptr);
    FreeBuffer();
    FreeGraphics();
}

} // namespace
