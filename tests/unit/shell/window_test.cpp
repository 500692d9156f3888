// The window's own layer: the frame placed in a window of any size and the
// mouse mapped back, crisp scaling's whole-number scale, the frame scaled
// by the processor, the window's keys and the settings file.
#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "harness.h"
#include "host_api.h"
#include "shell_testing.h"
#include "window/scaler.h"
#include "window/window.h"

namespace {

struct Mapped
{
    int x, y;   // a point of the window
    int fx, fy; // the frame's pixel under it
};

struct Placement
{
    int w, h;
    bool sharp;
    w32::FrameBox box;
    std::vector<Mapped> points;
};

TEST(Letterbox, TheFrameIsPlacedAndPointsMapBackAtOddSizes)
{
    const std::vector<Placement> cases = {
        // Twice the frame: each frame pixel is a 2 x 2 square.
        {1600,
         1400,
         true,
         {0, 0, 1600, 1400},
         {{0, 0, 0, 0}, {601, 1241, 300, 620}, {1599, 1399, 799, 699}}},
        // Room for 1.46 times in sharp mode: once, centred; bars all round.
        {1280,
         1024,
         true,
         {240, 162, 800, 700},
         {{240, 162, 0, 0},
          {570, 462, 330, 300},
          {100, 500, 0, 338},
          {1279, 5, 799, 0},
          {1040, 862, 799, 699}}},
        // Smooth: as large as fits, bars left and right.
        {1920,
         1080,
         false,
         {343, 0, 1234, 1080},
         {{852, 463, 330, 300},
          {0, 540, 0, 350},
          {343, 0, 0, 0},
          {1576, 1079, 799, 699},
          {1919, 0, 799, 0}}},
        // Bars above and below, an odd height.
        {900,
         1501,
         false,
         {0, 356, 900, 788},
         {{450, 10, 400, 0}, {450, 1500, 400, 699}, {899, 356, 799, 0}}},
        // A pixel wider and taller than the frame.
        {801, 701, true, {0, 0, 800, 700}, {{800, 700, 799, 699}, {400, 350, 400, 350}}},
        {801, 701, false, {0, 0, 801, 701}, {{800, 700, 799, 699}}},
        // Smaller than the frame, even in sharp mode: the fit.
        {400, 350, true, {0, 0, 400, 350}, {{399, 349, 799, 699}, {200, 175, 401, 351}}},
        {0, 700, false, {0, 0, 0, 0}, {{5, 5, 0, 0}}},
    };
    for (const Placement& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) +
                     (c.sharp ? " sharp" : " smooth"));
        const w32::FrameBox box = w32::PlaceFrame(c.w, c.h, c.sharp);
        EXPECT_EQ(box, c.box) << box.x << "," << box.y << " " << box.w << "x" << box.h;
        for (const Mapped& m : c.points) {
            const POINT p = w32::FramePoint(box, m.x, m.y);
            EXPECT_EQ(p.x, m.fx) << "at " << m.x << "," << m.y;
            EXPECT_EQ(p.y, m.fy) << "at " << m.x << "," << m.y;
        }
    }
}

TEST(WindowSettings, DamagedAndUnknownLinesKeepTheirDefaultsAndSavingReplacesTheFile)
{
    std::istringstream text("# kept by the window\n"
                            "width=1280\r\n"
                            "height = 1024\n"
                            "scaling=sharp\n"
                            "motion=authentic\n"
                            "motion=jerky\n"   // unknown: the last good one holds
                            "fullscreen=yes\n" // damaged: stays off
                            "music=74\n"       // to the nearest step
                            "effects=-10\n"    // out of range
                            "mute=1\n"
                            "colour=blue\n" // unknown
                            "width\n"
                            "height=12x\n");
    w32::WindowSettings s = w32::ParseWindowSettings(text);
    EXPECT_EQ(s.width, 1280);
    EXPECT_EQ(s.height, 1024);
    EXPECT_EQ(s.scaling, w32::Scaling::Sharp);
    EXPECT_FALSE(s.smoothMotion);
    EXPECT_FALSE(s.fullscreen);
    EXPECT_EQ(s.music, 70);
    EXPECT_EQ(s.effects, 100);
    EXPECT_TRUE(s.mute);
    std::istringstream tiny("width=20\nheight=99999\n");
    EXPECT_EQ(w32::ParseWindowSettings(tiny), w32::WindowSettings{});

    harness::TempDir dir;
    const std::string path = (dir / "Window.cfg").string();
    EXPECT_EQ(w32::LoadWindowSettings(path), w32::WindowSettings{});
    s.fullscreen = true;
    ASSERT_TRUE(w32::SaveWindowSettings(path, s));
    EXPECT_EQ(w32::LoadWindowSettings(path), s);
    s.scaling = w32::Scaling::Crisp;
    ASSERT_TRUE(w32::SaveWindowSettings(path, s));
    EXPECT_EQ(w32::LoadWindowSettings(path), s);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
    // A folder in the file's place, or no folder at all: defaults, nothing saved, no crash.
    std::filesystem::create_directory(dir / "Folder.cfg");
    EXPECT_EQ(w32::LoadWindowSettings((dir / "Folder.cfg").string()), w32::WindowSettings{});
    EXPECT_FALSE(w32::SaveWindowSettings((dir / "Folder.cfg").string(), s));
    EXPECT_FALSE(w32::SaveWindowSettings((dir / "none/Window.cfg").string(), s));
}

TEST(WindowKeys, F5TogglesTheMotionAndF6GoesRoundTheThreeScalings)
{
    w32::WindowSettings s;
    ASSERT_EQ(w32::WindowKeyOf(SDLK_F5, false), w32::WindowKey::Motion);
    EXPECT_EQ(w32::ApplyWindowKey(w32::WindowKey::Motion, s).text, "MOTION AUTHENTIC");
    EXPECT_FALSE(s.smoothMotion);
    EXPECT_EQ(w32::ApplyWindowKey(w32::WindowKey::Motion, s).text, "MOTION SMOOTH");
    EXPECT_TRUE(s.smoothMotion);
    ASSERT_EQ(w32::WindowKeyOf(SDLK_F6, false), w32::WindowKey::Scaling);
    const std::pair<w32::Scaling, const char*> round[] = {{w32::Scaling::Crisp, "SCALING CRISP"},
                                                          {w32::Scaling::Sharp, "SCALING SHARP"},
                                                          {w32::Scaling::Smooth, "SCALING SMOOTH"}};
    for (const auto& [scaling, text] : round) {
        EXPECT_EQ(w32::ApplyWindowKey(w32::WindowKey::Scaling, s).text, text);
        EXPECT_EQ(s.scaling, scaling);
    }
    EXPECT_EQ(s, w32::WindowSettings{});
}

TEST(Letterbox, CrispScaleIsTheSmallestWholeNumberThatCoversTheBox)
{
    // 1920 x 1080 fills its height (1234 x 1080): twice, then filtered down.
    EXPECT_EQ(w32::CrispScale(w32::PlaceFrame(1920, 1080, false)), 2);
    EXPECT_EQ(w32::CrispScale({0, 0, 800, 700}), 1);
    EXPECT_EQ(w32::CrispScale({0, 0, 801, 700}), 2);
    EXPECT_EQ(w32::CrispScale({0, 0, 800, 1401}), 3);
    EXPECT_EQ(w32::CrispScale({0, 0, 400, 350}), 1);
}

// A source of 80 x 70 with a different colour in every channel of every pixel.
uint32_t SourcePixel(int x, int y, int seed)
{
    return 0xFF000000u | static_cast<uint32_t>((x * 37 + y * 11 + seed) % 256) << 16 |
           static_cast<uint32_t>((x * 5 + y * 53 + seed * 3) % 256) << 8 |
           static_cast<uint32_t>((x * x + y * 7 + seed * 7) % 256);
}

// The scaling sampled in two dimensions at each result pixel's centre:
// smooth between the four nearest source pixels, crisp from the source
// enlarged `whole` times, sharp from the nearest.
int Expected(const std::vector<uint32_t>& src, int sw, int sh, const w32::FrameBox& box,
             w32::Scaling scaling, int x, int y, int shift)
{
    const int k = scaling == w32::Scaling::Crisp ? w32::CrispScale(box, sw, sh) : 1;
    auto channel = [&](int sx, int sy) {
        return static_cast<int>((src[sy * sw + sx] >> shift) & 0xFF);
    };
    const double cx = (x + 0.5) * sw * k / box.w, cy = (y + 0.5) * sh * k / box.h;
    if (scaling == w32::Scaling::Sharp)
        return channel(static_cast<int>(cx), static_cast<int>(cy));
    auto axis = [&](double c, int size, int& a, int& b, double& t) {
        const double at = std::clamp(c - 0.5, 0.0, size * k - 1.0);
        const int e = static_cast<int>(at);
        a = e / k;
        b = std::min(e + 1, size * k - 1) / k;
        t = at - e;
    };
    int x0, x1, y0, y1;
    double tx, ty;
    axis(cx, sw, x0, x1, tx);
    axis(cy, sh, y0, y1, ty);
    const double top = channel(x0, y0) * (1 - tx) + channel(x1, y0) * tx;
    const double bottom = channel(x0, y1) * (1 - tx) + channel(x1, y1) * tx;
    return static_cast<int>(std::lround(top * (1 - ty) + bottom * ty));
}

TEST(Scaler, EveryScalingMatchesItsSamplingAndAPartDrawnMatchesTheWhole)
{
    constexpr int kW = 80, kH = 70;
    struct Case
    {
        w32::Scaling scaling;
        w32::FrameBox box;
    };
    const Case cases[] = {
        {w32::Scaling::Smooth, {0, 0, 123, 108}}, // 1920 x 1080 in tenths
        {w32::Scaling::Smooth, {0, 0, 57, 50}},   // smaller than the frame
        {w32::Scaling::Smooth, {0, 0, 80, 70}},   // as it is
        {w32::Scaling::Crisp, {0, 0, 123, 108}},
        {w32::Scaling::Crisp, {0, 0, 230, 201}}, // three times, filtered down
        {w32::Scaling::Sharp, {0, 0, 160, 140}},
    };
    std::vector<uint32_t> before(kW * kH), after(kW * kH);
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            before[y * kW + x] = SourcePixel(x, y, 0);
            // Rows 20 to 39, right of column 30, change.
            after[y * kW + x] =
                y >= 20 && y < 40 && x >= 30 ? SourcePixel(x, y, 9) : before[y * kW + x];
        }
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "scaling " << static_cast<int>(c.scaling) << " box "
                                        << c.box.w << " x " << c.box.h);
        const int pitch = c.box.w + 3;
        std::vector<uint32_t> whole(static_cast<size_t>(pitch) * c.box.h, 0x12345678u);
        w32::detail::Scaler a, b;
        ASSERT_TRUE(a.Prepare(kW, kH, c.box, c.scaling));
        ASSERT_FALSE(a.Prepare(kW, kH, c.box, c.scaling));
        b.Prepare(kW, kH, c.box, c.scaling);
        const w32::FrameBox all = a.Draw(after.data(), {0, kH}, 0, whole.data(), pitch);
        EXPECT_EQ(all, (w32::FrameBox{0, 0, c.box.w, c.box.h}));
        for (int y = 0; y < c.box.h; ++y) {
            for (int x = 0; x < c.box.w; ++x) {
                const uint32_t got = whole[static_cast<size_t>(y) * pitch + x];
                for (int shift : {16, 8, 0}) {
                    ASSERT_NEAR(static_cast<int>((got >> shift) & 0xFF),
                                Expected(after, kW, kH, c.box, c.scaling, x, y, shift), 2)
                        << "pixel " << x << "," << y << " channel " << shift;
                }
            }
            EXPECT_EQ(whole[static_cast<size_t>(y) * pitch + c.box.w], 0x12345678u) << "row " << y;
        }
        // The picture before, then only the part that changed (rows 20 to 39,
        // from a column on): the same as the whole.
        for (int left = 27; left < 35; ++left) {
            std::vector<uint32_t> changed = before;
            for (int y = 20; y < 40; ++y) {
                for (int x = left; x < kW; ++x)
                    changed[y * kW + x] = after[y * kW + x];
            }
            std::vector<uint32_t> full = whole, part = whole;
            a.Draw(changed.data(), {0, kH}, 0, full.data(), pitch);
            b.Draw(before.data(), {0, kH}, 0, part.data(), pitch);
            const w32::FrameBox drawn = b.Draw(changed.data(), {20, 40}, left, part.data(), pitch);
            EXPECT_EQ(part, full) << "from column " << left;
            EXPECT_GT(drawn.x, 0);
            EXPECT_LT(drawn.h, c.box.h);
        }
    }
}

// Pictures between ticks drawn straight into the window's pixels (at the
// frame's own size, by the processor): beside each, the window shows the
// panel of the newest frame, also when the frame came between two pictures;
// a window that lost its pixels shows a new picture, drawn the ordinary way.
TEST(PicturesBetweenTicks, BesideEachTheWindowShowsTheNewestFramesPanel)
{
    harness::TempDir dir; // the window's settings: none, so smooth motion at 800 x 700
    w32::detail::SetUserFolder(dir.str());
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    // The window's pixels of its own, not a texture of a GL drawn on the processor.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    constexpr int kW = 800, kH = 700, kLeft = 200;
    const std::vector<uint32_t>* newest = nullptr;
    std::vector<uint32_t> own(kW * kH, 0xFF000000u);
    uint32_t field = 0x000100u;
    int direct = 0, aside = 0;
    // As the game draws: the play field right of kLeft, in a colour of its own each time.
    w32::SetBetweenTicksHook([&](double, const w32::PictureTarget& into, int& left) {
        field += 0x000100u;
        uint32_t* pixels = into.pixels ? into.pixels : own.data();
        const int pitch = into.pixels ? into.pitch : kW;
        left = kLeft;
        if (into.pixels) {
            ++direct;
        } else {
            // Its own pixels take the newest panel over, as drawing aside does.
            ++aside;
            for (int y = 0; y < kH; ++y)
                std::copy_n(newest->data() + y * kW, kLeft, own.data() + y * kW);
            left = 0;
        }
        for (int y = 0; y < kH; ++y)
            std::fill_n(pixels + static_cast<ptrdiff_t>(y) * pitch + kLeft, kW - kLeft,
                        0xFF000000u | field);
        return static_cast<const uint32_t*>(pixels);
    });
    std::string problem;
    std::unique_ptr<w32::detail::Surface> surface =
        w32::detail::CreateSdlSurface("pictures", kW, kH, false, problem);
    ASSERT_TRUE(surface) << problem;
    surface->Show();
    const auto frameOf = [&](uint32_t panel) {
        std::vector<uint32_t> f(kW * kH, 0xFF000000u | panel);
        for (int y = 0; y < kH; ++y)
            std::fill_n(f.data() + y * kW + kLeft, kW - kLeft, 0xFF0000FFu);
        return f;
    };
    const auto shown = [&](int x, int y) {
        SDL_Surface* pixels = SDL_GetWindowSurface(w32::detail::SdlWindowOf(surface.get()));
        return static_cast<const uint32_t*>(pixels->pixels)[y * (pixels->pitch / 4) + x] &
               0xFFFFFFu;
    };
    const auto nextPicture = [] {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        w32::detail::RefreshSurfaces();
    };
    const std::vector<uint32_t> first = frameOf(0x400000u), second = frameOf(0x800000u),
                                third = frameOf(0xC00000u);
    newest = &first;
    surface->Present(first.data(), {0, kH});
    nextPicture();
    ASSERT_EQ(direct, 1);
    for (const auto* frame : {&second, &third}) {
        newest = frame;
        surface->Present(frame->data(), {0, kH});
        nextPicture();
        EXPECT_EQ(shown(kLeft / 2, kH / 2), (*frame)[0] & 0xFFFFFFu);
        EXPECT_EQ(shown(kW - 1, kH - 1), field);
    }
    EXPECT_EQ(direct, 3);
    EXPECT_EQ(aside, 0);
    // At once, not at the next picture's time: the window holds no older picture.
    w32::detail::RedrawSurfaces();
    w32::detail::RefreshSurfaces();
    EXPECT_EQ(aside, 1);
    EXPECT_EQ(shown(0, 0), third[0] & 0xFFFFFFu);
    EXPECT_EQ(shown(kLeft, 0), field);
    w32::SetBetweenTicksHook(nullptr);
    surface.reset();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

} // namespace
