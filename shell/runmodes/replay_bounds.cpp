// What a replay may be: someone else's file, read within bounds before
// anything runs. It holds input, the clock and state checks only (nothing
// that writes or names a file, nothing that ends the run early), is no
// larger and spans no longer than any replay the game keeps, and while its
// game plays it checks the state every second, as every recording does.
#include <filesystem>

#include "run.h"

namespace w32::detail {

namespace {

// The session, and a header carrying the player's two files in hexadecimal.
constexpr uintmax_t kLargestReplay = kSessionLimit + (uintmax_t{5} << 20);
// A recording checks the state every whole second of play; a second more
// for the first check after the game begins.
constexpr uint64_t kCheckGapMs = 2000;

struct Watch
{
    uint64_t quietSince = 0; // the last instant the game was not played
    uint64_t lastCheck = 0;
};

Watch& W()
{
    static Watch w;
    return w;
}

const char* LineName(ScriptKind kind)
{
    switch (kind) {
    case ScriptKind::Screenshot:
        return "screenshot";
    case ScriptKind::Dump:
        return "dump";
    case ScriptKind::Quit:
        return "quit";
    default:
        return nullptr;
    }
}

} // namespace

bool ReadReplayText(std::istream& in, const std::string& name, std::string& text,
                    std::string& error)
{
    text.clear();
    auto tooLarge = [&] {
        text.clear();
        error = name + " is larger than any replay the game keeps (" +
                std::to_string(kLargestReplay >> 20) + " MB); it is not played back";
        return false;
    };
    // A file says its size: one too large is not read at all.
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(name, ec);
    if (!ec && size > kLargestReplay)
        return tooLarge();
    if (!ec)
        text.reserve(static_cast<size_t>(size));
    char chunk[1 << 16];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        text.append(chunk, static_cast<size_t>(in.gcount()));
        if (text.size() > kLargestReplay)
            return tooLarge();
    }
    return true;
}

bool ReplayHoldsOnlyInput(const Script& script, const std::string& name, bool hasHeader,
                          std::string& error)
{
    for (const ScriptEvent& e : script.events) {
        if (const char* what = LineName(e.kind)) {
            error = name + ":" + std::to_string(e.line) +
                    ": a replay holds input and checks only; '" + what + "' is not played back";
            return false;
        }
    }
    if (hasHeader && script.events.empty()) {
        error = name + " holds a header and no game";
        return false;
    }
    if (!script.events.empty() && script.events.back().time > kLongestReplayMs) {
        error = name + ":" + std::to_string(script.events.back().line) +
                ": the replay goes on past " + std::to_string(kLongestReplayMs / 3600000) +
                " hours, longer than any run the game keeps";
        return false;
    }
    W() = {};
    return true;
}

void ReplayChecked(uint64_t at)
{
    W().lastCheck = at;
}

bool ReplayChecksOften(uint64_t now)
{
    Watch& w = W();
    if (!Playing()) {
        w.quietSince = now;
        return true;
    }
    const uint64_t since = std::max(w.quietSince, w.lastCheck);
    if (now <= since + kCheckGapMs)
        return true;
    ReportReplayStop("at " + std::to_string(now) + " ms",
                     ": the game plays and the recording has checked nothing since " +
                         std::to_string(since) + " ms.");
    return false;
}

// The end of a checked replay against its header: a game ends at or after
// the last line, with the score and first level the header names.
bool EndMatchesHeader(const std::optional<std::array<uint64_t, 3>>& ended, uint32_t claimedScore,
                      uint32_t claimedLevel, const ReplayPlan& plan)
{
    const std::string claim =
        "score " + std::to_string(claimedScore) + " from level " + std::to_string(claimedLevel);
    if (!ended || (*ended)[0] < plan.end) {
        ReportReplayStop("at its end", ": the header tells of a game ending with " + claim +
                                           ", and no game ends by " + std::to_string(plan.limit) +
                                           " ms.");
        return false;
    }
    const auto [at, score, level] = *ended;
    if (score == claimedScore && level == claimedLevel)
        return true;
    ReportReplayStop("at its end", ": the game ends at " + std::to_string(at) + " ms with score " +
                                       std::to_string(score) + " from level " +
                                       std::to_string(level) + ", the header says " + claim + ".");
    return false;
}

} // namespace w32::detail
