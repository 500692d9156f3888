// Helpers of the menu screens' whole-program tests: images of known size in
// a game folder, the trace and MCI log of a run, and reading screenshots.
#pragma once

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include "harness.h"

namespace menutest {

namespace fs = std::filesystem;

inline bool SameNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The path of rel (slash-separated) inside root, each existing component
// matched without regard to case, as the game finds its files.
inline fs::path CiPath(const fs::path& root, const std::string& rel)
{
    fs::path cur = root;
    std::stringstream parts(rel);
    std::string part;
    while (std::getline(parts, part, '/')) {
        fs::path next = cur / part;
        if (!fs::exists(next) && fs::is_directory(cur)) {
            for (const auto& entry : fs::directory_iterator(cur)) {
                if (SameNoCase(entry.path().filename().string(), part)) {
                    next = entry.path();
                    break;
                }
            }
        }
        cur = next;
    }
    return cur;
}

// Writes a PNG of w x h pixels in one colour (creating folders).
inline void WritePng(const fs::path& file, int w, int h, Uint8 r = 40, Uint8 g = 160, Uint8 b = 40)
{
    fs::create_directories(file.parent_path());
    harness::Unshare(file);
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
    SDL_FillRect(s, nullptr, SDL_MapRGBA(s->format, r, g, b, 255));
    IMG_SavePNG(s, file.string().c_str());
    SDL_FreeSurface(s);
}

// Writes a PNG into the game folder at rel, replacing a file of that name
// in any letter case.
inline void PutImage(const harness::GameDir& dir, const std::string& rel, int w, int h,
                     Uint8 r = 40, Uint8 g = 160, Uint8 b = 40)
{
    WritePng(CiPath(dir.path(), rel), w, h, r, g, b);
}

inline void RemoveFile(const harness::GameDir& dir, const std::string& rel)
{
    std::error_code ec;
    fs::remove(CiPath(dir.path(), rel), ec);
}

inline std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> out;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        out.push_back(line);
    }
    return out;
}

struct TracedRun
{
    harness::RunResult result;
    std::vector<std::string> trace; // "<ms> <MODE> <MESSAGE> <wParam> <lParam>"
    std::vector<std::string> mci;   // one command a line
};

inline TracedRun PlayTraced(const harness::GameDir& dir, const std::string& script)
{
    TracedRun run;
    run.result = dir.Play(script, {"--trace", (dir.path() / "trace.txt").string(), "--mci-log",
                                   (dir.path() / "mci.txt").string()});
    if (dir.Exists("trace.txt")) {
        run.trace = SplitLines(dir.Read("trace.txt"));
    }
    if (dir.Exists("mci.txt")) {
        run.mci = SplitLines(dir.Read("mci.txt"));
    }
    return run;
}

// Trace lines of one mode and message, e.g. ("MENU", "WM_PAINT").
inline std::vector<long> TraceTimes(const std::vector<std::string>& trace, const std::string& mode,
                                    const std::string& message)
{
    std::vector<long> times;
    for (const std::string& line : trace) {
        std::istringstream in(line);
        long ms = 0;
        std::string m, msg;
        if (in >> ms >> m >> msg && m == mode && msg == message) {
            times.push_back(ms);
        }
    }
    return times;
}

inline bool HasTime(const std::vector<long>& times, long ms)
{
    return std::find(times.begin(), times.end(), ms) != times.end();
}

// Whether any of the times lies in [from, to].
inline bool AnyBetween(const std::vector<long>& times, long from, long to)
{
    return std::any_of(times.begin(), times.end(), [&](long t) { return t >= from && t <= to; });
}

// Lines of a settings or high-score file.
inline std::vector<std::string> FileLines(const harness::GameDir& dir, const std::string& rel)
{
    return SplitLines(dir.Read(rel));
}

// A screenshot as RGBA pixels.
class Picture
{
  public:
    explicit Picture(const fs::path& file)
    {
        SDL_Surface* loaded = IMG_Load(file.string().c_str());
        if (loaded) {
            surface_ = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
            SDL_FreeSurface(loaded);
        }
    }
    ~Picture()
    {
        if (surface_) {
            SDL_FreeSurface(surface_);
        }
    }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    bool Ok() const { return surface_ != nullptr; }
    int Width() const { return surface_ ? surface_->w : 0; }
    int Height() const { return surface_ ? surface_->h : 0; }
    SDL_Color At(int x, int y) const
    {
        const auto* row = static_cast<const Uint8*>(surface_->pixels) + y * surface_->pitch;
        const Uint8* p = row + 4 * x;
        return SDL_Color{p[0], p[1], p[2], p[3]};
    }
    // Pixels in [x1, x2) x [y1, y2) for which pred holds.
    template <class Pred> int Count(int x1, int y1, int x2, int y2, Pred pred) const
    {
        int n = 0;
        for (int y = std::max(0, y1); y < std::min(y2, Height()); ++y) {
            for (int x = std::max(0, x1); x < std::min(x2, Width()); ++x) {
                n += pred(At(x, y)) ? 1 : 0;
            }
        }
        return n;
    }
    // The rightmost x in the box with a pixel for which pred holds, or -1.
    template <class Pred> int RightmostX(int x1, int y1, int x2, int y2, Pred pred) const
    {
        for (int x = std::min(x2, Width()) - 1; x >= std::max(0, x1); --x) {
            for (int y = std::max(0, y1); y < std::min(y2, Height()); ++y) {
                if (pred(At(x, y))) {
                    return x;
                }
            }
        }
        return -1;
    }

  private:
    SDL_Surface* surface_ = nullptr;
};

// A script built event by event, 10 ms apart unless told otherwise; it ends with quit.
class Script
{
  public:
    Script& Do(const std::string& event)
    {
        text_ += std::to_string(t_) + " " + event + "\n";
        t_ += 10;
        return *this;
    }
    Script& Wait(int ms)
    {
        t_ += ms;
        return *this;
    }
    Script& Repeat(const std::string& event, int times)
    {
        for (int i = 0; i < times; ++i) {
            Do(event);
        }
        return *this;
    }
    // From the main menu (Play selected on entry) to its button number b.
    Script& MenuTo(int button) { return Repeat("press VK_DOWN", button - 2).Do("press VK_RETURN"); }
    int Now() const { return t_; }
    std::string Text() const { return text_ + std::to_string(t_ + 100) + " quit\n"; }

  private:
    int t_ = 100;
    std::string text_;
};

} // namespace menutest
