#include "fuzz_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "common.h"
#include "game_setup.h"

namespace fuzz {

namespace {

std::string scratch;

} // namespace

void Setup()
{
    if (!scratch.empty()) {
        return;
    }
    char pattern[] = "/tmp/zoduzor-fuzz-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) {
        Fail(__FILE__, __LINE__, "scratch folder", std::strerror(errno));
    }
    scratch = made;
    std::filesystem::current_path(scratch);
    std::string error;
    if (!gamesetup::Start(error)) {
        Fail(__FILE__, __LINE__, "headless layer", error);
    }
    PlayMode = plMoNorm;
}

const std::string& ScratchDir()
{
    return scratch;
}

void ClearGameData()
{
    gamesetup::ClearGameData();
}

std::string FirstLine(std::string_view text, size_t capacity)
{
    std::string line;
    for (char c : text) {
        if (line.size() == capacity || c == '\r' || c == '\n' || c == 26) {
            break;
        }
        line.push_back(c);
    }
    return line;
}

size_t MaxReads(std::string_view text)
{
    return text.size() + 1;
}

namespace {

int64_t Held(int64_t v)
{
    return std::clamp<int64_t>(v, INT32_MIN, INT32_MAX);
}

std::string Show(const TKinematics& k)
{
    auto v = [](TVector p) { return std::to_string(p.x) + "," + std::to_string(p.y); };
    return "pos " + v(k.pos) + " spd " + v(k.spd) + " acc " + v(k.acc);
}

} // namespace

void FlyBullets(int ticks)
{
    for (int t = 0; t < ticks; ++t) {
        for (TBulletChain* chain : {&p1Bp, &p1Be}) {
            for (TBullet& b : *chain) {
                const TKinematics before = b.kin;
                UpdateKinematics(b.kin);
                const TKinematics& k = b.kin;
                const bool moved = k.pos.x == Held(int64_t{before.pos.x} + before.spd.x) &&
                                   k.pos.y == Held(int64_t{before.pos.y} + before.spd.y);
                const bool sped = k.spd.x == Held(int64_t{before.spd.x} + before.acc.x) &&
                                  k.spd.y == Held(int64_t{before.spd.y} + before.acc.y);
                FUZZ_CHECK(moved && sped && k.acc == before.acc, Show(before) + " -> " + Show(k));
            }
        }
    }
}

void Fail(const char* file, int line, const char* what, const std::string& detail)
{
    std::fprintf(stderr, "%s:%d: invariant broken: %s (%s)\n", file, line, what, detail.c_str());
    std::abort();
}

} // namespace fuzz
