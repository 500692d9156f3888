// Files that Dataquill writes from typed answers are read by the game's own
// readers into the values that were typed. The records are drawn at random
// with a fixed seed, and all of them are entered in one run of the tool.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "common.h"
#include "enemydata.h"
#include "game.h"
#include "game_setup.h"
#include "harness.h"
#include "rastrum.h"
#include "win32.h"

namespace {

namespace fs = std::filesystem;

class HeadlessEnvironment : public ::testing::Environment
{
  public:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(gamesetup::Start(error)) << error;
    }
};

[[maybe_unused]] const auto* const environment =
    ::testing::AddGlobalTestEnvironment(new HeadlessEnvironment);

struct EnemyRecord
{
    std::string file;
    std::string id;
    std::vector<std::string> colorAnswers; // red, green, blue, yellow as typed
    std::array<bool, 4> color{};
    uint32_t health = 0;
    std::string bullet;
    uint32_t shoot = 0;
    uint32_t move = 0;
    uint32_t frequency = 0;
    bool isBoss = false;
};

struct BulletRecord
{
    std::string file;
    std::string id;
    std::array<uint32_t, 5> damage{};
    float speed = 0;
    float accel = 0;
};

struct LevelRecord
{
    uint32_t number = 0;
    std::string playMode;
    TPlayMode expectedMode = plMoNorm;
    uint32_t bossDelay = 0;
    std::string boss;
    std::vector<std::string> allowed;
};

class RoundTrip : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        fs::create_directory(dir_ / "data");
        Reset();
    }
    void TearDown() override { Reset(); }
    static void Reset()
    {
        gamesetup::ClearGameData();
        PlayMode = plMoNorm;
    }

    std::string RandomId(size_t minLength = 1)
    {
        static const std::string kChars = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefgh0123456789_- ";
        for (;;) {
            // Every length up to the full 20 characters, the full one often.
            size_t length = std::uniform_int_distribution<size_t>(minLength, 22)(rng_);
            length = std::min<size_t>(length, 20);
            std::string id;
            for (size_t i = 0; i < length; ++i) {
                id += kChars[std::uniform_int_distribution<size_t>(0, kChars.size() - 1)(rng_)];
            }
            // Leading and trailing blanks are kept by both sides, but an
            // identifier that is all blanks would read as an empty one.
            if (id.front() != ' ' && usedIds_.insert(id).second) {
                return id;
            }
        }
    }
    uint32_t RandomCard(uint32_t max = 0xFFFFFFFFu)
    {
        return std::uniform_int_distribution<uint32_t>(0, max)(rng_);
    }
    template <typename T> const T& Pick(const std::vector<T>& v)
    {
        return v[std::uniform_int_distribution<size_t>(0, v.size() - 1)(rng_)];
    }

    BulletRecord MakeBullet(size_t i)
    {
        BulletRecord b;
        b.file = "data/b" + std::to_string(i) + ".blt";
        b.id = RandomId();
        for (auto& d : b.damage) {
            d = RandomCard();
        }
        b.speed = std::uniform_real_distribution<float>(-50.0f, 50.0f)(rng_);
        b.accel = std::uniform_real_distribution<float>(-2.0f, 2.0f)(rng_);
        return b;
    }

    EnemyRecord MakeEnemy(size_t i, bool isBoss, const std::vector<BulletRecord>& bullets)
    {
        EnemyRecord e;
        e.file = "data\\" + std::string(isBoss ? "k" : "e") + std::to_string(i) +
                 (isBoss ? ".bss" : ".nmi");
        e.id = RandomId();
        e.isBoss = isBoss;
        static const std::vector<std::string> kAnswers = {"TRUE", "FALSE",    "false", "yes",
                                                          "",     "TRUE now", "True"};
        for (size_t c = 0; c < 4; ++c) {
            std::string a = Pick(kAnswers);
            e.colorAnswers.push_back(a);
            e.color[c] = a.rfind("TRUE", 0) == 0 && (a.size() == 4 || a[4] == ' ');
        }
        e.health = RandomCard();
        // Mostly a bullet class that exists, sometimes one that does not.
        e.bullet = RandomCard(3) == 0 ? RandomId() : Pick(bullets).id;
        e.shoot = RandomCard(9);
        e.move = Pick(std::vector<uint32_t>{0, 1, 2, 7, 66, 4000000000u});
        e.frequency = RandomCard(1000);
        return e;
    }

    static std::string RealAnswer(float v)
    {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.6g", static_cast<double>(v));
        return buf;
    }

    static void AddAnswers(std::string& in, const std::vector<std::string>& answers)
    {
        for (const auto& a : answers) {
            in += a + "\n";
        }
    }

    static void EnterBullet(std::string& in, const BulletRecord& b)
    {
        AddAnswers(in, {"2", b.file, b.id});
        for (uint32_t d : b.damage) {
            AddAnswers(in, {std::to_string(d)});
        }
        AddAnswers(in, {RealAnswer(b.speed), RealAnswer(b.accel)});
    }

    static void EnterEnemy(std::string& in, const EnemyRecord& e)
    {
        AddAnswers(in, {"1", e.file, e.id});
        AddAnswers(in, e.colorAnswers);
        AddAnswers(in, {std::to_string(e.health), e.bullet, std::to_string(e.shoot),
                        std::to_string(e.move), std::to_string(e.frequency)});
    }

    static void EnterLevel(std::string& in, const LevelRecord& l)
    {
        AddAnswers(in, {"3", "data/" + LevelFileName(l.number), l.playMode,
                        std::to_string(l.bossDelay), l.boss});
        AddAnswers(in, l.allowed);
        AddAnswers(in, {""});
    }

    void RunQuill(const std::string& input)
    {
        auto r = harness::Run(DATAQUILL_BINARY, {}, dir_.str(), input + "0\n", 60);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        ASSERT_EQ(r.out.find("Could not write"), std::string::npos) << r.out;
    }

    std::mt19937 rng_{20261207u};
    std::set<std::string> usedIds_;
    harness::TempDir dir_;
    harness::ScopedCwd cwd_{dir_.path()};
};

TEST_F(RoundTrip, BulletClassesReadAsEntered)
{
    std::vector<BulletRecord> bullets;
    for (size_t i = 0; i < 12; ++i) {
        bullets.push_back(MakeBullet(i));
    }
    bullets[0].speed = 2.5f;    // a half step of the last shown digit
    bullets[0].accel = -0.125f; // exact in three decimals
    bullets[1].speed = 0.0f;
    bullets[1].damage = {0, 0xFFFFFFFFu, 1, 0, 4294967294u};
    std::string input;
    for (const auto& b : bullets) {
        EnterBullet(input, b);
    }
    ASSERT_NO_FATAL_FAILURE(RunQuill(input));

    for (const auto& b : bullets) {
        SCOPED_TRACE(b.file + " " + b.id);
        std::ifstream file(dir_ / b.file, std::ios::binary);
        ASSERT_TRUE(file);
        const TBulletClass cls = RdBulletClass(file);
        EXPECT_EQ(cls.id.str(), b.id);
        for (size_t c = 0; c < 5; ++c) {
            EXPECT_EQ(cls.damage[c], b.damage[c]) << "colour " << c;
        }
        // The file keeps three decimals.
        EXPECT_NEAR(cls.speed, b.speed, 0.0005 + 1e-5);
        EXPECT_NEAR(cls.accel, b.accel, 0.0005 + 1e-5);
    }
    std::ifstream exact(dir_ / bullets[0].file, std::ios::binary);
    const TBulletClass cls = RdBulletClass(exact);
    EXPECT_EQ(cls.speed, 2.5f);
    EXPECT_EQ(cls.accel, -0.125f);
}

TEST_F(RoundTrip, EnemyAndBossClassesReadAsEntered)
{
    std::vector<BulletRecord> bullets;
    std::string input;
    for (size_t i = 0; i < 3; ++i) {
        bullets.push_back(MakeBullet(i));
        EnterBullet(input, bullets.back());
    }
    std::vector<EnemyRecord> enemies;
    for (size_t i = 0; i < 16; ++i) {
        enemies.push_back(MakeEnemy(i, i % 4 == 3, bullets));
        EnterEnemy(input, enemies.back());
    }
    ASSERT_NO_FATAL_FAILURE(RunQuill(input));
    LoadBulletClasses();
    ASSERT_EQ(p1BC.size(), bullets.size());

    for (const auto& e : enemies) {
        SCOPED_TRACE(e.file + " " + e.id);
        std::string path = e.file;
        std::replace(path.begin(), path.end(), '\\', '/');
        std::ifstream file(dir_ / path, std::ios::binary);
        ASSERT_TRUE(file);
        const TEnemyClass cls = RdEnemyClass(file, e.isBoss);
        EXPECT_EQ(cls.id.str(), e.id);
        for (size_t c = 0; c < 4; ++c) {
            EXPECT_EQ(cls.color[c], e.color[c]) << "answer \"" << e.colorAnswers[c] << "\"";
        }
        EXPECT_FALSE(cls.color[neutral]);
        EXPECT_EQ(cls.health, e.health);
        EXPECT_EQ(cls.shoot, CardToPShootPattern(e.shoot)) << e.shoot;
        EXPECT_EQ(cls.move, CardToPMovePattern(e.move)) << e.move;
        EXPECT_EQ(cls.frequency, e.frequency);
        EXPECT_EQ(cls.isBoss, e.isBoss);
        // An unknown bullet class falls back on the first one read.
        ASSERT_NE(cls.bullet, nullptr);
        const bool known = std::any_of(bullets.begin(), bullets.end(),
                                       [&](const BulletRecord& b) { return b.id == e.bullet; });
        EXPECT_EQ(cls.bullet->id.str(), known ? e.bullet : p1BC.front().id.str());
    }
}

TEST_F(RoundTrip, LevelsLoadAsEntered)
{
    std::vector<BulletRecord> bullets = {MakeBullet(0)};
    std::vector<EnemyRecord> ordinary, bosses;
    for (size_t i = 0; i < 6; ++i) {
        ordinary.push_back(MakeEnemy(i, false, bullets));
    }
    for (size_t i = 0; i < 3; ++i) {
        bosses.push_back(MakeEnemy(i, true, bullets));
    }

    const std::vector<std::pair<std::string, TPlayMode>> modes = {
        {"NORM", plMoNorm}, {"BIKE", plMoBike}, {"EEGG", plMoEegg}, {"RUDI", plMoRudi},
        {"MENU", plMoMenu}, {"rudi", plMoRudi}, {"Bike", plMoBike}, {"NORMAL", plMoNorm},
        {"eeggs", plMoEegg}}; // the tool keeps the first four characters
    std::vector<LevelRecord> levels;
    for (uint32_t n : {1u, 2u, 7u, 42u, 99u, 100u, 999u, 1000u, 1234u}) {
        LevelRecord l;
        l.number = n;
        const auto& mode = Pick(modes);
        l.playMode = mode.first;
        l.expectedMode = mode.second;
        l.bossDelay = RandomCard();
        // A boss class, now and then an ordinary class standing in as the boss.
        l.boss = RandomCard(4) == 0 ? Pick(ordinary).id : Pick(bosses).id;
        const uint32_t count = RandomCard(5);
        for (uint32_t k = 0; k < count; ++k) {
            l.allowed.push_back(RandomCard(5) == 0 ? Pick(bosses).id : Pick(ordinary).id);
        }
        levels.push_back(l);
    }
    levels[0].allowed.clear(); // a level without allowed enemies
    std::string input;
    EnterBullet(input, bullets[0]);
    for (const auto& e : ordinary) {
        EnterEnemy(input, e);
    }
    for (const auto& e : bosses) {
        EnterEnemy(input, e);
    }
    for (const auto& l : levels) {
        EnterLevel(input, l);
    }
    ASSERT_NO_FATAL_FAILURE(RunQuill(input));

    LoadBulletClasses();
    LoadEnemyClasses();
    LoadBosses();
    ASSERT_EQ(p1EC.size(), ordinary.size() + bosses.size());
    const std::string first = p1EC.front().enemyClass.id.str();
    ASSERT_FALSE(p1EC.front().enemyClass.isBoss);

    for (const auto& l : levels) {
        SCOPED_TRACE(LevelFileName(l.number));
        bool ok = false;
        const TLevel header = LoadLevel(l.number, false, ok);
        ASSERT_TRUE(ok);
        EXPECT_EQ(header.playMode, l.expectedMode) << l.playMode;

        const TLevel level = LoadLevel(l.number, true, ok);
        ASSERT_TRUE(ok);
        EXPECT_EQ(level.number, l.number);
        EXPECT_EQ(level.playMode, l.expectedMode);
        EXPECT_EQ(level.bossDelay, l.bossDelay);
        ASSERT_NE(level.boss, nullptr);
        EXPECT_EQ(level.boss->id.str(), l.boss);

        // Every listed ordinary class counts, bosses are passed over, and the
        // closing empty line and the end of the file count the first class.
        // An identifier of exactly 20 characters leaves its line end for one
        // more empty read, which counts the first class too.
        std::set<std::string> enabled = {first};
        uint32_t count = 2 + (l.boss.size() == 20 ? 1 : 0);
        for (const auto& id : l.allowed) {
            const bool isBoss = std::any_of(bosses.begin(), bosses.end(),
                                            [&](const EnemyRecord& b) { return b.id == id; });
            if (!isBoss) {
                enabled.insert(id);
                ++count;
            }
            if (id.size() == 20) {
                ++count;
            }
        }
        EXPECT_EQ(level.numOfEnemies, count);
        std::set<std::string> actual;
        for (const auto& node : p1EC) {
            if (node.enabled) {
                actual.insert(node.enemyClass.id.str());
            }
        }
        EXPECT_EQ(actual, enabled);
    }
}

} // namespace
