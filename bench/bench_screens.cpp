// The screens of the game on its default content, in this process: the
// main menu's paint, a level start (its images, classes and sounds) and a
// full play-screen paint at the fullest load the game reaches.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "common.h"
#include "enemydata.h"
#include "game.h"
#include "rastrum.h"
#include "shell.h"
#include "win32.h"
#include "win32_testing.h"
#include "winwrap.h"

namespace {

namespace fs = std::filesystem;

// Runs with a scratch copy of the default content as working folder.
class InContent
{
  public:
    explicit InContent(const fs::path& dir) : old_(fs::current_path()) { fs::current_path(dir); }
    ~InContent() { fs::current_path(old_); }

  private:
    fs::path old_;
};

// The program started as main() starts it, headless, once for all these benchmarks.
struct Game
{
    bench::Scratch content{"screens"};
    WNDCLASSA wc{};
    HWND hwnd = nullptr;
    bool up = false;

    Game()
    {
        InContent in(content.dir);
        w32::RunConfig config;
        config.headless = true;
        std::string error;
        if (!w32::Configure(config, error))
            return;
        InitModules();
        RegisterWndClass(wc);
        w32::TuneHeap();
        CreateWindow(hwnd);
        SwitchOpMode(hwnd, opModeINIT);
        up = hwnd != nullptr && OperationMode == opModeMENU;
    }
};

Game& TheGame()
{
    static Game game;
    return game;
}

// Pixels of the frame last shown that are not black.
size_t LitPixels()
{
    const auto& frame = w32::testing::WindowFrame();
    return static_cast<size_t>(
        std::count_if(frame.begin(), frame.end(), [](uint32_t p) { return (p & 0xFFFFFFu) != 0; }));
}

void BM_MainMenuPaint(benchmark::State& state)
{
    Game& g = TheGame();
    InContent in(g.content.dir);
    if (!g.up) {
        state.SkipWithError("the program did not reach its main menu");
        return;
    }
    SwitchOpMode(g.hwnd, opModeMENU);
    for (auto _ : state) {
        SendMessageA(g.hwnd, WM_PAINT, 0, 0);
    }
    if (OperationMode != opModeMENU || LitPixels() < 800 * 700 / 4) {
        state.SkipWithError("the main menu did not paint its picture");
    }
}
BENCHMARK(BM_MainMenuPaint)->Unit(benchmark::kMicrosecond);

// Everything a level start loads, as the play screen does it: the level's
// header, its theme, the screen's images, every bullet, enemy and boss class
// of the data folder with their pictures, the ship, the level's classes and
// its music. The class chains grow at every level start in the game; here
// they are emptied between starts so every start reads the same.
void BM_LevelStart(benchmark::State& state)
{
    Game& g = TheGame();
    InContent in(g.content.dir);
    if (!g.up) {
        state.SkipWithError("the program did not reach its main menu");
        return;
    }
    SwitchOpMode(g.hwnd, opModeGAME);
    for (auto _ : state) {
        state.PauseTiming();
        RemoveEnemyChain(p1E);
        RemoveBulletChain(p1Bp);
        RemoveBulletChain(p1Be);
        p1BC.clear();
        p1EC.clear();
        level.number = 0;
        state.ResumeTiming();
        InitLevel(g.hwnd);
    }
    if (OperationMode != opModeGAME || level.number != 1 || p1EC.empty() || p1BC.empty() ||
        numOfImg < 10) {
        state.SkipWithError("the first level of the default content did not load");
    }
    state.counters["classes"] = static_cast<double>(p1EC.size() + p1BC.size());
    state.counters["images"] = static_cast<double>(numOfImg);
    SwitchOpMode(g.hwnd, opModeMENU);
}
BENCHMARK(BM_LevelStart)->Unit(benchmark::kMillisecond);

// The play screen of the default content's first level with 28 enemies of
// its classes and 300 bullets spread over the field, drawn into the buffer
// with the pause picture over it (the fullest paint the game makes).
void BM_GamePaintFullLoad(benchmark::State& state)
{
    Game& g = TheGame();
    InContent in(g.content.dir);
    if (!g.up) {
        state.SkipWithError("the program did not reach its main menu");
        return;
    }
    SwitchOpMode(g.hwnd, opModeGAME);
    isLoading = false;
    isPaused = true;
    RemoveEnemyChain(p1E);
    RemoveBulletChain(p1Bp);
    RemoveBulletChain(p1Be);
    std::vector<TEnemyClass*> enemies;
    for (auto& node : p1EC) {
        if (!node.enemyClass.isBoss)
            enemies.push_back(&node.enemyClass);
    }
    std::vector<TBulletClass*> bullets;
    for (auto& cls : p1BC)
        bullets.push_back(&cls);
    if (enemies.empty() || bullets.empty()) {
        state.SkipWithError("the first level has no enemy or bullet classes");
        SwitchOpMode(g.hwnd, opModeMENU);
        return;
    }
    for (int i = 0; i < 28; ++i) {
        TEnemy e;
        e.cls = enemies[static_cast<size_t>(i) % enemies.size()];
        e.pos = MakeTVector(230 + (i % 7) * 80, 40 + (i / 7) * 90);
        e.health = e.cls->health;
        AddEnemy(e, p1E);
    }
    for (int i = 0; i < 300; ++i) {
        TBullet b;
        b.cls = bullets[static_cast<size_t>(i) % bullets.size()];
        b.kin.pos = MakeTVector(205 + (i * 37) % 585, 15 + (i * 53) % 670);
        AddBullet(b, i % 2 == 0 ? p1Bp : p1Be);
    }
    for (auto _ : state) {
        ScrollBG();
        DrawBG();
        DrawEnemies();
        DrawBullets();
        DrawPlayers();
        DrawOSD();
        DrawImage(imgPause, 0, 0, 0);
        int32_t w = 0;
        int32_t h = 0;
        benchmark::DoNotOptimize(Rastrum_BufferPixels(&w, &h));
        benchmark::ClobberMemory();
    }
    RemoveEnemyChain(p1E);
    RemoveBulletChain(p1Bp);
    RemoveBulletChain(p1Be);
    isPaused = false;
    SwitchOpMode(g.hwnd, opModeMENU);
}
BENCHMARK(BM_GamePaintFullLoad)->Unit(benchmark::kMicrosecond);

} // namespace
