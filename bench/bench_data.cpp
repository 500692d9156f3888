// Loading the game's data: a data folder of 100 classes and a level, as a
// level start reads it (header, bullet classes, enemy classes, bosses, level).
#include <benchmark/benchmark.h>

#include <SDL.h>
#include <SDL_image.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "common.h"
#include "enemydata.h"
#include "game.h"
#include "game_setup.h"
#include "rastrum.h"
#include "textio.h"
#include "win32.h"

namespace {

namespace fs = std::filesystem;

void WriteText(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

void WritePng(const fs::path& path, int w, int h)
{
    fs::create_directories(path.parent_path());
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
    SDL_FillRect(s, nullptr, 0xFF00FF00u);
    IMG_SavePNG(s, path.string().c_str());
    SDL_FreeSurface(s);
}

// A data folder of 20 bullet classes, 70 enemy classes and 10 bosses and a
// level naming 40 of the enemies; with pictures for every class when asked.
class DataFolder
{
  public:
    explicit DataFolder(bool pictures)
    {
        root_ = fs::temp_directory_path() /
                ("zoduzor-bench-data-" + std::to_string(getpid()) + (pictures ? "-p" : ""));
        fs::remove_all(root_);
        for (int i = 0; i < 20; ++i) {
            const std::string id = "BULLET" + std::to_string(i);
            WriteText(root_ / "data" / (id + ".blt"),
                      id + "\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6.500\r\n0.250\r\n");
            if (pictures) {
                WritePng(root_ / "res/norm/bullet" / (id + ".png"), 6, 12);
            }
        }
        std::string level = "NORM\r\n5000\r\nBOSS3\r\n";
        for (int i = 0; i < 80; ++i) {
            const bool boss = i >= 70;
            const std::string id =
                boss ? "BOSS" + std::to_string(i - 70) : "ENEMY" + std::to_string(i);
            const std::string text = id + "\r\nTRUE\r\nFALSE\r\nTRUE\r\nFALSE\r\n250\r\nBULLET" +
                                     std::to_string(i % 20) + "\r\n" + std::to_string(i % 6) +
                                     "\r\n" + (boss ? "66" : "1") + "\r\n12\r\n";
            WriteText(root_ / "data" / (id + (boss ? ".bss" : ".nmi")), text);
            if (pictures) {
                WritePng(root_ / "res/norm/enemy" / (id + ".PNG"), boss ? 200 : 40,
                         boss ? 150 : 40);
            }
            if (!boss && i % 7 < 4) {
                level += id + "\r\n";
            }
        }
        WriteText(root_ / "data/001.LVL", level + "\r\n");
        old_ = fs::current_path();
        fs::current_path(root_);
    }
    ~DataFolder()
    {
        fs::current_path(old_);
        fs::remove_all(root_);
    }

  private:
    fs::path root_;
    fs::path old_;
};

void Prepare()
{
    static bool done = false;
    if (!done) {
        std::string error;
        gamesetup::Start(error);
        done = true;
    }
}

void LevelStart(benchmark::State& state, bool pictures)
{
    Prepare();
    DataFolder folder(pictures);
    for (auto _ : state) {
        p1BC.clear();
        p1EC.clear();
        InitGraphics(0);
        numOfImg = 0;
        bool ok = false;
        TLevel header = LoadLevel(1, false, ok);
        LoadBulletClasses();
        LoadEnemyClasses();
        LoadBosses();
        TLevel l = LoadLevel(1, true, ok);
        benchmark::DoNotOptimize(header);
        benchmark::DoNotOptimize(l);
        if (!ok || p1EC.size() != 80 || p1BC.size() != 20 || l.numOfEnemies == 0) {
            state.SkipWithError("the data folder did not load");
            break;
        }
    }
    p1BC.clear();
    p1EC.clear();
    FreeGraphics();
}

void BM_LoadDataFolder(benchmark::State& state)
{
    LevelStart(state, false);
}
BENCHMARK(BM_LoadDataFolder)->Unit(benchmark::kMillisecond);

void BM_LoadDataFolderWithPictures(benchmark::State& state)
{
    LevelStart(state, true);
}
BENCHMARK(BM_LoadDataFolderWithPictures)->Unit(benchmark::kMillisecond);

void BM_ReadEnemyClass(benchmark::State& state)
{
    const std::string text =
        "FIGHTER\r\nTRUE\r\nFALSE\r\nTRUE\r\nFALSE\r\n250\r\nLASER\r\n2\r\n1\r\n12\r\n";
    for (auto _ : state) {
        std::istringstream in(text);
        TextReader r(in);
        benchmark::DoNotOptimize(r.ReadText(20));
        for (int i = 0; i < 4; ++i) {
            benchmark::DoNotOptimize(r.ReadBool());
        }
        benchmark::DoNotOptimize(r.ReadCard());
        benchmark::DoNotOptimize(r.ReadText(20));
        benchmark::DoNotOptimize(r.ReadText(20));
        for (int i = 0; i < 3; ++i) {
            benchmark::DoNotOptimize(r.ReadCard());
        }
    }
}
BENCHMARK(BM_ReadEnemyClass);

} // namespace
