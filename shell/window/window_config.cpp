// The window's own settings file, Window.cfg: plain `key=value` lines beside
// the player's other files. A line that is unknown or damaged is skipped and
// its setting keeps its default. Read and saved as the player's other files are.
#include <charconv>
#include <filesystem>
#include <sstream>

#include "host_api.h"
#include "shell_testing.h"
#include "storage/storage.h"

namespace w32 {

namespace {

constexpr const char* kFileName = "Window.cfg";
constexpr size_t kLongestFile = 4096; // more than any file this program writes

std::string Trimmed(const std::string& s)
{
    const size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

bool Number(const std::string& text, int low, int high, int& out)
{
    int v = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size() || v < low ||
        v > high)
        return false;
    out = v;
    return true;
}

bool Flag(const std::string& text, bool& out)
{
    if (text != "0" && text != "1")
        return false;
    out = text == "1";
    return true;
}

// A volume: 0 to 100, taken to the nearest step of ten.
bool Volume(const std::string& text, int& out)
{
    int v = 0;
    if (!Number(text, 0, 100, v))
        return false;
    out = (v + 5) / 10 * 10;
    return true;
}

const char* ScalingName(Scaling s)
{
    switch (s) {
    case Scaling::Crisp:
        return "crisp";
    case Scaling::Sharp:
        return "sharp";
    case Scaling::Smooth:
        break;
    }
    return "smooth";
}

} // namespace

WindowSettings ParseWindowSettings(std::istream& in)
{
    WindowSettings s;
    for (std::string line; std::getline(in, line);) {
        line = Trimmed(line);
        const size_t eq = line.find('=');
        if (line.empty() || line[0] == '#' || eq == std::string::npos)
            continue;
        const std::string key = Trimmed(line.substr(0, eq));
        const std::string value = Trimmed(line.substr(eq + 1));
        if (key == "width") {
            Number(value, kMinWindowW, 16384, s.width);
        } else if (key == "height") {
            Number(value, kMinWindowH, 16384, s.height);
        } else if (key == "scaling") {
            for (Scaling k : {Scaling::Smooth, Scaling::Crisp, Scaling::Sharp}) {
                if (value == ScalingName(k))
                    s.scaling = k;
            }
        } else if (key == "motion") {
            if (value == "smooth" || value == "authentic")
                s.smoothMotion = value == "smooth";
        } else if (key == "fullscreen") {
            Flag(value, s.fullscreen);
        } else if (key == "music") {
            Volume(value, s.music);
        } else if (key == "effects") {
            Volume(value, s.effects);
        } else if (key == "mute") {
            Flag(value, s.mute);
        }
    }
    return s;
}

std::string FormatWindowSettings(const WindowSettings& s)
{
    std::ostringstream out;
    out << "width=" << s.width << "\nheight=" << s.height << "\nscaling=" << ScalingName(s.scaling)
        << "\nfullscreen=" << s.fullscreen
        << "\nmotion=" << (s.smoothMotion ? "smooth" : "authentic") << "\nmusic=" << s.music
        << "\neffects=" << s.effects << "\nmute=" << s.mute << "\n";
    return out.str();
}

std::string WindowSettingsPath()
{
    namespace fs = std::filesystem;
    const std::string user = UserFolder();
    std::error_code ec;
    const fs::path folder = user.empty() ? fs::current_path(ec) : fs::path(user);
    return ec ? std::string(kFileName) : (folder / kFileName).string();
}

WindowSettings LoadWindowSettings(const std::string& path)
{
    // Only the start of a file this long is read: no setting lies further.
    InFile in(path);
    std::string text(kLongestFile, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    std::istringstream lines(text);
    return ParseWindowSettings(lines);
}

bool SaveWindowSettings(const std::string& path, const WindowSettings& s)
{
    return SaveFile(path, FormatWindowSettings(s));
}

} // namespace w32
