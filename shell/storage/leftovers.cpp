// What a killed run leaves behind, removed at a later start: the temporary
// file of a save it had not finished (beside the file saved, named
// "<file>.<pid>-<n>-<hex>.tmp") and the private folder of a replay it was
// watching or checking ("zoduzor-replay-<pid>-XXXXXX" in the temporary
// folder). Both name the process that made them; only what belongs to a
// process that no longer runs is removed, so two games sharing a folder
// never lose each other's files.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "host_api.h"
#include "shell.h"
#include "storage.h"

namespace fs = std::filesystem;

namespace w32 {

namespace {

// The player's files that are saved whole through a temporary file.
constexpr std::string_view kSaved[] = {"usersettings.list", "highscores.list", "window.cfg"};

bool Digits(std::string_view s, bool hex = false)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [&](char c) {
        return hex ? std::isxdigit(static_cast<unsigned char>(c)) != 0
                   : std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Whether the process still runs (or runs as another user).
bool Running(std::string_view pid)
{
    if (!Digits(pid) || pid.size() > 9)
        return true;
    const pid_t id = static_cast<pid_t>(std::stol(std::string(pid)));
    return id <= 0 || ::kill(id, 0) == 0 || errno != ESRCH;
}

// The pid of the save that made `name`, a temporary file of one of the
// player's files (or of a kept replay); empty when the name is none of these.
std::string_view SaveOwner(std::string_view name)
{
    if (!name.ends_with(".tmp"))
        return {};
    name.remove_suffix(4);
    // <file>.<pid>-<n>-<hex>
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    const std::string_view file = name.substr(0, dot), tag = name.substr(dot + 1);
    const size_t a = tag.find('-'), b = tag.find('-', a == tag.npos ? a : a + 1);
    if (a == tag.npos || b == tag.npos || !Digits(tag.substr(0, a)) ||
        !Digits(tag.substr(a + 1, b - a - 1)) || !Digits(tag.substr(b + 1), true))
        return {};
    const std::string lower = Lower(file);
    const bool ours = lower.ends_with(".replay") ||
                      std::find(std::begin(kSaved), std::end(kSaved), lower) != std::end(kSaved);
    return ours ? tag.substr(0, a) : std::string_view{};
}

void RemoveUnfinishedSaves(const fs::path& folder)
{
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const std::string_view owner = SaveOwner(name);
        std::error_code fe;
        if (!owner.empty() && it->is_regular_file(fe) && !it->is_symlink(fe) && !Running(owner))
            fs::remove(it->path(), fe);
    }
}

void RemoveReplayFolders()
{
    std::string temp;
    if (!TemporaryFolder(temp))
        return;
    std::error_code ec;
    for (fs::directory_iterator it(temp, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!name.starts_with(kReplayFolderPrefix))
            continue;
        // <prefix><pid>-XXXXXX, a folder of this user's
        const std::string_view rest = std::string_view(name).substr(kReplayFolderPrefix.size());
        const size_t dash = rest.find('-');
        struct stat st
        {
        };
        if (dash == rest.npos || rest.size() - dash - 1 != 6 ||
            ::lstat(it->path().c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
            st.st_uid != ::geteuid() || Running(rest.substr(0, dash)))
            continue;
        std::error_code fe;
        fs::remove_all(it->path(), fe);
    }
}

} // namespace

void CleanLeftovers()
{
    std::error_code ec;
    const std::string user = UserFolder();
    const fs::path folder = user.empty() ? fs::current_path(ec) : fs::path(user);
    if (!ec) {
        std::vector<fs::path> folders = {folder, folder / "replays"};
        // A file that is a link is saved where it points.
        for (const fs::path& file :
             {folder / ResolvePath("UserSettings.list"), folder / ResolvePath("HighScores.list"),
              folder / "Window.cfg"}) {
            std::error_code le;
            if (fs::is_symlink(file, le)) {
                const fs::path target = fs::weakly_canonical(file, le);
                if (!le)
                    folders.push_back(target.parent_path());
            }
        }
        std::sort(folders.begin(), folders.end());
        folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
        for (const fs::path& f : folders)
            RemoveUnfinishedSaves(f);
    }
    RemoveReplayFolders();
}

} // namespace w32
