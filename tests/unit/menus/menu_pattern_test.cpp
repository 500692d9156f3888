// The button table shared by the menu screens: hit tests, clicks and steps.
#include <gtest/gtest.h>

#include "menupattern.h"

namespace {

using MenuPattern::TButtons;

LPARAM At(int x, int y)
{
    return MAKELPARAM(x, y);
}

// Two buttons stacked like the main menu's Play and Load (width 100).
TButtons Stacked()
{
    TButtons b(2);
    b.Rect(2) = {{314, 286}, {414, 341}};
    b.Rect(3) = {{314, 341}, {414, 396}};
    return b;
}

TEST(MenuButtons, NumbersFollowTheCount)
{
    TButtons b(6);
    EXPECT_EQ(b.FirstButton(), 2);
    EXPECT_EQ(b.LastButton(), 7);
    EXPECT_EQ(b.NoButton(), 8);
    EXPECT_EQ(b.candidate, 8) << "no press recorded yet";
    EXPECT_TRUE(b.IsButton(7));
    EXPECT_FALSE(b.IsButton(8));
    EXPECT_FALSE(b.IsButton(1));
}

struct HitCase
{
    int x, y;
    uint8_t expected;
};

class MenuButtonOver : public ::testing::TestWithParam<HitCase>
{
};

TEST_P(MenuButtonOver, ContainmentIsStrict)
{
    const TButtons b = Stacked();
    EXPECT_EQ(b.ButtonOver(At(GetParam().x, GetParam().y)), GetParam().expected)
        << GetParam().x << "," << GetParam().y;
}

INSTANTIATE_TEST_SUITE_P(Points, MenuButtonOver,
                         ::testing::Values(HitCase{315, 287, 2}, HitCase{413, 340, 2},
                                           HitCase{350, 341, 4}, // shared edge: neither
                                           HitCase{314, 300, 4}, // left edge
                                           HitCase{414, 300, 4}, // right edge
                                           HitCase{350, 286, 4}, // top edge
                                           HitCase{350, 396, 4}, // bottom edge
                                           HitCase{350, 342, 3}, HitCase{0, 0, 4},
                                           HitCase{799, 699, 4}));

TEST(MenuButtons, OverlapGoesToTheLowerNumber)
{
    TButtons b(2);
    b.Rect(2) = {{0, 0}, {100, 100}};
    b.Rect(3) = {{50, 50}, {150, 150}};
    EXPECT_EQ(b.ButtonOver(At(75, 75)), 2);
    EXPECT_EQ(b.ButtonOver(At(125, 125)), 3);
}

TEST(MenuButtons, EmptyImageGivesNoButton)
{
    // A missing image has width 0: its rectangle contains nothing.
    TButtons b(1);
    b.Rect(2) = {{314, 286}, {314, 341}};
    EXPECT_EQ(b.ButtonOver(At(314, 300)), b.NoButton());
}

TEST(MenuButtons, ClickNeedsPressAndReleaseOnTheSameButton)
{
    TButtons b = Stacked();
    b.StoreButtonDown(At(350, 300));
    EXPECT_EQ(b.candidate, 2);
    EXPECT_TRUE(b.GetButtonUp(At(360, 310)));
    EXPECT_FALSE(b.GetButtonUp(At(360, 350))) << "released on another button";
    EXPECT_FALSE(b.GetButtonUp(At(350, 341))) << "released on the border";
    EXPECT_EQ(b.candidate, 2) << "a release does not change the candidate";

    b.StoreButtonDown(At(10, 10));
    EXPECT_EQ(b.candidate, b.NoButton());
    EXPECT_FALSE(b.GetButtonUp(At(350, 300))) << "press outside, release on a button";
    EXPECT_FALSE(b.GetButtonUp(At(10, 10)));
}

struct StepCase
{
    uint8_t value;
    int delta;
    uint8_t lo, hi;
    uint8_t wrapped, clamped;
};

class MenuSteps : public ::testing::TestWithParam<StepCase>
{
};

TEST_P(MenuSteps, WrapAndClamp)
{
    const StepCase& c = GetParam();
    EXPECT_EQ(MenuPattern::WrapStep(c.value, c.delta, c.lo, c.hi), c.wrapped);
    EXPECT_EQ(MenuPattern::ClampStep(c.value, c.delta, c.lo, c.hi), c.clamped);
}

INSTANTIATE_TEST_SUITE_P(Ranges, MenuSteps,
                         ::testing::Values(StepCase{2, -1, 2, 7, 7, 2}, StepCase{7, +1, 2, 7, 2, 7},
                                           StepCase{4, +1, 2, 7, 5, 5},
                                           StepCase{2, -1, 2, 14, 14, 2},
                                           StepCase{14, +1, 2, 14, 2, 14},
                                           StepCase{0, -1, 0, 1, 1, 0}, StepCase{1, +1, 0, 1, 0, 1},
                                           StepCase{0, +1, 0, 1, 1, 1}, StepCase{2, +1, 2, 2, 2, 2},
                                           StepCase{2, -1, 2, 2, 2, 2}, StepCase{4, +1, 1, 4, 1, 4},
                                           StepCase{1, -1, 1, 4, 4, 1}));

} // namespace
