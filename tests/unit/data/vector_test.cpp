#include <gtest/gtest.h>

#include "vector.h"

namespace {

TEST(Vector, ArithmeticAndRangeTestAreStrict)
{
    EXPECT_EQ(SubtrVector({1, 2}, {3, 5}), (TVector{-2, -3}));
    EXPECT_EQ(ProdScalVector(-3, {2, -4}), (TVector{-6, 12}));
    const TRectangle r{{10, 0}, {20, 20}};
    EXPECT_FALSE(IsVectorInRange({10, 10}, r));
    EXPECT_TRUE(IsVectorInRange({11, 10}, r));
    EXPECT_FALSE(IsVectorInRange({20, 10}, r));
    EXPECT_FALSE(IsVectorInRange({15, 0}, r));
    EXPECT_FALSE(IsVectorInRange({15, 20}, r));
    EXPECT_TRUE(IsVectorInRange({19, 19}, r));
}

TEST(Vector, KinematicsMoveWithTheOldSpeed)
{
    TKinematics k{{0, 0}, {1, 2}, {3, 4}};
    UpdateKinematics(k);
    EXPECT_EQ(k.pos, (TVector{1, 2}));
    EXPECT_EQ(k.spd, (TVector{4, 6}));
    UpdateKinematics(k);
    EXPECT_EQ(k.pos, (TVector{5, 8}));
    EXPECT_EQ(k.spd, (TVector{7, 10}));
}

TEST(Vector, KinematicsSaturateAtTheEndsOfTheRange)
{
    constexpr int32_t kMax = INT32_MAX, kMin = INT32_MIN;
    TKinematics up{{300, 100}, {0, kMax - 5}, {0, kMax}};
    UpdateKinematics(up);
    EXPECT_EQ(up.pos, (TVector{300, kMax}));
    EXPECT_EQ(up.spd, (TVector{0, kMax}));
    UpdateKinematics(up);
    EXPECT_EQ(up.pos, (TVector{300, kMax}));
    TKinematics down{{-10, 0}, {kMin, 0}, {kMin, 0}};
    UpdateKinematics(down);
    EXPECT_EQ(down.pos, (TVector{kMin, 0}));
    EXPECT_EQ(down.spd, (TVector{kMin, 0}));
    EXPECT_EQ(SymmVector({kMin, 3}), (TVector{kMax, -3}));
    EXPECT_EQ(ProdScalVector(3, {kMax / 2, kMin / 2}), (TVector{kMax, kMin}));
    EXPECT_EQ(SubtrVector({kMin, kMax}, {1, -1}), (TVector{kMin, kMax}));
}

struct ConstructCase
{
    float length;
    TVector v1, v2, expected;
};

class ConstructVectorTest : public ::testing::TestWithParam<ConstructCase>
{
};

TEST_P(ConstructVectorTest, ScalesTheDirectionAndRoundsHalvesToEven)
{
    const auto& c = GetParam();
    EXPECT_EQ(ConstructVector(c.length, c.v1, c.v2), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ConstructVectorTest,
                         ::testing::Values(ConstructCase{5.0f, {3, 4}, {0, 0}, {3, 4}},
                                           ConstructCase{1.0f, {0, 0}, {0, 10}, {0, -1}},
                                           ConstructCase{2.5f, {7, 0}, {0, 0}, {2, 0}},
                                           ConstructCase{3.5f, {0, 0}, {-9, 0}, {4, 0}},
                                           ConstructCase{1.0f, {1, 1}, {0, 0}, {1, 1}},
                                           ConstructCase{6.0f, {700, 500}, {400, 100}, {4, 5}},
                                           ConstructCase{
                                               0.5f, {0, 0}, {5, 0}, {0, 0}}, // -0.5 goes to 0
                                           ConstructCase{7.0f, {4, 4}, {4, 4}, {0, 0}}));

TEST(Vector, NearestRoundsHalvesToTheEvenNeighbour)
{
    EXPECT_EQ(Nearest(2.5f), 2);
    EXPECT_EQ(Nearest(3.5f), 4);
    EXPECT_EQ(Nearest(-2.5f), -2);
    EXPECT_EQ(Nearest(-0.5f), 0);
    EXPECT_EQ(Nearest(2.6f), 3);
    EXPECT_EQ(Nearest(-1.4f), -1);
    EXPECT_EQ(Nearest(1e20f), INT32_MAX);
    EXPECT_EQ(Nearest(-1e20f), INT32_MIN);
}

struct CollideCase
{
    TVector v1, v2, s1, s2;
    bool hit;
};

class CollidesTest : public ::testing::TestWithParam<CollideCase>
{
};

TEST_P(CollidesTest, BoxesOverlapStrictlyWithHalvedSizes)
{
    const auto& c = GetParam();
    EXPECT_EQ(Collides(c.v1, c.v2, c.s1, c.s2), c.hit);
    EXPECT_EQ(Collides(c.v2, c.v1, c.s2, c.s1), c.hit); // symmetric
}

INSTANTIATE_TEST_SUITE_P(Cases, CollidesTest,
                         ::testing::Values(CollideCase{{0, 0}, {9, 0}, {10, 10}, {10, 10}, true},
                                           CollideCase{{0, 0}, {10, 0}, {10, 10}, {10, 10}, false},
                                           CollideCase{{0, 0}, {3, 0}, {5, 5}, {5, 5}, true},
                                           CollideCase{{0, 0}, {4, 0}, {5, 5}, {5, 5}, false},
                                           CollideCase{{0, 0}, {0, 9}, {10, 10}, {10, 10}, true},
                                           CollideCase{{0, 0}, {0, 10}, {10, 10}, {10, 10}, false},
                                           CollideCase{{0, 0}, {5, 12}, {10, 30}, {10, 2}, true},
                                           CollideCase{{0, 0}, {0, 0}, {0, 0}, {0, 0}, false}));

} // namespace
