// Starting a level: the classes are read afresh in the level's theme, and
// nothing survives its level — no class, image, sound, buffer or instance
// node — so a hundred starts leave memory flat.
#include <malloc.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common.h"
#include "game.h"
#include "game_setup.h"
#include "harness.h"
#include "keySettings.h"
#include "rastrum.h"
#include "win32.h"
#include "win32_testing.h"

namespace {

namespace fs = std::filesystem;

size_t CountFiles(const fs::path& dir, const std::string& ext)
{
    size_t n = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
        std::string x = e.path().extension().string();
        for (char& c : x)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        n += x == ext;
    }
    return n;
}

class LevelStart : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(gamesetup::Start(error)) << error;
        LoadUserSettings();
        InitPlayers();
    }
    void TearDown() override
    {
        FreeGraphics();
        FreeBuffer();
    }
    // Starts level n (the data folder's level files are numbered from 1).
    static void Start(uint32_t n)
    {
        level.number = n - 1;
        InitLevel(nullptr);
    }

    harness::GameDir dir;
    harness::ScopedCwd cwd{dir.path()};
};

TEST_F(LevelStart, HundredStartsLeaveMemoryFlat)
{
    const size_t bullets = CountFiles(dir / "data", ".blt");
    const size_t enemies = CountFiles(dir / "data", ".nmi") + CountFiles(dir / "data", ".bss");
    ASSERT_GT(bullets, 0u);
    ASSERT_GT(enemies, 0u);

    // Warm up: caches of fonts, paths and the allocator settle.
    for (int i = 0; i < 5; ++i)
        Start(1);
    const size_t heapBefore = mallinfo2().uordblks;

    constexpr int kStarts = 100;
    for (int i = 0; i < kStarts; ++i) {
        Start(1);
        ASSERT_TRUE(isLoading);
        ASSERT_FALSE(isGameOver);
        // The screen's 13 images, one per class, and the ship: numbered afresh.
        ASSERT_EQ(numOfImg, 13 + bullets + enemies + 1);
        ASSERT_TRUE(p1E.empty() && p1Bp.empty() && p1Be.empty());
        // The chains hold the data folder's classes once.
        ASSERT_EQ(p1EC.size(), enemies);
        ASSERT_EQ(p1BC.size(), bullets);
    }
    const int64_t grown = static_cast<int64_t>(mallinfo2().uordblks) - int64_t(heapBefore);
    EXPECT_LE(grown, 16 * 1024) << "heap grew " << grown << " bytes over " << kStarts
                                << " level starts";
}

TEST_F(LevelStart, ClassesTakeTheSizesOfTheNewThemesPictures)
{
    // Level 2 is in space, level 3 on the road: other pictures, other sizes.
    Start(2);
    const TVector spaceRock = FindEnemyClass(TID("ASTEROID"), p1EC)->enemyClass.size;
    Start(3);
    ASSERT_EQ(level.playMode, plMoBike);
    ASSERT_NE(level.boss, nullptr);
    EXPECT_NE(FindEnemyClass(TID("ASTEROID"), p1EC)->enemyClass.size, spaceRock);
    EXPECT_EQ(level.boss->size, MakeSize(level.boss->imgNum)) << level.boss->id.str();
    for (const TEnemyClassNode& n : p1EC) {
        EXPECT_EQ(n.enemyClass.size, MakeSize(n.enemyClass.imgNum)) << n.enemyClass.id.str();
    }
    for (const TBulletClass& b : p1BC) {
        EXPECT_EQ(b.size, MakeSize(b.imgNum)) << b.id.str();
    }
}

} // namespace
