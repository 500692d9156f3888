// The shared data model of play: colours, enemy and bullet classes, the live
// enemies and bullets, their chains, and the movement and shooting patterns.
#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <string>
#include <string_view>

#include "vector.h"

enum TColor : uint8_t { red = 0, green = 1, blue = 2, yellow = 3, neutral = 4 };
constexpr int kNumColors = 5;

using TColorCard = std::array<uint32_t, kNumColors>; // indexed by TColor
using TColorBool = std::array<bool, kNumColors>;

// An identifier of at most 20 characters; compared byte for byte up to the
// first NUL or the 20th character.
struct TID
{
    std::array<char, 20> c{};
    TID() = default;
    TID(std::string_view s); // cut at 20 characters
    std::string str() const;
    friend bool operator==(const TID& a, const TID& b);
};

struct TEnemy;
using TPatternProc = void (*)(TEnemy* self, TVector hero);

struct TBulletClass
{
    TColorCard damage{};
    float speed = 0;
    float accel = 0;
    uint32_t imgNum = 0;
    TID id;
    TVector size;
};

struct TEnemyClass
{
    TID id;
    TColorBool color{};
    uint32_t health = 0;
    float speed = 0;
    TPatternProc shoot = nullptr;
    TPatternProc move = nullptr;
    TBulletClass* bullet = nullptr; // the class record inside its chain node
    TVector size;
    uint32_t imgNum = 0;
    bool isBoss = false;
    uint32_t frequency = 0;
};

// Node of the enemy-class chain: the class record first, then `enabled`.
struct TEnemyClassNode
{
    TEnemyClass enemyClass;
    bool enabled = false;
};

struct TEnemy
{
    TEnemyClass* cls = nullptr;
    TVector pos;
    TVector spd;
    uint32_t health = 0;
    uint32_t status = 0;
};

struct TBullet
{
    TBulletClass* cls = nullptr;
    TKinematics kin;
};

// Chains keep their order of appending and the addresses of their records
// for as long as a record is in its chain.
using TBulletClassChain = std::list<TBulletClass>;
using TEnemyClassChain = std::list<TEnemyClassNode>;
using TEnemyChain = std::list<TEnemy>;
using TBulletChain = std::list<TBullet>;

extern TBulletClassChain p1BC; // every bullet class read, in reading order
extern TEnemyClassChain p1EC;  // every enemy and boss class read
extern TEnemyChain p1E;        // live enemies, boss included
extern TBulletChain p1Bp;      // live bullets of the player
extern TBulletChain p1Be;      // live bullets of the enemies
extern TRectangle PlayField;   // (200, 10) - (790, 690)

void AddBulletClass(const TBulletClass& n, TBulletClassChain& c);
void AddBullet(const TBullet& n, TBulletChain& c);
void RemoveBullet(TBullet* p, TBulletChain& c);
void RemoveBulletChain(TBulletChain& c);
void AddEnemyClass(const TEnemyClass& n, TEnemyClassChain& c); // enabled FALSE
void AddEnemy(const TEnemy& n, TEnemyChain& c);
void RemoveEnemy(TEnemy* p, TEnemyChain& c);
void RemoveEnemyChain(TEnemyChain& c);
// First node with that identifier, else the first node, else null.
TEnemyClassNode* FindEnemyClass(const TID& id, TEnemyClassChain& c);
TBulletClass* FindBulletClass(const TID& id, TBulletClassChain& c);
// Reseeds from the clock, draws 0..lim-1 and returns the draw-th enabled
// class counting from the head with wrap-around; null for a draw of 0, for
// lim 0, for an empty chain and when no class is enabled.
TEnemyClass* RandomEnemyClass(TEnemyClassChain& c, uint32_t lim);
// The draw-th enabled class counting from the head, wrapping past the last
// node as often as needed; null for a draw of 0 or when none is enabled.
TEnemyClass* PickEnabledClass(TEnemyClassChain& c, uint32_t draw);
TColorCard MakeTColorCard(uint32_t R, uint32_t G, uint32_t B, uint32_t Y, uint32_t N);

// The program-wide pseudo-random generator.
void RandomSeed(uint32_t seed);
void RandomSeedFromClock();       // second (0..59) x hundredth (0..99) of the layer's clock
uint32_t RandomBelow(uint32_t n); // uniform in 0..n-1; 0 when n is 0

// Movement and shooting patterns.
TPatternProc CardToPMovePattern(uint32_t n);
TPatternProc CardToPShootPattern(uint32_t n);
void MovePatt1(TEnemy* self, TVector hero);
void MovePattBoss(TEnemy* self, TVector hero);
void ShootPatt0(TEnemy* self, TVector hero);
void ShootPatt1(TEnemy* self, TVector hero);
void ShootPatt2(TEnemy* self, TVector hero);
void ShootPatt3(TEnemy* self, TVector hero);
void ShootPatt4(TEnemy* self, TVector hero);
void ShootPatt5(TEnemy* self, TVector hero);
// Number of a pattern procedure (for dumps): 0..5 shooting, 1 or 66 moving.
uint32_t ShootPatternNumber(TPatternProc p);
uint32_t MovePatternNumber(TPatternProc p);

const char* ColorName(TColor c); // "red", ..., "neutral"
