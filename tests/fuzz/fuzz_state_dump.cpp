// The state dump and the recording's state hash over arbitrary bytes from
// files: an enemy class file, a bullet class file, the credits file and the
// high-score file, and a typed name. The input's first two bytes give the
// lengths of the two class files; the rest is split in half between the
// credits and the table, whose first name is also the player's name.
#include <sstream>
#include <string>
#include <vector>

#include "common.h"
#include "credits.h"
#include "enemydata.h"
#include "fuzz_support.h"
#include "game.h"
#include "highscore.h"
#include "runmode.h"
#include "win32.h"

namespace {

uint64_t Fnv1a(const std::string& text)
{
    uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char c : text) {
        h ^= c;
        h *= 0x100000001b3ull;
    }
    return h;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Setup();
    fuzz::ClearGameData();
    std::string rest(reinterpret_cast<const char*>(data), size);
    size_t lengths[2] = {0, 0};
    for (size_t& length : lengths) {
        if (!rest.empty()) {
            length = static_cast<unsigned char>(rest[0]);
            rest.erase(0, 1);
        }
    }
    auto take = [&rest](size_t n) {
        const std::string part = rest.substr(0, n);
        rest.erase(0, part.size());
        return part;
    };
    std::istringstream bulletFile(take(lengths[1]));
    AddBulletClass(RdBulletClass(bulletFile), p1BC);
    std::istringstream enemyFile(take(lengths[0]));
    AddEnemyClass(RdEnemyClass(enemyFile, false), p1EC);
    std::istringstream creditsFile(take(rest.size() / 2));
    const std::vector<std::string> texts = ReadCreditLines(creditsFile);
    PlaceCreditLines(texts);
    std::istringstream tableFile(rest);
    SetHighScores(ReadHighScores(tableFile));
    playerStr = GetHighScores()[0].name;
    levelStr = texts.front();

    // The dump is JSON whatever the bytes, and reads back.
    const std::string dump = DumpState().dump(2);
    FUZZ_CHECK(!nlohmann::json::parse(dump, nullptr, false).is_discarded(), dump);

    // The hash is that of the state, the same at every call; for text that
    // is UTF-8 it is the FNV-1a of the game's dump and the time, as it was.
    const uint64_t hash = StateHash();
    FUZZ_CHECK(StateHash() == hash, "two hashes of one state differ");
    std::string strict;
    bool utf8 = true;
    try {
        strict = DumpGame().dump();
    } catch (const nlohmann::json::type_error&) {
        utf8 = false;
    }
    if (utf8) {
        FUZZ_CHECK(hash == Fnv1a(strict + "@" + std::to_string(w32::Now())), strict);
    }

    // Bytes that the dump shows alike still hash apart.
    playerStr = playerStr.substr(0, 9) + "\xFF";
    const uint64_t withFF = StateHash();
    playerStr.back() = '\xFE';
    FUZZ_CHECK(StateHash() != withFF, playerStr);

    PlaceCreditLines({});
    playerStr.clear();
    levelStr.clear();
    return 0;
}
