// 2-D integer geometry: vectors, rectangles, kinematics, hit tests, aiming.
#pragma once

#include <cstdint>

struct TVector
{
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const TVector&, const TVector&) = default;
};

struct TRectangle
{
    TVector tl;
    TVector br;
};

struct TKinematics
{
    TVector pos;
    TVector spd;
    TVector acc;
};

TVector MakeTVector(int32_t x, int32_t y);
// The arithmetic saturates: a result beyond the signed 32-bit range is held
// at the nearer end of it.
TVector SumVector(TVector v1, TVector v2);
TVector ProdScalVector(int32_t a, TVector v);
TVector SymmVector(TVector v);
TVector SubtrVector(TVector v1, TVector v2);
// Strictly inside on all four sides.
bool IsVectorInRange(TVector v, const TRectangle& r);
// pos += spd (old speed), then spd += acc.
void UpdateKinematics(TKinematics& k);
// A vector of about `length` pointing from v2 towards v1, each component
// rounded half to even; (0, 0) when v1 = v2.
TVector ConstructVector(float length, TVector v1, TVector v2);
// Whether the box of size s1 centred on v1 overlaps the box of size s2 centred on v2.
bool Collides(TVector v1, TVector v2, TVector s1, TVector s2);
// Rounds to the nearest integer, halves to the even neighbour.
int32_t Nearest(float r);
