// A pad mapping database (gamecontrollerdb.txt) read in one pass. SDL's own
// reader searches every mapping it holds for each line it adds, so a file of
// many megabytes kept the window from opening for minutes: this one takes the
// lines of this platform, the last of each pad, and refuses a file larger
// than any real database (the community's, of every platform, is under 1 MB).
#include <SDL.h>

#include <cstdint>
#include <filesystem>
#include <iterator>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "pad.h"
#include "regular_file.h"

namespace w32::detail {

namespace {

constexpr std::uintmax_t kLargestFile = 2u << 20;
constexpr size_t kMostPads = 5000;

// The value of the line's platform field, empty when it has none.
std::string_view Platform(std::string_view line)
{
    constexpr std::string_view kField = "platform:";
    const size_t at = line.find(kField);
    if (at == line.npos)
        return {};
    const std::string_view rest = line.substr(at + kField.size());
    return rest.substr(0, rest.find(','));
}

} // namespace

bool AddMappingsFile(const std::string& path, std::string& problem)
{
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) {
        problem = path + ": " + ec.message();
        return false;
    }
    if (size > kLargestFile) {
        problem = path + " holds " + std::to_string(size) +
                  " bytes, more than any pad mapping database; it is not read";
        return false;
    }
    InFile in(path);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.is_open() || in.bad()) {
        problem = path + ": cannot be read";
        return false;
    }
    const std::string_view ours = SDL_GetPlatform();
    std::unordered_map<std::string_view, size_t> byPad;
    std::vector<std::string_view> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == text.npos)
            end = text.size();
        std::string_view line(text.data() + start, end - start);
        start = end + 1;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        // SDL's reader takes only the lines naming this platform.
        const std::string_view platform = Platform(line);
        if (line.empty() || line.front() == '#' || platform.size() != ours.size() ||
            SDL_strncasecmp(platform.data(), ours.data(), ours.size()) != 0)
            continue;
        const std::string_view pad = line.substr(0, line.find(','));
        if (auto [it, fresh] = byPad.try_emplace(pad, lines.size()); fresh)
            lines.push_back(line);
        else
            lines[it->second] = line;
    }
    if (lines.size() > kMostPads) {
        problem = path + " maps " + std::to_string(lines.size()) +
                  " pads, more than any pad mapping database; it is not read";
        return false;
    }
    for (const std::string_view line : lines)
        SDL_GameControllerAddMapping(std::string(line).c_str());
    return true;
}

} // namespace w32::detail
