// The play tick at the fullest load the game reaches: 28 enemies and 300 bullets.
#include <benchmark/benchmark.h>

#include <list>

#include "game.h"

namespace {

void BM_PlayTickFullLoad(benchmark::State& state)
{
    InitPlayFieldBounds();
    InitPlayers();
    players[1].size = MakeTVector(60, 60);
    TBulletClass shot;
    shot.size = MakeTVector(6, 12);
    shot.damage = MakeTColorCard(5, 5, 5, 5, 5);
    TEnemyClass cls;
    cls.size = MakeTVector(40, 40);
    cls.health = 1000;
    RemoveEnemyChain(p1E);
    RemoveBulletChain(p1Bp);
    RemoveBulletChain(p1Be);
    // Enemies in the upper half, bullets spread below them: every pair is
    // tested, none touches, so the load stays the same on every tick.
    for (int i = 0; i < 28; ++i) {
        TEnemy e;
        e.cls = &cls;
        e.pos = MakeTVector(220 + 20 * i, 40 + (i % 4) * 50);
        e.health = 1000;
        AddEnemy(e, p1E);
    }
    for (int i = 0; i < 300; ++i) {
        TBullet b;
        b.cls = &shot;
        b.kin.pos = MakeTVector(210 + (i * 7) % 570, 300 + (i % 10) * 10);
        AddBullet(b, i % 2 == 0 ? p1Bp : p1Be);
    }
    for (auto _ : state) {
        MoveAll();
        CheckBorders();
        CheckCollisions();
        ShootEnemies();
        ScrollBG();
        benchmark::ClobberMemory();
    }
    RemoveEnemyChain(p1E);
    RemoveBulletChain(p1Bp);
    RemoveBulletChain(p1Be);
}
BENCHMARK(BM_PlayTickFullLoad)->Unit(benchmark::kMicrosecond);

} // namespace
