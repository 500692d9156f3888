#include "vector.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

TVector MakeTVector(int32_t x, int32_t y)
{
    return TVector{x, y};
}

namespace {

// A wide result held to the signed 32-bit range: a position or speed that
// would leave it stays at its end instead of wrapping round.
int32_t Saturate(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

} // namespace

TVector SumVector(TVector v1, TVector v2)
{
    return TVector{Saturate(int64_t{v1.x} + v2.x), Saturate(int64_t{v1.y} + v2.y)};
}

TVector ProdScalVector(int32_t a, TVector v)
{
    return TVector{Saturate(int64_t{a} * v.x), Saturate(int64_t{a} * v.y)};
}

TVector SymmVector(TVector v)
{
    return ProdScalVector(-1, v);
}

TVector SubtrVector(TVector v1, TVector v2)
{
    return SumVector(v1, SymmVector(v2));
}

bool IsVectorInRange(TVector v, const TRectangle& r)
{
    return r.tl.x < v.x && v.x < r.br.x && r.tl.y < v.y && v.y < r.br.y;
}

void UpdateKinematics(TKinematics& k)
{
    k.pos = SumVector(k.pos, k.spd);
    k.spd = SumVector(k.spd, k.acc);
}

int32_t Nearest(float r)
{
    if (std::isnan(r)) {
        return 0;
    }
    constexpr float kMax = 2147483520.0f; // largest float below 2^31
    if (r >= kMax) {
        return std::numeric_limits<int32_t>::max();
    }
    if (r <= -2147483648.0f) {
        return std::numeric_limits<int32_t>::min();
    }
    // The default rounding mode rounds halves to the even neighbour.
    return static_cast<int32_t>(std::nearbyint(r));
}

TVector ConstructVector(float length, TVector v1, TVector v2)
{
    const TVector r = SubtrVector(v1, v2);
    float x = static_cast<float>(r.x);
    float y = static_cast<float>(r.y);
    const float l = std::sqrt(x * x + y * y);
    if (l == 0.0f) {
        return TVector{0, 0}; // no direction between equal points
    }
    x = x / l;
    y = y / l;
    x = length * x;
    y = length * y;
    return TVector{Nearest(x), Nearest(y)};
}

bool Collides(TVector v1, TVector v2, TVector s1, TVector s2)
{
    const int64_t dx = std::llabs(static_cast<int64_t>(v1.x) - v2.x);
    const int64_t wx = std::llabs(static_cast<int64_t>(s1.x / 2) + s2.x / 2);
    if (dx >= wx) {
        return false;
    }
    const int64_t dy = std::llabs(static_cast<int64_t>(v1.y) - v2.y);
    const int64_t wy = std::llabs(static_cast<int64_t>(s1.y / 2) + s2.y / 2);
    return dy < wy;
}
