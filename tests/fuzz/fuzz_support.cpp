#include "fuzz_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "common.h"
#include "enemydata.h"
#include "rastrum.h"
#include "win32.h"

namespace fuzz {

namespace {

std::string scratch;

void Resolve(const char* path, char* out, uint32_t outSize)
{
    const std::string resolved = w32::ResolvePath(path);
    if (outSize == 0) {
        return;
    }
    std::strncpy(out, resolved.c_str(), outSize);
    out[outSize - 1] = '\0';
}

} // namespace

void Setup()
{
    if (!scratch.empty()) {
        return;
    }
    w32::RunConfig config;
    config.headless = true;
    std::string error;
    if (!w32::Configure(config, error)) {
        Fail(__FILE__, __LINE__, "headless layer", error);
    }
    Rastrum_BEGIN();
    Rastrum_SetPathResolver(Resolve);
    char pattern[] = "/tmp/zoduzor-fuzz-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) {
        Fail(__FILE__, __LINE__, "scratch folder", std::strerror(errno));
    }
    scratch = made;
    std::filesystem::current_path(scratch);
    CommonInit();
    PlayMode = plMoNorm;
}

const std::string& ScratchDir()
{
    return scratch;
}

void ClearGameData()
{
    p1E.clear();
    p1Be.clear();
    p1Bp.clear();
    p1EC.clear();
    p1BC.clear();
    InitGraphics(0);
    numOfImg = 0;
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
