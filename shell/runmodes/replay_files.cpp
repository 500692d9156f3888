// The player's files of a replay: read as a game begins, for the replay
// kept of it, and written to a private folder for a replay being watched or
// checked, so that it plays against them and changes none of the player's.
#include <stdlib.h>
#include <unistd.h>

#include <charconv>
#include <fstream>

#include "end_request.h"
#include "host_api.h"
#include "run.h"
#include "storage/storage.h"

namespace fs = std::filesystem;

namespace w32 {

std::string ToHex(const std::string& bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes)
        out += {kDigits[c >> 4], kDigits[c & 15]};
    return out;
}

bool FromHex(const std::string& hex, std::string& bytes)
{
    if (hex.size() % 2 != 0)
        return false;
    bytes.clear();
    for (size_t i = 0; i < hex.size(); i += 2) {
        unsigned v = 0;
        auto r = std::from_chars(hex.data() + i, hex.data() + i + 2, v, 16);
        if (r.ec != std::errc() || r.ptr != hex.data() + i + 2)
            return false;
        bytes += static_cast<char>(v);
    }
    return true;
}

} // namespace w32

namespace w32::detail {

namespace {

// The player's files are small; anything larger is not taken into a replay.
constexpr uintmax_t kFileLimit = 1 << 20;

} // namespace

// A player's file as the game would find it now: its bytes, or nothing when
// there is no regular file (a pipe or a folder is not read).
std::optional<std::string> ReadPlayerFile(const char* name)
{
    InFile in(ResolvePath(name));
    if (!in.is_open())
        return std::nullopt;
    std::string bytes(kFileLimit + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (static_cast<uintmax_t>(in.gcount()) > kFileLimit)
        return std::nullopt;
    // A copy of its own size: the buffer is let go.
    return bytes.substr(0, static_cast<size_t>(in.gcount()));
}

bool MakePrivateFolder(const PlayerFiles& files, fs::path& folder, std::string& error)
{
    std::string temp;
    const bool found = TemporaryFolder(temp);
    std::string pattern =
        (fs::path(temp) / (std::string(kReplayFolderPrefix) + std::to_string(getpid()) + "-XXXXXX"))
            .string();
    if (!found || !mkdtemp(pattern.data())) {
        error = "cannot make a temporary folder for the replay's files in " + temp + " (TMPDIR)";
        return false;
    }
    folder = pattern;
    RemoveAtQuickExit(folder);
    for (size_t i = 0; i < files.size(); ++i) {
        if (!files[i])
            continue;
        std::ofstream out(folder / kPlayerFiles[i], std::ios::binary);
        out << *files[i];
        if (!out) {
            error = "cannot write the replay's files in " + folder.string();
            return false;
        }
    }
    // The player's own data and pictures still lie over the content, and the
    // window keeps the player's settings (a copy: what changes is not kept).
    std::error_code ec;
    if (const std::string user = UserFolder(); !user.empty()) {
        for (const char* area : {"data", "res"}) {
            if (fs::is_directory(fs::path(user) / area, ec))
                fs::create_directory_symlink(fs::path(user) / area, folder / area, ec);
        }
    }
    // Also in a portable set-up, where Window.cfg lies in the content folder.
    fs::copy_file(WindowSettingsPath(), folder / "Window.cfg", ec);
    if (!UseUserFolder(folder.string())) {
        error = "cannot use the temporary folder " + folder.string();
        return false;
    }
    return true;
}

} // namespace w32::detail
