// Kept replays: every game that reaches its end is kept in replays/ of the
// player's folder under the date and time, its score and its first level,
// and only the newest are kept.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <regex>
#include <vector>

#include "host_api.h"
#include "run.h"
#include "storage/storage.h"
#include "window/window_controls.h"

namespace fs = std::filesystem;

namespace w32::detail {

namespace {

constexpr size_t kKept = 50;

// The folder kept replays go to: the player's folder, else (a portable
// set-up) the content folder.
fs::path ReplaysFolder()
{
    const std::string user = UserFolder();
    return (user.empty() ? fs::current_path() : fs::path(user)) / "replays";
}

// Whether `name` is one the game gives its replays:
// date_time_score-N_level-N.replay, with _N before .replay for a second one.
bool IsKeptName(const std::string& name)
{
    static const std::regex kept(
        R"(\d{4}-\d{2}-\d{2}_\d{2}-\d{2}-\d{2}_score-\d+_level-\d+(_\d+)?\.replay)");
    return std::regex_match(name, kept);
}

// Keeps the newest kKept of the game's own replays (the names begin with the
// date and time); the player's files and links in the folder stay.
void Prune(const fs::path& folder)
{
    std::vector<fs::path> kept;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fe;
        if (it->is_regular_file(fe) && !it->is_symlink(fe) &&
            IsKeptName(it->path().filename().string()))
            kept.push_back(it->path());
    }
    std::sort(kept.begin(), kept.end());
    for (size_t i = 0; i + kKept < kept.size(); ++i)
        fs::remove(kept[i], ec);
}

} // namespace

bool KeepReplay(const SYSTEMTIME& ended, uint32_t score, uint32_t firstLevel,
                const std::string& text)
{
    const SYSTEMTIME& t = ended;
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u_%02u-%02u-%02u", unsigned(t.wYear),
                  unsigned(t.wMonth), unsigned(t.wDay), unsigned(t.wHour), unsigned(t.wMinute),
                  unsigned(t.wSecond));
    const std::string base = std::string(stamp) + "_score-" + std::to_string(score) + "_level-" +
                             std::to_string(firstLevel);
    const fs::path folder = ReplaysFolder();
    std::error_code ec;
    fs::create_directories(folder, ec);
    // A replay appears whole or not at all, and never in place of another:
    // a game ending in the same second takes the next number.
    NewFile made = NewFile::exists;
    for (int n = 1; made == NewFile::exists && n < 1000; ++n) {
        const std::string suffix =
            n == 1 ? std::string() : std::string("_").append(std::to_string(n));
        made = SaveNewFile((folder / (base + suffix + ".replay")).string(), text);
    }
    if (made != NewFile::made) {
        TellNotKept("cannot write in " + folder.string());
        return false;
    }
    Prune(folder);
    return true;
}

void TellNotKept(const std::string& why)
{
    std::cerr << "zoduzor: the game that ended is not kept as a replay: " << why << "\n";
    IndicateInWindow("GAME NOT KEPT AS A REPLAY");
}

} // namespace w32::detail
