// Painting a full play screen into the imaging library's buffer: scrolling
// backgrounds, the side panel, enemies, bullets, ship, shield, four bars,
// texts and a full-window overlay, with pictures generated at start.
#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "rastrum.h"

namespace {

namespace fs = std::filesystem;

enum Picture : uint32_t {
    kBg1 = 1,
    kBg2,
    kPanel,
    kEnemy,
    kBullet,
    kShip,
    kShield,
    kBar,
    kOverlayFrame,
    kOverlayDim,
    kPictures = kOverlayDim
};

std::string WritePng(const fs::path& dir, const std::string& name, int w, int h,
                     const std::function<uint32_t(int, int)>& f)
{
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch);
        for (int x = 0; x < w; ++x) {
            row[x] = f(x, y);
        }
    }
    const std::string path = (dir / name).string();
    IMG_SavePNG(s, path.c_str());
    SDL_FreeSurface(s);
    return path;
}

// A disc with a soft edge one pixel wide.
std::function<uint32_t(int, int)> Disc(int size, uint32_t rgb)
{
    return [size, rgb](int x, int y) {
        const double r = size / 2.0;
        const double d = std::hypot(x + 0.5 - r, y + 0.5 - r);
        const double a = std::clamp(r - d, 0.0, 1.0);
        return (static_cast<uint32_t>(a * 255) << 24) | rgb;
    };
}

void LoadPlayScreen()
{
    const fs::path dir = fs::temp_directory_path() / ("rastrum_bench_" + std::to_string(getpid()));
    fs::create_directories(dir);
    Rastrum_BEGIN();
    InitGraphics(0);
    SetNumberOfImages(kPictures);
    auto load = [&](uint32_t n, const std::string& name, int w, int h,
                    const std::function<uint32_t(int, int)>& f) {
        LoadImage(n, WritePng(dir, name, w, h, f).c_str());
    };
    load(kBg1, "bg1.png", 800, 700, [](int x, int y) {
        return 0xFF000000u | static_cast<uint32_t>((x ^ y) & 0xFF) << 8 | (y & 0x7F);
    });
    load(kBg2, "bg2.png", 800, 700, [](int x, int y) {
        return 0xFF000000u | static_cast<uint32_t>((x + y) & 0xFF) << 16 | (x & 0x3F);
    });
    load(kPanel, "panel.png", 200, 700,
         [](int x, int y) { return 0xFF202020u + static_cast<uint32_t>((x * y) & 0x1F); });
    load(kEnemy, "enemy.png", 48, 48, Disc(48, 0xC02020));
    load(kBullet, "bullet.png", 10, 10, Disc(10, 0xFFFF40));
    load(kShip, "ship.png", 56, 64, Disc(56, 0x40A0FF));
    load(kShield, "shield.png", 80, 80, [](int x, int y) {
        const double d = std::hypot(x - 40.0, y - 40.0);
        return d < 40 ? (static_cast<uint32_t>(40 + d * 2) << 24) | 0x20FF20u : 0u;
    });
    load(kBar, "bar.png", 34, 10, [](int, int y) { return 0xFF000000u | (y * 25u) << 16; });
    // An overlay that frames the window and leaves its middle clear.
    load(kOverlayFrame, "frame.png", 800, 700, [](int x, int y) {
        const bool edge = x < 30 || x >= 770 || y < 30 || y >= 670;
        return edge ? 0xC0000000u : 0u;
    });
    // An overlay that dims every pixel of the window.
    load(kOverlayDim, "dim.png", 800, 700, [](int, int) { return 0x80000000u; });
    std::error_code ec;
    fs::remove_all(dir, ec);
}

void PaintPlayScreen(int frame, uint32_t overlay)
{
    const int scroll = (frame * 3) % 700;
    DrawImage(kBg1, 0, scroll, 0);
    DrawImage(kBg2, 0, scroll - 700, 0);
    for (int i = 0; i < 28; ++i) {
        DrawImage(kEnemy, 230 + (i % 7) * 80, 40 + (i / 7) * 90 + frame % 20, 1);
    }
    for (int i = 0; i < 300; ++i) {
        DrawImage(kBullet, 205 + (i * 37) % 585, 15 + (i * 53 + frame * 7) % 670, 1);
    }
    DrawImage(kShip, 500, 600, 1);
    DrawImage(kShield, 500, 600, 1);
    DrawImage(kPanel, 0, 0, 0);
    for (int c = 0; c < 4; ++c) {
        DrawStretchedImage(kBar, 40 + c * 40, 400, 34, 170 - (frame + c * 30) % 170, 1);
    }
    DrawText("123456", "SF Movie Poster", 20, 20, 70, 120, 60, 255, 255, 0, 0, 1);
    DrawText("3", "SF Movie Poster", 20, 76, 615, 60, 55, 255, 255, 0, 0, 1);
    DrawText("Level 12", "SF Movie Poster", 20, 400, 300, 250, 150, 255, 255, 255, 255, 1);
    DrawImage(overlay, 0, 0, 0);
}

void BM_PlayScreenPaint(benchmark::State& state)
{
    LoadPlayScreen();
    CreateBuffer(800, 700);
    const auto overlay = static_cast<uint32_t>(state.range(0));
    int frame = 0;
    for (auto _ : state) {
        PaintPlayScreen(frame++, overlay);
        int32_t w = 0;
        int32_t h = 0;
        benchmark::DoNotOptimize(Rastrum_BufferPixels(&w, &h));
        benchmark::ClobberMemory();
    }
    FreeGraphics();
    FreeBuffer();
}
BENCHMARK(BM_PlayScreenPaint)
    ->Arg(kOverlayFrame)
    ->Arg(kOverlayDim)
    ->ArgName("overlay")
    ->Unit(benchmark::kMicrosecond);

// One translucent sprite: the cost of blending per pixel.
void BM_BlendSprite(benchmark::State& state)
{
    LoadPlayScreen();
    CreateBuffer(800, 700);
    for (auto _ : state) {
        DrawImage(kShield, 400, 350, 1);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 80 * 80);
    FreeGraphics();
    FreeBuffer();
}
BENCHMARK(BM_BlendSprite);

} // namespace
