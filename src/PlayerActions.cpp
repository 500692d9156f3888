// What the player can make the ship do: shield colours, moves, fire, pause.
#include "PlayerActions.h"

#include "common.h"
#include "game.h"

namespace {

// The shield colour cycle: red, green, blue, yellow, neutral, red ...
TColor Next(TColor c)
{
    return c == neutral ? red : static_cast<TColor>(c + 1);
}

TColor Prev(TColor c)
{
    return c == red ? neutral : static_cast<TColor>(c - 1);
}

} // namespace

void NextColor(uint32_t p)
{
    TPlayer& pl = players[p];
    pl.col = Next(pl.col);
    // Cycling keeps the collision size of the red shield, whatever the colour.
    pl.size = MakeSize(imgShield[red]);
}

void PrevColor(uint32_t p)
{
    TPlayer& pl = players[p];
    pl.col = Prev(pl.col);
    pl.size = MakeSize(imgShield[red]);
}

void SetColor(uint32_t p, TColor c)
{
    TPlayer& pl = players[p];
    pl.col = pl.health[c] > 0 ? c : neutral;
    // No shield has no picture of its own: the ship keeps the hit box it had.
    if (pl.col != neutral) {
        pl.size = MakeSize(imgShield[pl.col]);
    }
}

void SetColorR(uint32_t p)
{
    SetColor(p, red);
}

void SetColorG(uint32_t p)
{
    SetColor(p, green);
}

void SetColorB(uint32_t p)
{
    SetColor(p, blue);
}

void SetColorY(uint32_t p)
{
    SetColor(p, yellow);
}

void MovePlayer(uint32_t p, TVector delta)
{
    TPlayer& pl = players[p];
    const TVector to = SumVector(pl.pos, delta);
    // A step that would reach or cross the field's edge is dropped entirely.
    if (IsVectorInRange(to, PlayField)) {
        pl.pos = to;
    }
}

void MoveUp(uint32_t p)
{
    MovePlayer(p, MakeTVector(0, -5));
}

void MoveDown(uint32_t p)
{
    MovePlayer(p, MakeTVector(0, 5));
}

void MoveLeft(uint32_t p)
{
    MovePlayer(p, MakeTVector(-5, 0));
}

void MoveRight(uint32_t p)
{
    MovePlayer(p, MakeTVector(5, 0));
}

void MoveUpKeyboard(uint32_t p)
{
    MoveUp(p);
    players[p].isMovingUp = true;
}

void MoveDownKeyboard(uint32_t p)
{
    MoveDown(p);
    players[p].isMovingDown = true;
}

void MoveLeftKeyboard(uint32_t p)
{
    MoveLeft(p);
    players[p].isMovingLeft = true;
}

void MoveRightKeyboard(uint32_t p)
{
    MoveRight(p);
    players[p].isMovingRight = true;
}

void MoveUpKeyboardUp(uint32_t p)
{
    players[p].isMovingUp = false;
}

void MoveDownKeyboardUp(uint32_t p)
{
    players[p].isMovingDown = false;
}

void MoveLeftKeyboardUp(uint32_t p)
{
    players[p].isMovingLeft = false;
}

void MoveRightKeyboardUp(uint32_t p)
{
    players[p].isMovingRight = false;
}

void Fire(uint32_t p)
{
    TPlayer& pl = players[p];
    // A ship without a bullet class (no bullet class loaded at all) cannot fire.
    if (pl.bulletclass == nullptr) {
        return;
    }
    TBullet b;
    b.cls = pl.bulletclass;
    // From the middle of the ship picture's upper edge, or from its centre
    // when that point is outside the field.
    b.kin.pos = CentorPosToShootPos(pl.pos, pl.imgNum, true);
    if (!IsVectorInRange(b.kin.pos, PlayField)) {
        b.kin.pos = pl.pos;
    }
    b.kin.spd = SymmVector(MakeTVector(0, Nearest(pl.bulletclass->speed)));
    b.kin.acc = SymmVector(MakeTVector(0, Nearest(pl.bulletclass->accel)));
    AddBullet(b, p1Bp);
}

void FireKeyboard(uint32_t p)
{
    Fire(p);
    players[p].isShooting = true;
}

void FireKeyboardUp(uint32_t p)
{
    players[p].isShooting = false;
}

void Pause(uint32_t)
{
    isPaused = !isPaused;
}

void Nothing(uint32_t) {}
