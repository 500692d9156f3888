#include "enemydata.h"

#include <algorithm>
#include <cstring>

#include "common.h"
#include "win32.h"

TBulletClassChain p1BC;
TEnemyClassChain p1EC;
TEnemyChain p1E;
TBulletChain p1Bp;
TBulletChain p1Be;
TRectangle PlayField{{200, 10}, {790, 690}};

// ---------------------------------------------------------------- identifiers

TID::TID(std::string_view s)
{
    const size_t n = std::min(s.size(), c.size());
    std::copy_n(s.data(), n, c.data());
}

std::string TID::str() const
{
    const auto end = std::find(c.begin(), c.end(), '\0');
    return std::string(c.begin(), end);
}

bool operator==(const TID& a, const TID& b)
{
    return a.str() == b.str();
}

// ---------------------------------------------------------------- chains

void AddBulletClass(const TBulletClass& n, TBulletClassChain& c)
{
    c.push_back(n);
}

void AddBullet(const TBullet& n, TBulletChain& c)
{
    c.push_back(n);
}

void RemoveBullet(TBullet* p, TBulletChain& c)
{
    auto it = std::find_if(c.begin(), c.end(), [p](const TBullet& b) { return &b == p; });
    if (it != c.end()) {
        c.erase(it);
    }
}

void RemoveBulletChain(TBulletChain& c)
{
    c.clear();
}

void AddEnemyClass(const TEnemyClass& n, TEnemyClassChain& c)
{
    c.push_back(TEnemyClassNode{n, false});
}

void AddEnemy(const TEnemy& n, TEnemyChain& c)
{
    c.push_back(n);
}

void RemoveEnemy(TEnemy* p, TEnemyChain& c)
{
    auto it = std::find_if(c.begin(), c.end(), [p](const TEnemy& e) { return &e == p; });
    if (it != c.end()) {
        c.erase(it);
    }
}

void RemoveEnemyChain(TEnemyChain& c)
{
    c.clear();
}

TEnemyClassNode* FindEnemyClass(const TID& id, TEnemyClassChain& c)
{
    for (auto& node : c) {
        if (node.enemyClass.id == id) {
            return &node;
        }
    }
    return c.empty() ? nullptr : &c.front();
}

TBulletClass* FindBulletClass(const TID& id, TBulletClassChain& c)
{
    for (auto& cls : c) {
        if (cls.id == id) {
            return &cls;
        }
    }
    return c.empty() ? nullptr : &c.front();
}

TEnemyClass* PickEnabledClass(TEnemyClassChain& c, uint32_t draw)
{
    if (draw == 0) {
        return nullptr;
    }
    const auto enabled = static_cast<uint32_t>(
        std::count_if(c.begin(), c.end(), [](const TEnemyClassNode& n) { return n.enabled; }));
    if (enabled == 0) {
        return nullptr;
    }
    // Counting past the last node wraps to the head: the draw-th enabled
    // class is the ((draw - 1) mod E + 1)-th one.
    uint32_t remaining = (draw - 1) % enabled + 1;
    for (auto& node : c) {
        if (node.enabled && --remaining == 0) {
            return &node.enemyClass;
        }
    }
    return nullptr;
}

TEnemyClass* RandomEnemyClass(TEnemyClassChain& c, uint32_t lim)
{
    if (c.empty()) {
        return nullptr;
    }
    RandomSeedFromClock();
    return PickEnabledClass(c, RandomBelow(lim));
}

TColorCard MakeTColorCard(uint32_t R, uint32_t G, uint32_t B, uint32_t Y, uint32_t N)
{
    return TColorCard{R, G, B, Y, N};
}

// ---------------------------------------------------------------- random numbers

namespace {

uint64_t randomState = 0;

uint32_t NextRandom()
{
    // A 64-bit linear congruential step with a permuted output (PCG XSH RR).
    const uint64_t old = randomState;
    randomState = old * 6364136223846793005ULL + 1442695040888963407ULL;
    const auto xorshifted = static_cast<uint32_t>(((old >> 18u) ^ old) >> 27u);
    const auto rot = static_cast<uint32_t>(old >> 59u);
    return (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
}

} // namespace

void RandomSeed(uint32_t seed)
{
    randomState = 0;
    NextRandom();
    randomState += seed;
    NextRandom();
}

void RandomSeedFromClock()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    RandomSeed(static_cast<uint32_t>(now.wSecond % 60) * (now.wMilliseconds / 10 % 100));
}

uint32_t RandomBelow(uint32_t n)
{
    if (n == 0) {
        return 0;
    }
    return static_cast<uint32_t>((static_cast<uint64_t>(NextRandom()) * n) >> 32);
}

// ---------------------------------------------------------------- patterns

namespace {

// The shot gate of the firing patterns: fires when the counter is a
// multiple of the class's frequency, then advances it. A frequency of 0
// never fires; a class without bullet class counts but does not fire.
bool ShotGate(TEnemy* self)
{
    const uint32_t freq = self->cls->frequency;
    if (freq == 0) {
        return false;
    }
    const bool fire = self->status % freq == 0;
    self->status = (self->status + 1) % freq;
    return fire && self->cls->bullet != nullptr;
}

void FireBullet(TEnemy* self, TVector spd, TVector acc)
{
    TBullet b;
    b.cls = self->cls->bullet;
    b.kin.pos = CentorPosToShootPos(self->pos, self->cls->imgNum, false);
    b.kin.spd = spd;
    b.kin.acc = acc;
    AddBullet(b, p1Be);
}

void AimedShot(TEnemy* self, TVector target)
{
    if (!ShotGate(self)) {
        return;
    }
    const float speed = self->cls->bullet->speed;
    FireBullet(self, ConstructVector(speed, target, self->pos),
               ConstructVector(1.0f, target, self->pos));
}

} // namespace

TPatternProc CardToPMovePattern(uint32_t n)
{
    return n == 66 ? MovePattBoss : MovePatt1;
}

TPatternProc CardToPShootPattern(uint32_t n)
{
    switch (n) {
    case 0:
        return ShootPatt0;
    case 2:
        return ShootPatt2;
    case 3:
        return ShootPatt3;
    case 4:
        return ShootPatt4;
    case 5:
        return ShootPatt5;
    default:
        return ShootPatt1;
    }
}

void MovePatt1(TEnemy* self, TVector)
{
    self->pos = SumVector(self->pos, MakeTVector(0, 5));
}

void MovePattBoss(TEnemy* self, TVector)
{
    const TVector size = self->cls->size;
    if (static_cast<int64_t>(size.y) > 2 * static_cast<int64_t>(self->pos.y)) {
        self->pos = SumVector(self->pos, MakeTVector(0, 5));
        return;
    }
    const int32_t w = size.x / 2;
    if (self->pos.x <= PlayField.tl.x + w || self->pos.x >= PlayField.br.x - w) {
        self->spd = SymmVector(self->spd);
    }
    self->pos = SumVector(self->pos, self->spd);
}

void ShootPatt0(TEnemy*, TVector) {}

void ShootPatt1(TEnemy* self, TVector)
{
    if (!ShotGate(self)) {
        return;
    }
    const TBulletClass* bc = self->cls->bullet;
    FireBullet(self, MakeTVector(0, Nearest(bc->speed)), MakeTVector(0, Nearest(bc->accel)));
}

void ShootPatt2(TEnemy* self, TVector hero)
{
    AimedShot(self, hero);
}

void ShootPatt3(TEnemy* self, TVector hero)
{
    if (hero.y >= self->pos.y) {
        ShootPatt2(self, hero);
    }
}

void ShootPatt4(TEnemy* self, TVector hero)
{
    ShootPatt3(self, hero);
}

void ShootPatt5(TEnemy* self, TVector)
{
    const int32_t dl = self->pos.x - PlayField.tl.x;
    const int32_t dr = PlayField.br.x - self->pos.x;
    const TVector target = dl < dr ? PlayField.br : MakeTVector(PlayField.tl.x, PlayField.br.y);
    AimedShot(self, target);
}

uint32_t ShootPatternNumber(TPatternProc p)
{
    if (p == ShootPatt0) {
        return 0;
    }
    if (p == ShootPatt2) {
        return 2;
    }
    if (p == ShootPatt3) {
        return 3;
    }
    if (p == ShootPatt4) {
        return 4;
    }
    if (p == ShootPatt5) {
        return 5;
    }
    return p == ShootPatt1 ? 1 : 0;
}

uint32_t MovePatternNumber(TPatternProc p)
{
    return p == MovePattBoss ? 66 : 1;
}

const char* ColorName(TColor c)
{
    switch (c) {
    case red:
        return "red";
    case green:
        return "green";
    case blue:
        return "blue";
    case yellow:
        return "yellow";
    case neutral:
        return "neutral";
    }
    return "neutral";
}
