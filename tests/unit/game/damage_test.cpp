// Colour damage, lives, score and the collision passes of the play screen.
#include <gtest/gtest.h>

#include "game.h"
#include "highscore.h"

namespace {

TEnemyClass MakeClass(std::initializer_list<TColor> colours, bool boss = false)
{
    TEnemyClass c;
    c.id = TID(boss ? "BOSS" : "ENEMY");
    for (TColor col : colours) {
        c.color[col] = true;
    }
    c.health = 100;
    c.size = MakeTVector(40, 40);
    c.isBoss = boss;
    c.frequency = 1;
    return c;
}

class PlayState : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        RemoveEnemyChain(p1E);
        RemoveBulletChain(p1Bp);
        RemoveBulletChain(p1Be);
        InitPlayFieldBounds();
        InitPlayers();
        isLoading = false;
        isHighScore = false;
        collisionDamage = 5;
        // An empty table: any score above 0 qualifies, so a game over stays
        // on the screen for the name entry instead of closing it.
        SetHighScores(THighScores{});
        TPlayer& p = players[1];
        p.col = red;
        p.size = MakeTVector(60, 60);
        bullet.id = TID("SHOT");
        bullet.size = MakeTVector(4, 4);
    }
    void TearDown() override
    {
        RemoveEnemyChain(p1E);
        RemoveBulletChain(p1Bp);
        RemoveBulletChain(p1Be);
    }

    TEnemy& Spawn(TEnemyClass& cls, TVector pos, uint32_t health)
    {
        TEnemy e;
        e.cls = &cls;
        e.pos = pos;
        e.health = health;
        AddEnemy(e, p1E);
        return p1E.back();
    }
    void Shoot(TBulletChain& chain, TVector pos, TColorCard damage)
    {
        bullet.damage = damage;
        bulletClasses.push_back(bullet);
        TBullet b;
        b.cls = &bulletClasses.back();
        b.kin.pos = pos;
        AddBullet(b, chain);
    }

    TBulletClass bullet;
    std::list<TBulletClass> bulletClasses;
};

struct EnemyHit
{
    std::vector<TColor> colours;
    uint32_t health;
    TColorCard card;
    bool destroyed;
    uint32_t left;
};

class EnemyDamage : public ::testing::TestWithParam<EnemyHit>
{
};

TEST_P(EnemyDamage, OwnColoursHalveTheirEntries)
{
    const EnemyHit& h = GetParam();
    TEnemyClass cls;
    for (TColor c : h.colours) {
        cls.color[c] = true;
    }
    TEnemy e;
    e.cls = &cls;
    e.health = h.health;
    EXPECT_EQ(DeductEnemyHealth(e, h.card), h.destroyed);
    EXPECT_EQ(e.health, h.left);
}

INSTANTIATE_TEST_SUITE_P(
    Cards, EnemyDamage,
    ::testing::Values(
        EnemyHit{{red}, 100, MakeTColorCard(10, 0, 0, 0, 0), false, 95},
        EnemyHit{{red}, 100, MakeTColorCard(0, 10, 0, 0, 0), false, 90},
        EnemyHit{{red}, 10, MakeTColorCard(20, 0, 0, 0, 0), true, 0},
        EnemyHit{{red}, 10, MakeTColorCard(19, 0, 0, 0, 0), false, 1},
        EnemyHit{{red}, 100, MakeTColorCard(11, 0, 0, 0, 0), false, 95}, // odd halves drop the rest
        EnemyHit{{red, blue}, 100, MakeTColorCard(10, 10, 10, 10, 0), false, 70},
        EnemyHit{{yellow}, 100, MakeTColorCard(0, 0, 0, 30, 8), false, 77},
        EnemyHit{{}, 100, MakeTColorCard(0, 0, 0, 0, 8), false, 92},
        EnemyHit{{neutral}, 100, MakeTColorCard(0, 0, 0, 0, 8), false, 96},
        EnemyHit{{}, 10, MakeTColorCard(0, 0, 0, 0, 10), true, 0},
        EnemyHit{{green}, 10, MakeTColorCard(5, 0, 0, 0, 5), true, 0}, // 5 then 5 more
        EnemyHit{
            {green}, 4000000000u, MakeTColorCard(0, 4000000000u, 0, 0, 0), false, 2000000000u}));

struct ShipHit
{
    TColor col;
    uint32_t shield; // energy of the current colour (the hull when neutral)
    uint32_t hull;
    TColorCard card;
    bool lost;
    uint32_t shieldLeft;
    uint32_t hullLeft;
};

class ShipDamage : public ::testing::TestWithParam<ShipHit>
{
};

TEST_P(ShipDamage, ShieldBlocksItsColourAndSoaksTheOthers)
{
    const ShipHit& h = GetParam();
    TPlayer p;
    p.col = h.col;
    p.health = MakeTColorCard(100, 100, 100, 100, h.hull);
    p.health[h.col] = h.shield;
    EXPECT_EQ(DeductPlayerHealth(p, h.card), h.lost);
    EXPECT_EQ(p.health[h.col], h.shieldLeft);
    EXPECT_EQ(p.health[neutral], h.hullLeft);
}

INSTANTIATE_TEST_SUITE_P(
    Cards, ShipDamage,
    ::testing::Values(
        ShipHit{red, 100, 20, MakeTColorCard(50, 0, 0, 0, 0), false, 100, 20},
        ShipHit{red, 100, 20, MakeTColorCard(0, 30, 0, 0, 0), false, 70, 20},
        ShipHit{red, 100, 20, MakeTColorCard(0, 130, 0, 0, 0), true, 0, 0},
        ShipHit{red, 100, 20, MakeTColorCard(0, 110, 0, 0, 0), false, 0, 10},
        ShipHit{red, 100, 20, MakeTColorCard(0, 120, 0, 0, 0), true, 0, 0}, // equal to the hull
        ShipHit{red, 0, 20, MakeTColorCard(999, 0, 0, 0, 0), false, 0,
                20}, // empty shield still blocks
        ShipHit{red, 0, 20, MakeTColorCard(0, 0, 7, 0, 0), false, 0, 13},
        ShipHit{red, 3, 20, MakeTColorCard(0, 0, 0, 0, 5), false, 0, 18},  // collision card
        ShipHit{red, 100, 0, MakeTColorCard(0, 0, 0, 0, 0), true, 100, 0}, // a dead hull
        ShipHit{neutral, 20, 20, MakeTColorCard(0, 0, 0, 0, 5), false, 15, 15},
        ShipHit{neutral, 5, 5, MakeTColorCard(0, 0, 0, 0, 5), true, 0, 0},
        ShipHit{blue, 10, 20, MakeTColorCard(6, 6, 6, 0, 0), false, 0, 18}));

TEST_F(PlayState, LifeLostRefillsEveryEntryAndFourthEndsTheGame)
{
    TPlayer& p = players[1];
    p.score = 40;
    p.health = MakeTColorCard(1, 2, 3, 4, 0);
    p.pos = MakeTVector(321, 456);
    p.col = blue;
    for (uint32_t left : {2u, 1u, 0u}) {
        DeductLife(1, 1);
        EXPECT_EQ(p.lifes, left);
        EXPECT_EQ(p.health, p.maxHealth);
        EXPECT_FALSE(isGameOver);
        p.health[neutral] = 0;
    }
    EXPECT_EQ(p.pos, MakeTVector(321, 456));
    EXPECT_EQ(p.col, blue);
    TEnemyClass cls = MakeClass({});
    Spawn(cls, MakeTVector(300, 300), 10);
    Shoot(p1Be, MakeTVector(300, 200), MakeTColorCard(1, 0, 0, 0, 0));
    DeductLife(1, 1);
    EXPECT_TRUE(isGameOver);
    EXPECT_TRUE(isLoading);
    EXPECT_TRUE(isHighScore);
    EXPECT_TRUE(p1E.empty());
    EXPECT_TRUE(p1Be.empty());
}

TEST_F(PlayState, CollisionRemovesEnemyScoresOnlySurvivorsAndHurtsShip)
{
    TEnemyClass weak = MakeClass({});
    TEnemyClass tough = MakeClass({});
    TEnemyClass boss = MakeClass({}, true);
    Spawn(weak, MakeTVector(500, 500), 5);   // destroyed by the crash: no points
    Spawn(tough, MakeTVector(510, 510), 50); // survives: removed for 5 points
    Spawn(boss, MakeTVector(490, 490), 50);  // survives and stays
    Spawn(tough, MakeTVector(700, 100), 50); // far away
    TPlayer& p = players[1];
    p.col = red;
    CheckCollisions();
    EXPECT_EQ(p.score, 5u);
    ASSERT_EQ(p1E.size(), 2u);
    EXPECT_EQ(p1E.front().cls, &boss);
    EXPECT_EQ(p1E.front().health, 45u);
    // Three crashes of 5 each, all soaked by the red shield.
    EXPECT_EQ(p.health[red], 85u);
    EXPECT_EQ(p.health[neutral], 20u);
}

TEST_F(PlayState, EnemyBulletsHitTheShipAndVanish)
{
    TPlayer& p = players[1];
    p.col = green;
    Shoot(p1Be, p.pos, MakeTColorCard(0, 40, 0, 0, 0)); // blocked
    Shoot(p1Be, SumVector(p.pos, MakeTVector(20, 0)), MakeTColorCard(30, 0, 0, 0, 0));
    Shoot(p1Be, MakeTVector(250, 50), MakeTColorCard(30, 0, 0, 0, 0)); // misses
    CheckCollisions();
    EXPECT_EQ(p1Be.size(), 1u);
    EXPECT_EQ(p.health[green], 70u);
    EXPECT_EQ(p.lifes, 3u);
}

TEST_F(PlayState, AtMostOneEnemyFallsToPlayerBulletsPerTick)
{
    TEnemyClass cls = MakeClass({});
    TEnemyClass bossCls = MakeClass({}, true);
    Spawn(cls, MakeTVector(300, 100), 10);
    Spawn(bossCls, MakeTVector(400, 100), 10);
    Shoot(p1Bp, MakeTVector(300, 100), MakeTColorCard(0, 0, 0, 0, 10));
    Shoot(p1Bp, MakeTVector(400, 100), MakeTColorCard(0, 0, 0, 0, 10));
    CheckCollisions();
    ASSERT_EQ(p1E.size(), 1u);
    EXPECT_EQ(p1E.front().cls, &bossCls);
    EXPECT_EQ(p1Bp.size(), 1u);
    EXPECT_EQ(players[1].score, 20u);
    CheckCollisions();
    EXPECT_TRUE(p1E.empty());
    EXPECT_TRUE(p1Bp.empty());
    EXPECT_EQ(players[1].score, 120u);
}

TEST_F(PlayState, BulletsThatDoNotDestroyAreSpentAndNextBulletsStillHit)
{
    TEnemyClass cls = MakeClass({red});
    Spawn(cls, MakeTVector(300, 100), 30);
    Shoot(p1Bp, MakeTVector(300, 100), MakeTColorCard(20, 0, 0, 0, 0)); // 10 after halving
    Shoot(p1Bp, MakeTVector(305, 95), MakeTColorCard(20, 0, 0, 0, 0));
    Shoot(p1Bp, MakeTVector(600, 600), MakeTColorCard(20, 0, 0, 0, 0));
    CheckCollisions();
    ASSERT_EQ(p1E.size(), 1u);
    EXPECT_EQ(p1E.front().health, 10u);
    EXPECT_EQ(p1Bp.size(), 1u);
    EXPECT_EQ(players[1].score, 0u);
}

TEST_F(PlayState, LastLifeLostByCollisionStopsThePasses)
{
    TPlayer& p = players[1];
    p.lifes = 0;
    p.col = neutral;
    p.health[neutral] = 5;
    p.score = 7;
    TEnemyClass cls = MakeClass({});
    Spawn(cls, p.pos, 50);
    Spawn(cls, p.pos, 50);
    Shoot(p1Bp, MakeTVector(300, 300), MakeTColorCard(0, 0, 0, 0, 1));
    CheckCollisions();
    EXPECT_TRUE(isGameOver);
    EXPECT_TRUE(p1E.empty());
    EXPECT_TRUE(p1Bp.empty());
    EXPECT_EQ(p.score, 12u); // the first survivor's 5 points, nothing after
}

TEST_F(PlayState, BordersDropWhatLeftTheField)
{
    TEnemyClass cls = MakeClass({});
    Spawn(cls, MakeTVector(200, 300), 1); // on the left bound
    Spawn(cls, MakeTVector(300, 690), 1); // on the lower bound
    Spawn(cls, MakeTVector(201, 11), 1);
    Shoot(p1Bp, MakeTVector(300, 10), MakeTColorCard(0, 0, 0, 0, 0));
    Shoot(p1Bp, MakeTVector(300, 11), MakeTColorCard(0, 0, 0, 0, 0));
    Shoot(p1Be, MakeTVector(790, 300), MakeTColorCard(0, 0, 0, 0, 0));
    CheckBorders();
    ASSERT_EQ(p1E.size(), 1u);
    EXPECT_EQ(p1E.front().pos, MakeTVector(201, 11));
    ASSERT_EQ(p1Bp.size(), 1u);
    EXPECT_EQ(p1Bp.front().kin.pos.y, 11);
    EXPECT_TRUE(p1Be.empty());
}

TEST_F(PlayState, BackgroundTilesWrapAndStayAWindowApart)
{
    bgPos[0] = MakeTVector(0, 0);
    bgPos[1] = MakeTVector(0, 700);
    ScrollBG();
    EXPECT_EQ(bgPos[1].y, -690);
    for (int i = 1; i < 70; ++i) {
        ScrollBG();
    }
    EXPECT_EQ(bgPos[0].y, -700);
    for (int i = 0; i < 500; ++i) {
        ScrollBG();
        const int gap = std::abs(bgPos[0].y - bgPos[1].y);
        ASSERT_EQ(gap, 700);
        ASSERT_GE(bgPos[0].y, -700);
        ASSERT_LT(bgPos[0].y, 700);
    }
}

} // namespace
