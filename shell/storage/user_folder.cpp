// The player's own folder: where it is by the XDG rules, and laying it over
// the content folder, made private when it is missing.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "host_api.h"
#include "shell.h"

namespace fs = std::filesystem;

namespace w32 {

namespace {

// Creates `dir` and any missing parent with the rights of a private folder.
bool MakeFolders(const fs::path& dir)
{
    fs::path sofar;
    for (const fs::path& part : dir) {
        sofar /= part;
        // An existing folder is fine whatever mkdir says ("/" gives EINVAL in a browser).
        if (::mkdir(sofar.c_str(), 0700) != 0 && errno != EEXIST && !fs::is_directory(sofar))
            return false;
    }
    return fs::is_directory(dir);
}

} // namespace

std::string UserDataFolder()
{
    // A relative XDG_DATA_HOME is to be ignored, as the base-directory rules say.
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/')
        return (fs::path(xdg) / "zoduzor").string();
    std::string home;
    if (const char* h = std::getenv("HOME"); h && *h) {
        home = h;
    } else if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && *pw->pw_dir) {
        home = pw->pw_dir;
    }
    if (home.empty())
        return "";
    return (fs::path(home) / ".local" / "share" / "zoduzor").string();
}

bool UseUserFolder(const std::string& folder)
{
    std::string absolute;
    if (!folder.empty()) {
        std::error_code ec;
        const fs::path path = fs::absolute(folder, ec).lexically_normal();
        if (ec || !MakeFolders(path) || ::access(path.c_str(), W_OK | X_OK) != 0)
            return false;
        absolute = path.string();
        while (absolute.size() > 1 && absolute.back() == '/')
            absolute.pop_back();
    }
    detail::SetUserFolder(absolute);
    return true;
}

} // namespace w32
