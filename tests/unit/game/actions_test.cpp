// The player's actions: shield colours, steps, shots and pause.
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include "PlayerActions.h"
#include "game.h"
#include "rastrum.h"

namespace {

namespace fs = std::filesystem;

// Writes a transparent PNG of the given size and loads it into slot `number`.
// Tests run as parallel processes: each writes files of its own.
void LoadSizedImage(uint32_t number, int w, int h)
{
    const fs::path file =
        fs::temp_directory_path() / ("zoduzor_game_" + std::to_string(getpid()) + "_" +
                                     std::to_string(w) + "x" + std::to_string(h) + ".png");
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(IMG_SavePNG(s, file.c_str()), 0);
    SDL_FreeSurface(s);
    SetNumberOfImages(number);
    LoadImage(number, file.c_str());
    fs::remove(file);
    ASSERT_EQ(GetSizeX(number), w);
}

class Actions : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        InitGraphics(0);
        // Shields of distinct sizes, so a test sees which one set the size.
        LoadSizedImage(1, 50, 52);
        LoadSizedImage(2, 60, 62);
        LoadSizedImage(3, 70, 72);
        LoadSizedImage(4, 80, 82);
        LoadSizedImage(5, 30, 60); // the ship
    }
    static void TearDownTestSuite() { FreeGraphics(); }

    void SetUp() override
    {
        imgShield = MakeTColorCard(1, 2, 3, 4, 0);
        InitPlayFieldBounds();
        InitPlayers();
        RemoveBulletChain(p1Bp);
        isPaused = false;
        TPlayer& p = players[1];
        p.col = red;
        p.imgNum = 5;
        shot.id = TID("HEROBULLET");
        shot.speed = 10;
        shot.accel = 0.5f;
        p.bulletclass = &shot;
    }
    void TearDown() override { RemoveBulletChain(p1Bp); }

    TBulletClass shot;
};

TEST_F(Actions, ColourCycleRunsBothWaysThroughNeutral)
{
    const TColor forward[] = {green, blue, yellow, neutral, red, green};
    for (TColor want : forward) {
        NextColor(1);
        EXPECT_EQ(players[1].col, want);
    }
    const TColor backward[] = {red, neutral, yellow, blue, green, red, neutral};
    for (TColor want : backward) {
        PrevColor(1);
        EXPECT_EQ(players[1].col, want);
    }
}

TEST_F(Actions, CyclingKeepsRedShieldSizeAndIgnoresEmptyShields)
{
    players[1].health[green] = 0;
    NextColor(1);
    EXPECT_EQ(players[1].col, green);
    EXPECT_EQ(players[1].size, MakeTVector(50, 52));
}

TEST_F(Actions, SetColourTakesTheShieldSizeOrDropsToNeutral)
{
    TPlayer& p = players[1];
    SetColorG(1);
    EXPECT_EQ(p.col, green);
    EXPECT_EQ(p.size, MakeTVector(60, 62));
    SetColorY(1);
    EXPECT_EQ(p.size, MakeTVector(80, 82));
    p.col = red;
    p.health[blue] = 0;
    SetColorB(1);
    EXPECT_EQ(p.col, neutral);
    p.health[blue] = 1;
    SetColorB(1);
    EXPECT_EQ(p.col, blue);
    EXPECT_EQ(p.size, MakeTVector(70, 72));
    SetColorR(1);
    EXPECT_EQ(p.col, red);
}

TEST_F(Actions, AnEmptyShieldKeepsTheHitBoxItHad)
{
    TPlayer& p = players[1];
    SetColorG(1);
    p.health[blue] = 0;
    SetColorB(1);
    EXPECT_EQ(p.col, neutral);
    EXPECT_EQ(p.size, MakeTVector(60, 62));
}

struct Step
{
    TVector from;
    TKeyAction action;
    TVector to;
};

class Steps : public Actions, public ::testing::WithParamInterface<Step>
{
};

TEST_P(Steps, MoveIsDroppedWhenItReachesTheBorder)
{
    const Step& s = GetParam();
    players[1].pos = s.from;
    s.action(1);
    EXPECT_EQ(players[1].pos, s.to);
}

INSTANTIATE_TEST_SUITE_P(Border, Steps,
                         ::testing::Values(Step{{205, 300}, MoveLeft, {205, 300}},
                                           Step{{206, 300}, MoveLeft, {201, 300}},
                                           Step{{785, 300}, MoveRight, {785, 300}},
                                           Step{{784, 300}, MoveRight, {789, 300}},
                                           Step{{500, 15}, MoveUp, {500, 15}},
                                           Step{{500, 16}, MoveUp, {500, 11}},
                                           Step{{500, 685}, MoveDown, {500, 685}},
                                           Step{{500, 500}, MoveDown, {500, 505}}));

TEST_F(Actions, KeyboardMovesStepAtOnceAndHoldUntilReleased)
{
    TPlayer& p = players[1];
    const struct
    {
        TKeyAction press, release;
        bool TPlayer::*flag;
        TVector delta;
    } keys[] = {{MoveUpKeyboard, MoveUpKeyboardUp, &TPlayer::isMovingUp, {0, -5}},
                {MoveDownKeyboard, MoveDownKeyboardUp, &TPlayer::isMovingDown, {0, 5}},
                {MoveLeftKeyboard, MoveLeftKeyboardUp, &TPlayer::isMovingLeft, {-5, 0}},
                {MoveRightKeyboard, MoveRightKeyboardUp, &TPlayer::isMovingRight, {5, 0}}};
    for (const auto& k : keys) {
        const TVector before = p.pos;
        k.press(1);
        EXPECT_EQ(p.pos, SumVector(before, k.delta));
        EXPECT_TRUE(p.*k.flag);
        k.release(1);
        EXPECT_FALSE(p.*k.flag);
    }
}

struct ShotCase
{
    float speed, accel;
    TVector spd, acc;
};

class Shots : public Actions, public ::testing::WithParamInterface<ShotCase>
{
};

TEST_P(Shots, PlayerBulletsFlyStraightUpRoundedHalfToEven)
{
    const ShotCase& c = GetParam();
    shot.speed = c.speed;
    shot.accel = c.accel;
    Fire(1);
    ASSERT_EQ(p1Bp.size(), 1u);
    EXPECT_EQ(p1Bp.back().kin.spd, c.spd);
    EXPECT_EQ(p1Bp.back().kin.acc, c.acc);
    EXPECT_EQ(p1Bp.back().cls, &shot);
}

INSTANTIATE_TEST_SUITE_P(Rounding, Shots,
                         ::testing::Values(ShotCase{10, 0.5f, {0, -10}, {0, 0}},
                                           ShotCase{10, 1.5f, {0, -10}, {0, -2}},
                                           ShotCase{2.5f, 0, {0, -2}, {0, 0}},
                                           ShotCase{3.5f, -0.5f, {0, -4}, {0, 0}}));

TEST_F(Actions, ShotStartsAtUpperEdgeOrAtCentreNearTheTop)
{
    TPlayer& p = players[1];
    p.pos = MakeTVector(400, 50);
    Fire(1);
    p.pos = MakeTVector(400, 30);
    Fire(1);
    p.pos = MakeTVector(400, 40); // the edge point y = 10 is on the bound itself
    Fire(1);
    ASSERT_EQ(p1Bp.size(), 3u);
    auto it = p1Bp.begin();
    EXPECT_EQ((it++)->kin.pos, MakeTVector(400, 20));
    EXPECT_EQ((it++)->kin.pos, MakeTVector(400, 30));
    EXPECT_EQ(it->kin.pos, MakeTVector(400, 40));
}

TEST_F(Actions, FireKeyShootsOnceAndHoldsFire)
{
    FireKeyboard(1);
    EXPECT_EQ(p1Bp.size(), 1u);
    EXPECT_TRUE(players[1].isShooting);
    FireKeyboardUp(1);
    EXPECT_FALSE(players[1].isShooting);
    EXPECT_EQ(p1Bp.size(), 1u);
}

TEST_F(Actions, ShipWithoutBulletClassDoesNotFire)
{
    players[1].bulletclass = nullptr;
    Fire(1);
    FireKeyboard(1);
    EXPECT_TRUE(p1Bp.empty());
    EXPECT_TRUE(players[1].isShooting);
}

TEST_F(Actions, PauseTogglesAndItsReleaseDoesNothing)
{
    Pause(1);
    EXPECT_TRUE(isPaused);
    Nothing(1);
    EXPECT_TRUE(isPaused);
    Pause(1);
    EXPECT_FALSE(isPaused);
}

} // namespace
