// Bullet class files.
#include <cmath>
#include <sstream>
#include <string>

#include "PlayerActions.h"
#include "common.h"
#include "enemydata.h"
#include "fuzz_support.h"
#include "game.h"
#include "rastrum.h"
#include "textio.h"

namespace {

std::string ClassText(const TBulletClass& cls)
{
    std::ostringstream out;
    TextWriter w(out);
    w.WriteText(cls.id.str());
    w.WriteLn();
    for (uint32_t d : cls.damage) {
        w.WriteCard(d);
        w.WriteLn();
    }
    w.WriteReal(cls.speed);
    w.WriteLn();
    w.WriteReal(cls.accel);
    w.WriteLn();
    return out.str();
}

bool CloseTo(float written, float read)
{
    // Three decimals are written: the value comes back to the nearest thousandth.
    const double tolerance = 0.0005 + std::fabs(static_cast<double>(written)) * 1e-6;
    return std::fabs(static_cast<double>(written) - static_cast<double>(read)) <= tolerance;
}

// The class in flight: the ship's shot and the shot of every enemy pattern,
// aimed across the whole field, each flown for a while.
void Fly(TBulletClass& cls)
{
    p1Bp.clear();
    p1Be.clear();
    TPlayer& hero = players[1];
    hero.pos = MakeTVector(500, 500);
    hero.imgNum = 0;
    hero.bulletclass = &cls;
    Fire(1);
    FUZZ_CHECK(p1Bp.size() == 1, "the ship fires one shot");
    const TKinematics& shot = p1Bp.back().kin;
    FUZZ_CHECK(shot.spd.x == 0 && shot.acc.x == 0, "the ship's shot flies straight");

    TEnemyClass shooter;
    shooter.bullet = &cls;
    shooter.frequency = 1;
    const TVector targets[] = {{201, 689}, {789, 689}, {500, 689}, {789, 11}};
    for (uint32_t pattern = 1; pattern <= 5; ++pattern) {
        for (const TVector target : targets) {
            TEnemy e;
            e.cls = &shooter;
            e.pos = MakeTVector(201 + 117 * static_cast<int32_t>(pattern), 11);
            CardToPShootPattern(pattern)(&e, target);
        }
    }
    FUZZ_CHECK(p1Be.size() >= 5, "every pattern fires at a target below it");
    fuzz::FlyBullets(64);
    p1Bp.clear();
    p1Be.clear();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Setup();
    InitGraphics(0);
    numOfImg = 0;

    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream in(text);
    const TBulletClass cls = RdBulletClass(in);
    std::string id = fuzz::FirstLine(text, 20);
    id = id.substr(0, id.find('\0'));
    FUZZ_CHECK(cls.id.str() == id, cls.id.str() + " / " + id);
    FUZZ_CHECK(std::isfinite(cls.speed) && std::isfinite(cls.accel), "speed or acceleration");
    FUZZ_CHECK(cls.imgNum == 1, "image number");
    FUZZ_CHECK(cls.size.x >= 0 && cls.size.y >= 0, "image size");
    TBulletClass flying = cls;
    Fly(flying);

    std::istringstream again(ClassText(cls));
    const TBulletClass back = RdBulletClass(again);
    FUZZ_CHECK(back.id == cls.id, "identifier after a round trip");
    FUZZ_CHECK(back.damage == cls.damage, "damage after a round trip");
    FUZZ_CHECK(CloseTo(cls.speed, back.speed),
               std::to_string(cls.speed) + " / " + std::to_string(back.speed));
    FUZZ_CHECK(CloseTo(cls.accel, back.accel),
               std::to_string(cls.accel) + " / " + std::to_string(back.accel));
    return 0;
}
