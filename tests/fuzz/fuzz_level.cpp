// Level files: the input is written as data/001.LVL and read in both passes.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "common.h"
#include "enemydata.h"
#include "fuzz_support.h"
#include "game.h"
#include "win32_testing.h"

namespace {

void WriteFile(const std::string& path, const std::string& contents)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
    if (!out) {
        fuzz::Fail(__FILE__, __LINE__, "write", path);
    }
}

// Two ordinary classes and a boss, read from the data folder as at a level start.
void LoadClasses()
{
    std::filesystem::create_directories("data");
    WriteFile("data/SHOT.blt", "SHOT\r\n1\r\n1\r\n1\r\n1\r\n1\r\n2.000\r\n0.000\r\n");
    WriteFile("data/GRUNT.nmi",
              "GRUNT\r\nTRUE\r\nFALSE\r\nFALSE\r\nFALSE\r\n10\r\nSHOT\r\n1\r\n1\r\n20\r\n");
    WriteFile("data/SCOUT.nmi",
              "SCOUT\r\nFALSE\r\nTRUE\r\nFALSE\r\nFALSE\r\n5\r\nSHOT\r\n2\r\n1\r\n30\r\n");
    WriteFile("data/KING.bss",
              "KING\r\nTRUE\r\nTRUE\r\nTRUE\r\nTRUE\r\n500\r\nSHOT\r\n5\r\n66\r\n10\r\n");
    // The three effects a level opens (headless, their contents are not read).
    std::filesystem::create_directories("res/norm/snd");
    for (const char* effect : {"KillEnemy", "Fire", "KillBoss"}) {
        WriteFile(std::string("res/norm/snd/") + effect + ".wav", "");
    }
    fuzz::ClearGameData();
    LoadBulletClasses();
    LoadEnemyClasses();
    LoadBosses();
    if (p1EC.size() != 3 || p1EC.front().enemyClass.isBoss) {
        fuzz::Fail(__FILE__, __LINE__, "class set-up", std::to_string(p1EC.size()));
    }
}

bool InChain(const TEnemyClass* cls)
{
    return std::any_of(p1EC.begin(), p1EC.end(),
                       [cls](const TEnemyClassNode& n) { return &n.enemyClass == cls; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Setup();
    if (p1EC.empty()) {
        LoadClasses();
    }
    const std::string text(reinterpret_cast<const char*>(data), size);
    WriteFile("data/001.LVL", text);

    bool ok = false;
    const TLevel header = LoadLevel(1, false, ok);
    FUZZ_CHECK(ok, "an existing level file");
    FUZZ_CHECK(header.number == 1 && header.str == "1", header.str);
    FUZZ_CHECK(header.playMode <= plMoMenu, std::to_string(header.playMode));
    FUZZ_CHECK(header.boss == nullptr && header.numOfEnemies == 0, "header pass reads no list");
    FUZZ_CHECK(w32::OpenSounds().empty(), "header pass opens no sounds");

    const TLevel full = LoadLevel(1, true, ok);
    FUZZ_CHECK(ok, "an existing level file");
    FUZZ_CHECK(full.playMode == header.playMode, "both passes read one play mode");
    FUZZ_CHECK(full.boss != nullptr && InChain(full.boss), "boss outside the class chain");
    FUZZ_CHECK(full.numOfEnemies <= fuzz::MaxReads(text), std::to_string(full.numOfEnemies));
    FUZZ_CHECK(!full.bossReleased && full.time == 0, "fresh level");
    uint32_t enabled = 0;
    for (const auto& node : p1EC) {
        if (node.enabled) {
            FUZZ_CHECK(!node.enemyClass.isBoss, "boss enabled as an ordinary enemy");
            ++enabled;
        }
    }
    FUZZ_CHECK(enabled <= full.numOfEnemies, "enabled classes without a count");
    FUZZ_CHECK((enabled == 0) == (full.numOfEnemies == 0), "count without an enabled class");
    const auto sounds = w32::OpenSounds();
    FUZZ_CHECK(sounds.size() == 3, std::to_string(sounds.size()));
    for (const auto& s : sounds) {
        FUZZ_CHECK(s.alias == "KillEnemy" || s.alias == "Fire" || s.alias == "KillBoss", s.alias);
    }
    return 0;
}
