// Files: Windows-style paths resolved without regard to letter case, file
// attributes and the scanning of folders by pattern.
//
// Relative paths name files of the content folder (the working folder). When
// a per-user folder is in use, it lies over the content folder: a file under
// its data/ or res/ replaces the content folder's file of the same name, the
// folders list the files of both, and the two .list files live there only.
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <unordered_set>
#include <utility>
#include <vector>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "layer_internal.h"
#include "win32.h"

namespace fs = std::filesystem;

namespace w32 {

using detail::FindNoCase;
using detail::Lower;
using w32::detail::LessNoCase;

namespace {

// '*' any run, '?' one character; without regard to case.
bool Matches(const char* pat, const char* s)
{
    for (; *pat; ++pat, ++s) {
        if (*pat == '*') {
            while (pat[1] == '*')
                ++pat;
            if (!pat[1])
                return true;
            for (; *s; ++s) {
                if (Matches(pat + 1, s))
                    return true;
            }
            return false;
        }
        if (!*s)
            return false;
        if (*pat != '?' && std::tolower(static_cast<unsigned char>(*pat)) !=
                               std::tolower(static_cast<unsigned char>(*s)))
            return false;
    }
    return *s == 0;
}

struct FindState
{
    std::vector<std::string> names;
    size_t next = 0;
};

void Fill(WIN32_FIND_DATAA* data, const std::string& name)
{
    data->dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
    const size_t n = std::min(name.size(), sizeof data->cFileName - 1);
    name.copy(data->cFileName, n);
    data->cFileName[n] = 0;
}

// ---------------------------------------------------------------- the two roots

std::mutex userMutex;
std::string userFolder; // absolute; empty when everything lives in the content folder

bool SameNoCase(const std::string& a, const char* b)
{
    return Lower(a) == Lower(b);
}

// What a relative path names: one of the player's own files, a file the
// player may override (under data/ or res/), or anything else.
enum class Area { Other, Overridable, UserFile };

Area Classify(const std::string& p)
{
    if (p.empty() || p[0] == '/')
        return Area::Other;
    std::vector<std::string> parts;
    for (size_t i = 0; i <= p.size();) {
        size_t j = p.find('/', i);
        if (j == std::string::npos)
            j = p.size();
        std::string part = p.substr(i, j - i);
        i = j + 1;
        if (part == "..")
            return Area::Other;
        if (!part.empty() && part != ".")
            parts.push_back(std::move(part));
    }
    if (parts.empty())
        return Area::Other;
    if (parts.size() == 1 && p.back() != '/' &&
        (SameNoCase(parts[0], "UserSettings.list") || SameNoCase(parts[0], "HighScores.list")))
        return Area::UserFile;
    if (SameNoCase(parts[0], "data") || SameNoCase(parts[0], "res"))
        return Area::Overridable;
    return Area::Other;
}

// Resolves the slash-separated path `p` under `base` (empty: as written, so
// relative to the working folder). `complete` tells whether every component
// was found.
std::string ResolveUnder(const std::string& base, const std::string& p, bool& complete)
{
    const bool fromRoot = base.empty() && !p.empty() && p[0] == '/';
    std::string out = fromRoot ? std::string(1, '/') : base;
    size_t i = fromRoot ? 1 : 0;
    bool exists = true; // whether `out` names an existing folder so far
    while (i <= p.size()) {
        size_t j = p.find('/', i);
        if (j == std::string::npos)
            j = p.size();
        std::string part = p.substr(i, j - i);
        i = j + 1;
        if (part.empty() || (part == "." && !base.empty()))
            continue;
        if (exists && part != "." && part != "..") {
            std::error_code ec;
            const fs::path dir = out.empty() ? fs::path(".") : fs::path(out);
            if (!fs::exists(dir / part, ec)) {
                std::string found;
                if (FindNoCase(dir.string(), part, found)) {
                    part = std::move(found);
                } else {
                    exists = false;
                }
            }
        }
        if (!out.empty() && out.back() != '/')
            out += '/';
        out += part;
    }
    if (!p.empty() && p.back() == '/' && (out.empty() || out.back() != '/'))
        out += '/';
    complete = exists;
    return out;
}

// The regular files of `dir` whose names match `mask`.
std::vector<std::string> MatchingFiles(const std::string& dir, const std::string& mask)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fe;
        if (!it->is_regular_file(fe))
            continue;
        std::string name = it->path().filename().string();
        if (Matches(mask.c_str(), name.c_str()))
            names.push_back(std::move(name));
    }
    return names;
}

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

std::string ResolvePath(const std::string& windowsPath)
{
    std::string p = windowsPath;
    std::replace(p.begin(), p.end(), '\\', '/');
    if (p.empty())
        return p;
    bool complete = false;
    const std::string user = UserFolder();
    if (!user.empty()) {
        switch (Classify(p)) {
        case Area::UserFile:
            return ResolveUnder(user, p, complete);
        case Area::Overridable: {
            std::string mine = ResolveUnder(user, p, complete);
            if (complete)
                return mine;
            break;
        }
        case Area::Other:
            break;
        }
    }
    return ResolveUnder("", p, complete);
}

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
    std::lock_guard<std::mutex> lock(userMutex);
    userFolder = absolute;
    return true;
}

std::string UserFolder()
{
    std::lock_guard<std::mutex> lock(userMutex);
    return userFolder;
}

} // namespace w32

DWORD GetFileAttributesA(LPCSTR path)
{
    if (!path || !*path)
        return INVALID_FILE_ATTRIBUTES;
    std::error_code ec;
    const fs::file_status st = fs::status(w32::ResolvePath(path), ec);
    if (ec || !fs::exists(st))
        return INVALID_FILE_ATTRIBUTES;
    return fs::is_directory(st) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

HANDLE FindFirstFileA(LPCSTR pattern, WIN32_FIND_DATAA* data)
{
    if (!pattern || !data)
        return INVALID_HANDLE_VALUE;
    std::string p = pattern;
    std::replace(p.begin(), p.end(), '\\', '/');
    const size_t slash = p.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : p.substr(0, slash + 1);
    const std::string mask = slash == std::string::npos ? p : p.substr(slash + 1);
    auto state = std::make_unique<w32::FindState>();
    bool complete = false;
    state->names = w32::MatchingFiles(w32::ResolveUnder("", folder, complete), mask);
    const std::string user = w32::UserFolder();
    if (!user.empty() && w32::Classify(folder) == w32::Area::Overridable) {
        // Both folders' files; a file of the user folder hides the content
        // folder's file of the same name, whatever the case of either.
        const std::string mine = w32::ResolveUnder(user, folder, complete);
        if (complete) {
            std::vector<std::string> own = w32::MatchingFiles(mine, mask);
            std::unordered_set<std::string> hidden;
            for (const std::string& name : own)
                hidden.insert(w32::detail::Lower(name));
            std::erase_if(state->names, [&](const std::string& name) {
                return hidden.count(w32::detail::Lower(name)) != 0;
            });
            state->names.insert(state->names.end(), own.begin(), own.end());
        }
    }
    if (state->names.empty())
        return INVALID_HANDLE_VALUE;
    std::sort(state->names.begin(), state->names.end(), w32::detail::LessNoCase);
    w32::Fill(data, state->names[0]);
    state->next = 1;
    return state.release();
}

BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data)
{
    if (!find || find == INVALID_HANDLE_VALUE || !data)
        return FALSE;
    auto* state = static_cast<w32::FindState*>(find);
    if (state->next >= state->names.size())
        return FALSE;
    w32::Fill(data, state->names[state->next++]);
    return TRUE;
}

BOOL FindClose(HANDLE find)
{
    if (!find || find == INVALID_HANDLE_VALUE)
        return FALSE;
    delete static_cast<w32::FindState*>(find);
    return TRUE;
}
