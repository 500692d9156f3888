#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "common.h"
#include "data_fixtures.h"
#include "enemydata.h"
#include "shell_testing.h"
#include "win32_testing.h"

namespace {

TEnemyClass MakeClass(const std::string& id, bool isBoss = false)
{
    TEnemyClass c;
    c.id = TID(id);
    c.isBoss = isBoss;
    return c;
}

std::vector<std::string> Ids(const TEnemyClassChain& c)
{
    std::vector<std::string> ids;
    for (const auto& n : c) {
        ids.push_back(n.enemyClass.id.str());
    }
    return ids;
}

TEST(TID, ComparesUpToTheFirstNulCaseSensitively)
{
    EXPECT_FALSE(TID("ABC") == TID("ABCD"));
    EXPECT_FALSE(TID("abc") == TID("ABC"));
    EXPECT_TRUE(TID("ABC") == TID("ABC"));
    const std::string twenty = "ABCDEFGHIJKLMNOPQRST";
    EXPECT_TRUE(TID(twenty) == TID(twenty));
    EXPECT_EQ(TID(twenty).str(), twenty);
    EXPECT_TRUE(TID(twenty + "XYZ") == TID(twenty)); // cut at 20
    EXPECT_FALSE(TID(twenty) == TID("ABCDEFGHIJKLMNOPQRS"));
    EXPECT_TRUE(TID("") == TID());
}

TEST(Chains, AppendKeepsOrderAndAddressesAndClearsEnabled)
{
    TEnemyClassChain c;
    TEnemyClass a = MakeClass("A");
    AddEnemyClass(a, c);
    TEnemyClass* first = &c.front().enemyClass;
    c.front().enabled = true;
    AddEnemyClass(MakeClass("B"), c);
    AddEnemyClass(MakeClass("C"), c);
    EXPECT_EQ(Ids(c), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(first, &c.front().enemyClass); // earlier records stay where they were
    EXPECT_TRUE(c.front().enabled);
    for (auto it = std::next(c.begin()); it != c.end(); ++it) {
        EXPECT_FALSE(it->enabled);
    }
}

TEST(Chains, RemoveHeadMiddleAndLast)
{
    TEnemyChain c;
    RemoveEnemyChain(c); // empty: nothing happens
    for (int i = 1; i <= 4; ++i) {
        AddEnemy(TEnemy{nullptr, {i, 0}, {}, 0, 0}, c);
    }
    auto nth = [&c](int n) { return &*std::next(c.begin(), n); };
    RemoveEnemy(nth(0), c); // head: 2 3 4
    RemoveEnemy(nth(1), c); // middle: 2 4
    TEnemy* last = nth(1);
    RemoveEnemy(last, c); // last: 2
    ASSERT_EQ(c.size(), 1u);
    EXPECT_EQ(c.front().pos.x, 2);
    TEnemy stranger;
    RemoveEnemy(&stranger, c); // not in the chain: nothing happens
    EXPECT_EQ(c.size(), 1u);
    RemoveEnemyChain(c);
    EXPECT_TRUE(c.empty());

    TBulletChain b;
    TBullet stray;
    RemoveBullet(&stray, b); // empty chain
    for (int i = 0; i < 3; ++i) {
        AddBullet(TBullet{nullptr, {{i, i}, {}, {}}}, b);
    }
    RemoveBullet(&*std::next(b.begin()), b);
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b.front().kin.pos.x, 0);
    EXPECT_EQ(b.back().kin.pos.x, 2);
    RemoveBulletChain(b);
    EXPECT_TRUE(b.empty());
}

TEST(Chains, FindGivesTheFirstMatchElseTheHeadElseNull)
{
    TEnemyClassChain c;
    EXPECT_EQ(FindEnemyClass(TID("A"), c), nullptr);
    AddEnemyClass(MakeClass("H"), c);
    AddEnemyClass(MakeClass("A"), c);
    AddEnemyClass(MakeClass("A"), c);
    EXPECT_EQ(FindEnemyClass(TID("A"), c), &*std::next(c.begin()));
    EXPECT_EQ(FindEnemyClass(TID("NOPE"), c), &c.front());
    EXPECT_EQ(FindEnemyClass(TID(""), c), &c.front());

    TBulletClassChain b;
    EXPECT_EQ(FindBulletClass(TID("X"), b), nullptr);
    TBulletClass x;
    x.id = TID("X");
    TBulletClass y;
    y.id = TID("Y");
    AddBulletClass(x, b);
    AddBulletClass(y, b);
    EXPECT_EQ(FindBulletClass(TID("Y"), b), &b.back());
    EXPECT_EQ(FindBulletClass(TID("y"), b), &b.front());
}

TEST(Chains, ColorCardTakesItsArgumentsInColourOrder)
{
    const TColorCard card = MakeTColorCard(1, 2, 3, 4, 5);
    EXPECT_EQ(card[red], 1u);
    EXPECT_EQ(card[green], 2u);
    EXPECT_EQ(card[blue], 3u);
    EXPECT_EQ(card[yellow], 4u);
    EXPECT_EQ(card[neutral], 5u);
    EXPECT_STREQ(ColorName(yellow), "yellow");
    EXPECT_STREQ(ColorName(neutral), "neutral");
}

class PickTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        for (const char* id : {"A", "B", "C"}) {
            AddEnemyClass(MakeClass(id), c);
        }
    }
    std::string Pick(uint32_t draw)
    {
        TEnemyClass* p = PickEnabledClass(c, draw);
        return p ? p->id.str() : "none";
    }
    void Enable(std::initializer_list<bool> flags)
    {
        auto it = c.begin();
        for (bool f : flags) {
            (it++)->enabled = f;
        }
    }
    TEnemyClassChain c;
};

TEST_F(PickTest, CountsEnabledClassesWithWrapAround)
{
    Enable({true, false, true});
    EXPECT_EQ(Pick(0), "none");
    EXPECT_EQ(Pick(1), "A");
    EXPECT_EQ(Pick(2), "C");
    EXPECT_EQ(Pick(3), "A");
    EXPECT_EQ(Pick(4), "C");
    EXPECT_EQ(Pick(4000000001u), "A");
}

TEST_F(PickTest, NoneEnabledOrNoDrawGivesNone)
{
    Enable({false, false, false});
    EXPECT_EQ(Pick(1), "none");
    EXPECT_EQ(Pick(4294967295u), "none");
    Enable({true, true, true});
    EXPECT_EQ(RandomEnemyClass(c, 0), nullptr);
    TEnemyClassChain empty;
    EXPECT_EQ(RandomEnemyClass(empty, 10), nullptr);
}

TEST_F(PickTest, RandomClassReseedsFromTheClock)
{
    Enable({true, true, true});
    w32::testing::Reset(true);
    w32::testing::AdvanceClock(7030); // 12:00:07.03: seed 7 x 3
    for (uint32_t lim : {3u, 5u, 1000u}) {
        RandomSeed(21);
        TEnemyClass* expected = PickEnabledClass(c, RandomBelow(lim));
        EXPECT_EQ(RandomEnemyClass(c, lim), expected) << lim;
    }
    // Within one hundredth of a second every call draws alike.
    TEnemyClass* first = RandomEnemyClass(c, 1000);
    EXPECT_EQ(RandomEnemyClass(c, 1000), first);
}

TEST(Random, DeterministicForASeedAndUniformBelowTheLimit)
{
    RandomSeed(1234);
    std::vector<uint32_t> a;
    for (int i = 0; i < 50; ++i) {
        a.push_back(RandomBelow(1000));
    }
    RandomSeed(1234);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(RandomBelow(1000), a[static_cast<size_t>(i)]);
    }
    EXPECT_EQ(RandomBelow(0), 0u);
    EXPECT_EQ(RandomBelow(1), 0u);
    std::vector<int> counts(5);
    for (int i = 0; i < 50000; ++i) {
        uint32_t v = RandomBelow(5);
        ASSERT_LT(v, 5u);
        ++counts[v];
    }
    for (int n : counts) {
        EXPECT_NEAR(n, 10000, 600);
    }
    RandomSeed(1);
    const uint32_t s1 = RandomBelow(1u << 31);
    RandomSeed(2);
    EXPECT_NE(RandomBelow(1u << 31), s1);
}

// ---------------------------------------------------------------- patterns

class PatternTest : public datatest::ScratchTest
{
  protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        bullet.speed = 6.0f;
        bullet.accel = 0.5f;
        AddBulletClass(bullet, p1BC);
        cls.bullet = &p1BC.front();
        cls.frequency = 1;
        enemy.cls = &cls;
        enemy.pos = {400, 100};
    }
    TBullet Shot()
    {
        EXPECT_EQ(p1Be.size(), 1u);
        TBullet b = p1Be.empty() ? TBullet{} : p1Be.back();
        p1Be.clear();
        return b;
    }
    TBulletClass bullet;
    TEnemyClass cls;
    TEnemy enemy;
};

TEST_F(PatternTest, NumbersMapToPatterns)
{
    for (uint32_t n : {0u, 1u, 2u, 7u, 65u, 67u}) {
        EXPECT_EQ(CardToPMovePattern(n), &MovePatt1) << n;
    }
    EXPECT_EQ(CardToPMovePattern(66), &MovePattBoss);
    const TPatternProc shoot[] = {ShootPatt0, ShootPatt1, ShootPatt2,
                                  ShootPatt3, ShootPatt4, ShootPatt5};
    for (uint32_t n = 0; n < 6; ++n) {
        EXPECT_EQ(CardToPShootPattern(n), shoot[n]);
        EXPECT_EQ(ShootPatternNumber(shoot[n]), n);
    }
    EXPECT_EQ(CardToPShootPattern(9), &ShootPatt1);
    EXPECT_EQ(MovePatternNumber(MovePattBoss), 66u);
    EXPECT_EQ(MovePatternNumber(MovePatt1), 1u);
}

TEST_F(PatternTest, ShotGateFiresEveryFrequencyCalls)
{
    cls.frequency = 3;
    std::vector<uint32_t> statuses;
    std::vector<size_t> fired;
    for (int call = 1; call <= 7; ++call) {
        const size_t before = p1Be.size();
        ShootPatt1(&enemy, {});
        if (p1Be.size() > before) {
            fired.push_back(static_cast<size_t>(call));
        }
        statuses.push_back(enemy.status);
    }
    EXPECT_EQ(fired, (std::vector<size_t>{1, 4, 7}));
    EXPECT_EQ(statuses, (std::vector<uint32_t>{1, 2, 0, 1, 2, 0, 1}));
}

TEST_F(PatternTest, FrequencyZeroOrNoBulletClassNeverFires)
{
    cls.frequency = 0;
    for (TPatternProc p : {ShootPatt1, ShootPatt2, ShootPatt3, ShootPatt5}) {
        p(&enemy, {400, 500});
    }
    EXPECT_TRUE(p1Be.empty());
    EXPECT_EQ(enemy.status, 0u);
    cls.frequency = 1;
    cls.bullet = nullptr;
    for (TPatternProc p : {ShootPatt1, ShootPatt2, ShootPatt4, ShootPatt5}) {
        p(&enemy, {400, 500});
    }
    EXPECT_TRUE(p1Be.empty());
    ShootPatt0(&enemy, {400, 500});
    EXPECT_EQ(enemy.status, 0u);
}

TEST_F(PatternTest, StraightShotRoundsSpeedAndAccelHalvesToEven)
{
    struct Case
    {
        float speed, accel;
        int32_t spdY, accY;
    };
    for (const Case& c :
         {Case{7.5f, 0.5f, 8, 0}, Case{2.5f, 1.5f, 2, 2}, Case{3.5f, -0.6f, 4, -1}}) {
        p1BC.front().speed = c.speed;
        p1BC.front().accel = c.accel;
        ShootPatt1(&enemy, {0, 0});
        const TBullet b = Shot();
        EXPECT_EQ(b.kin.spd, (TVector{0, c.spdY})) << c.speed;
        EXPECT_EQ(b.kin.acc, (TVector{0, c.accY})) << c.accel;
        EXPECT_EQ(b.cls, &p1BC.front());
    }
}

TEST_F(PatternTest, AimedShotScalesTheDirection)
{
    ShootPatt2(&enemy, {400, 500});
    TBullet b = Shot();
    EXPECT_EQ(b.kin.spd, (TVector{0, 6}));
    EXPECT_EQ(b.kin.acc, (TVector{0, 1}));
    ShootPatt2(&enemy, {700, 500});
    b = Shot();
    EXPECT_EQ(b.kin.spd, (TVector{4, 5}));
    EXPECT_EQ(b.kin.acc, (TVector{1, 1}));
    ShootPatt2(&enemy, enemy.pos); // no direction: fires without moving
    b = Shot();
    EXPECT_EQ(b.kin.spd, (TVector{0, 0}));
}

TEST_F(PatternTest, GuardedShotWaitsWhileThePlayerIsAbove)
{
    for (TPatternProc p : {ShootPatt3, ShootPatt4}) {
        enemy.status = 0;
        cls.frequency = 2;
        p(&enemy, {400, 99});
        EXPECT_TRUE(p1Be.empty());
        EXPECT_EQ(enemy.status, 0u);
        p(&enemy, {400, 100}); // level with the enemy
        Shot();
        EXPECT_EQ(enemy.status, 1u);
    }
}

TEST_F(PatternTest, CornerShotAimsAtTheFarBottomCorner)
{
    p1BC.front().speed = 100.0f;
    struct Case
    {
        int32_t x;
        TVector corner;
    };
    for (const Case& c : {Case{494, {790, 690}}, Case{495, {200, 690}}, Case{600, {200, 690}}}) {
        enemy.pos = {c.x, 100};
        ShootPatt5(&enemy, {c.x, 100}); // the player is ignored
        const TBullet b = Shot();
        EXPECT_EQ(b.kin.spd, ConstructVector(100.0f, c.corner, enemy.pos)) << c.x;
        EXPECT_EQ(c.corner.x > c.x, b.kin.spd.x > 0) << c.x;
    }
}

TEST_F(PatternTest, ShotStartsAtTheLowerEdgeOfTheImage)
{
    WritePng("e40.png", 10, 40);
    WritePng("e41.png", 10, 41);
    const uint32_t img40 = AddImage(".\\e40.png");
    const uint32_t img41 = AddImage(".\\e41.png");
    ASSERT_EQ(MakeSize(img40), (TVector{10, 40}));
    enemy.pos = {300, 50};
    for (uint32_t img : {img40, img41}) {
        cls.imgNum = img;
        ShootPatt1(&enemy, {});
        EXPECT_EQ(Shot().kin.pos, (TVector{300, 70}));
    }
    EXPECT_EQ(CentorPosToShootPos({300, 50}, img41, true), (TVector{300, 30}));
}

TEST_F(PatternTest, OrdinaryEnemiesFallFivePixels)
{
    enemy.spd = {3, 3};
    MovePatt1(&enemy, {0, 0});
    EXPECT_EQ(enemy.pos, (TVector{400, 105}));
}

TEST_F(PatternTest, BossSinksThenSweepsBetweenTheEdges)
{
    cls.size = {100, 200};
    enemy.pos = {495, 10};
    enemy.spd = {10, 0};
    int ticks = 0;
    while (enemy.pos.y < 100 && ticks < 100) {
        MovePattBoss(&enemy, {});
        ++ticks;
    }
    EXPECT_EQ(ticks, 18);
    EXPECT_EQ(enemy.pos, (TVector{495, 100}));
    MovePattBoss(&enemy, {});
    EXPECT_EQ(enemy.pos, (TVector{505, 100})); // now sweeping right

    enemy.pos = {739, 100};
    MovePattBoss(&enemy, {});
    EXPECT_EQ(enemy.pos, (TVector{749, 100})); // not yet at the line
    MovePattBoss(&enemy, {});
    EXPECT_EQ(enemy.spd, (TVector{-10, 0}));
    EXPECT_EQ(enemy.pos, (TVector{739, 100}));

    enemy.pos = {250, 100};
    MovePattBoss(&enemy, {});
    EXPECT_EQ(enemy.spd, (TVector{10, 0}));
    EXPECT_EQ(enemy.pos, (TVector{260, 100}));
}

} // namespace
