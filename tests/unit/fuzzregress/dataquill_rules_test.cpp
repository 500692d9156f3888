// Dataquill keeps its own copy of the game's reading rules, since it links
// nothing of the game's. Every committed fuzz seed of a data file is read by
// both, and both must read the same fields.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common.h"
#include "dataquill_rules.h"
#include "enemydata.h"
#include "game.h"
#include "game_setup.h"
#include "harness.h"

namespace fs = std::filesystem;

namespace {

// The seeds of one fuzz target: file name and contents.
std::vector<std::pair<std::string, std::string>> Seeds(const std::string& target)
{
    std::vector<std::pair<std::string, std::string>> seeds;
    for (const auto& entry :
         fs::directory_iterator(fs::path(ZODUZOR_SOURCE_DIR) / "tests/fuzz/corpus" / target)) {
        seeds.emplace_back(entry.path().filename().string(), harness::ReadFile(entry.path()));
    }
    EXPECT_FALSE(seeds.empty()) << target;
    return seeds;
}

// The chains hold first a class that no file names, then classes named
// exactly as Dataquill read the identifiers: the game's lookup finds the same
// class only when the game read the same identifier.
const char* const kFirst = "FIRST_OF_THE_CHAIN";

void AddBulletClassNamed(const std::string& id)
{
    TBulletClass cls;
    cls.id = TID(id);
    AddBulletClass(cls, p1BC);
}

void AddEnemyClassNamed(const std::string& id, bool isBoss)
{
    for (const auto& node : p1EC) {
        if (node.enemyClass.id == TID(id)) {
            return;
        }
    }
    TEnemyClass cls;
    cls.id = TID(id);
    cls.isBoss = isBoss;
    AddEnemyClass(cls, p1EC);
}

class DataquillRules : public ::testing::Test
{
  protected:
    void SetUp() override { gamesetup::ClearGameData(); }
    void TearDown() override { gamesetup::ClearGameData(); }
};

TEST_F(DataquillRules, EnemyAndBossFilesReadAsTheGameReadsThem)
{
    for (const bool isBoss : {false, true}) {
        for (const auto& [name, seed] : Seeds(isBoss ? "fuzz_boss_class" : "fuzz_enemy_class")) {
            const quill::TEnemyClassFile dq = quill::ReadRecord(quill::FileKind::Enemy, seed).enemy;
            p1BC.clear();
            AddBulletClassNamed(kFirst);
            AddBulletClassNamed(dq.bullet);
            std::istringstream in(seed);
            const TEnemyClass cls = RdEnemyClass(in, isBoss);
            EXPECT_EQ(cls.id, TID(dq.id)) << name;
            for (int c = red; c <= yellow; ++c) {
                EXPECT_EQ(cls.color[static_cast<size_t>(c)], dq.color[static_cast<size_t>(c)])
                    << name << " colour " << c;
            }
            EXPECT_EQ(cls.health, dq.health) << name;
            EXPECT_EQ(cls.bullet, FindBulletClass(TID(dq.bullet), p1BC)) << name;
            EXPECT_EQ(ShootPatternNumber(cls.shoot),
                      ShootPatternNumber(CardToPShootPattern(dq.shoot)))
                << name;
            EXPECT_EQ(MovePatternNumber(cls.move), MovePatternNumber(CardToPMovePattern(dq.move)))
                << name;
            EXPECT_EQ(cls.frequency, dq.frequency) << name;
        }
    }
}

TEST_F(DataquillRules, BulletFilesReadAsTheGameReadsThem)
{
    for (const auto& [name, seed] : Seeds("fuzz_bullet_class")) {
        const quill::TBulletClassFile dq = quill::ReadRecord(quill::FileKind::Bullet, seed).bullet;
        std::istringstream in(seed);
        const TBulletClass cls = RdBulletClass(in);
        EXPECT_EQ(cls.id, TID(dq.id)) << name;
        for (size_t c = 0; c < cls.damage.size(); ++c) {
            EXPECT_EQ(cls.damage[c], dq.damage[c]) << name << " colour " << c;
        }
        EXPECT_EQ(cls.speed, dq.speed) << name;
        EXPECT_EQ(cls.accel, dq.accel) << name;
    }
}

TEST_F(DataquillRules, LevelFilesReadAsTheGameReadsThem)
{
    harness::TempDir dir;
    const harness::ScopedCwd cwd(dir.path());
    for (const auto& [name, seed] : Seeds("fuzz_level")) {
        const quill::Record dq = quill::ReadRecord(quill::FileKind::Level, seed);
        p1EC.clear();
        AddEnemyClassNamed(kFirst, false);
        AddEnemyClassNamed(dq.level.boss, true);
        for (const auto& id : dq.allowed) {
            AddEnemyClassNamed(id, false);
        }
        harness::WriteFile(dir / "data" / "001.LVL", seed);

        bool ok = false;
        const TLevel level = LoadLevel(1, true, ok);
        ASSERT_TRUE(ok) << name;
        EXPECT_EQ(level.playMode, StrToPlayMode(dq.level.playMode)) << name;
        EXPECT_EQ(level.bossDelay, dq.level.bossDelay) << name;
        EXPECT_EQ(level.boss, &FindEnemyClass(TID(dq.level.boss), p1EC)->enemyClass) << name;
        // Every read of the list enables the class it names (the first class
        // for a name that names none) unless that class is a boss.
        std::set<const TEnemyClassNode*> enabled;
        uint32_t count = 0;
        for (const auto& id : dq.allowed) {
            const TEnemyClassNode* node = FindEnemyClass(TID(id), p1EC);
            if (!node->enemyClass.isBoss) {
                enabled.insert(node);
                ++count;
            }
        }
        EXPECT_EQ(level.numOfEnemies, count) << name;
        for (const auto& node : p1EC) {
            EXPECT_EQ(node.enabled, enabled.count(&node) == 1)
                << name << " " << node.enemyClass.id.str();
        }
    }
}

} // namespace
