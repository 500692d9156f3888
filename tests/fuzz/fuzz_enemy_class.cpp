// Enemy and boss class files: one reader, built twice (FUZZ_IS_BOSS).
#include <sstream>
#include <string>

#include "common.h"
#include "enemydata.h"
#include "fuzz_support.h"
#include "rastrum.h"
#include "textio.h"

#ifndef FUZZ_IS_BOSS
#define FUZZ_IS_BOSS false
#endif

namespace {

bool InChain(const TBulletClass* cls)
{
    for (const auto& b : p1BC) {
        if (&b == cls) {
            return true;
        }
    }
    return false;
}

// The file Dataquill would write for `cls`.
std::string ClassText(const TEnemyClass& cls)
{
    std::ostringstream out;
    TextWriter w(out);
    w.WriteText(cls.id.str());
    w.WriteLn();
    for (int c = red; c <= yellow; ++c) {
        w.WriteBool(cls.color[static_cast<size_t>(c)]);
        w.WriteLn();
    }
    w.WriteCard(cls.health);
    w.WriteLn();
    w.WriteText(cls.bullet ? cls.bullet->id.str() : "");
    w.WriteLn();
    w.WriteCard(ShootPatternNumber(cls.shoot));
    w.WriteLn();
    w.WriteCard(MovePatternNumber(cls.move));
    w.WriteLn();
    w.WriteCard(cls.frequency);
    w.WriteLn();
    return out.str();
}

void CheckClass(const TEnemyClass& cls, const std::string& expectedId)
{
    FUZZ_CHECK(cls.id.str().size() <= 20, cls.id.str());
    FUZZ_CHECK(cls.id.str() == expectedId, cls.id.str() + " / " + expectedId);
    FUZZ_CHECK(cls.isBoss == FUZZ_IS_BOSS, "isBoss");
    FUZZ_CHECK(!cls.color[neutral], "neutral colour flag");
    FUZZ_CHECK(cls.bullet != nullptr && InChain(cls.bullet), "bullet class outside its chain");
    FUZZ_CHECK(cls.shoot != nullptr && cls.move != nullptr, "pattern missing");
    FUZZ_CHECK(ShootPatternNumber(cls.shoot) <= 5, "shooting pattern");
    const uint32_t move = MovePatternNumber(cls.move);
    FUZZ_CHECK(move == 1 || move == 66, "movement pattern");
    FUZZ_CHECK(cls.imgNum >= 1 && cls.imgNum == numOfImg, "image number");
}

// The class in play for a while: it enters at the top of the field, moves
// by its pattern and fires at the ship; its shots fly on.
void Play(TEnemyClass& cls)
{
    p1Be.clear();
    TEnemy e;
    e.cls = &cls;
    e.pos = MakeTVector(495, 10);
    e.spd = MakeTVector(10, 0);
    e.health = cls.health;
    const TVector hero = MakeTVector(300, 600);
    for (int tick = 0; tick < 120; ++tick) {
        const TVector before = e.pos;
        cls.move(&e, hero);
        const int64_t dx = int64_t{e.pos.x} - before.x;
        const int64_t dy = int64_t{e.pos.y} - before.y;
        FUZZ_CHECK((dx == 0 && dy == 5) || (dy == 0 && (dx == 10 || dx == -10)),
                   "a step of " + std::to_string(dx) + "," + std::to_string(dy));
        cls.shoot(&e, hero);
        fuzz::FlyBullets(1);
    }
    p1Be.clear();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Setup();
    if (p1BC.empty()) {
        // Speeds far beyond the field: the shots' flight must stay defined.
        TBulletClass shot;
        shot.id = TID("SHOT");
        shot.speed = 3e9f;
        shot.accel = 2.5e9f;
        AddBulletClass(shot, p1BC);
        TBulletClass big;
        big.id = TID("BIGSHOTWITHALONGNAME");
        big.speed = -4e9f;
        big.accel = 1e38f;
        AddBulletClass(big, p1BC);
    }
    InitGraphics(0);
    numOfImg = 0;

    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text);
    const TEnemyClass cls = RdEnemyClass(in, FUZZ_IS_BOSS);
    std::string id = fuzz::FirstLine(text, 20);
    id = id.substr(0, id.find('\0'));
    CheckClass(cls, id);
    TEnemyClass playing = cls;
    Play(playing);

    // What was read, written back as a file, reads the same.
    std::istringstream again(ClassText(cls));
    const TEnemyClass back = RdEnemyClass(again, FUZZ_IS_BOSS);
    CheckClass(back, cls.id.str());
    FUZZ_CHECK(back.color == cls.color, "colours after a round trip");
    FUZZ_CHECK(back.health == cls.health, "health after a round trip");
    FUZZ_CHECK(back.bullet == cls.bullet, "bullet class after a round trip");
    FUZZ_CHECK(back.shoot == cls.shoot && back.move == cls.move, "patterns after a round trip");
    FUZZ_CHECK(back.frequency == cls.frequency, "frequency after a round trip");
    return 0;
}
