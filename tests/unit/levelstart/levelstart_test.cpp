// Starting a level over and over again: the class chains grow by the classes
// read (they are kept by design), and nothing else does — no image, sound,
// buffer or instance node survives its level.
#include <malloc.h>
#include <unistd.h>

#include <filesystem>
#include <string>

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

TEST(LevelStart, HundredStartsGrowOnlyTheClassChains)
{
    harness::GameDir dir;
    const fs::path before = fs::current_path();
    fs::current_path(dir.path());

    std::string error;
    ASSERT_TRUE(gamesetup::Start(error)) << error;
    LoadUserSettings();
    InitPlayers();

    const size_t bullets = CountFiles(dir / "data", ".blt");
    const size_t enemies = CountFiles(dir / "data", ".nmi") + CountFiles(dir / "data", ".bss");
    ASSERT_GT(bullets, 0u);
    ASSERT_GT(enemies, 0u);

    auto startLevelOne = [] {
        level.number = 0;
        InitLevel(nullptr);
    };
    // Warm up: caches of fonts, paths and the allocator settle.
    for (int i = 0; i < 5; ++i)
        startLevelOne();
    const size_t heapBefore = mallinfo2().uordblks;
    const size_t ecBefore = p1EC.size();
    const size_t bcBefore = p1BC.size();

    constexpr int kStarts = 100;
    for (int i = 0; i < kStarts; ++i) {
        startLevelOne();
        ASSERT_TRUE(isLoading);
        ASSERT_FALSE(isGameOver);
        // The screen's 13 images, one per class, and the ship: numbered afresh.
        ASSERT_EQ(numOfImg, 13 + bullets + enemies + 1);
        ASSERT_TRUE(p1E.empty() && p1Bp.empty() && p1Be.empty());
    }
    EXPECT_EQ(p1EC.size() - ecBefore, kStarts * enemies);
    EXPECT_EQ(p1BC.size() - bcBefore, kStarts * bullets);

    const size_t grown = mallinfo2().uordblks - heapBefore;
    const size_t perStart = grown / kStarts;
    // What the chains keep by design: one node per class read.
    const size_t kept = enemies * (sizeof(TEnemyClassNode) + 4 * sizeof(void*)) +
                        bullets * (sizeof(TBulletClass) + 4 * sizeof(void*));
    EXPECT_LE(perStart, kept + 1024)
        << "heap grew " << grown << " bytes over " << kStarts
        << " level starts; class nodes account for " << kept << " a start";

    FreeGraphics();
    FreeBuffer();
    fs::current_path(before);
}

} // namespace
