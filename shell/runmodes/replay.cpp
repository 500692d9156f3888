// Replays: every game that reaches its end is kept as the recording of that
// game alone behind a header that names the format, the game's version, the
// instant the game began, the player's two files and the state the game
// began from (what the menus and earlier games left). Watching or verifying
// one starts the program against a private copy of those files, begins the
// game from that state at its instant and plays its input. Replays of the
// first format hold the whole run from its start and are played as such.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>

#include "end_request.h"
#include "host_api.h"
#include "run.h"
#include "storage/storage.h"

namespace fs = std::filesystem;

namespace w32::detail {

namespace {

constexpr const char* kMagic = "zoduzor-replay";
// Format 1: the whole run; format 2: one game and the state it began from.
constexpr int kWholeRun = 1, kFormat = 2;
constexpr size_t kCarriedLimit = 64 << 10;

struct Replays
{
    // Keeping the games of this run.
    std::string version;
    PlayerFiles atStart; // the player's files as the game being played began
    std::string carried;
    bool inGame = false;
    uint64_t gameBegins = 0;
    // Watching or verifying a replay.
    bool replaying = false;
    bool begun = false; // the game of a one-game replay has begun
    bool headless = false;
    std::string path;
    ReplayPlan plan;
    PlayerFiles files;
    fs::path privateFolder;
    // What the header says of the game's end, and how the last game ended.
    bool hasHeader = false;
    uint32_t claimedScore = 0, claimedLevel = 0;
    std::optional<std::array<uint64_t, 3>> ended; // instant, score, first level

    ~Replays()
    {
        std::error_code ec;
        if (!privateFolder.empty())
            fs::remove_all(privateFolder, ec);
    }
};

Replays& R()
{
    static Replays r;
    return r;
}

std::string Header(uint32_t score, uint32_t firstLevel)
{
    const Replays& r = R();
    std::ostringstream h;
    h << kMagic << ' ' << kFormat << '\n'
      << "game-version " << r.version << '\n'
      << "game-begins " << r.gameBegins << '\n'
      << "first-level " << firstLevel << '\n'
      << "score " << score << '\n';
    for (size_t i = 0; i < r.atStart.size(); ++i) {
        h << "file " << kPlayerFiles[i] << ' ';
        if (r.atStart[i])
            h << 'x' << ToHex(*r.atStart[i]) << '\n';
        else
            h << "-\n";
    }
    h << "carried " << r.carried << '\n';
    return h.str();
}

// Reads the header of `text` when it has one, blanking its lines so that the
// script's lines keep their numbers.
bool ReadHeader(std::string& text, const std::string& name, const std::string& version,
                std::string& error)
{
    Replays& r = R();
    std::istringstream in(text);
    std::string line, body;
    int lineNo = 0;
    bool inHeader = false, sawMagic = false, sawVersion = false, wholeRun = true;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::istringstream words(line);
        std::string key, value, more;
        words >> key >> value;
        const bool header = lineNo == 1
                                ? key == kMagic
                                : inHeader && (key == "game-version" || key == "game-begins" ||
                                               key == "first-level" || key == "score" ||
                                               key == "file" || key == "carried");
        if (!header) {
            inHeader = false;
            body += line + '\n';
            continue;
        }
        inHeader = true;
        body += '\n';
        const std::string where = name + ":" + std::to_string(lineNo) + ": ";
        if (key == kMagic) {
            sawMagic = true;
            int format = 0;
            auto res = std::from_chars(value.data(), value.data() + value.size(), format);
            if (value.empty() || res.ec != std::errc() ||
                (format != kFormat && format != kWholeRun)) {
                error = name + " is a replay of format " + (value.empty() ? "?" : value) +
                        "; this zoduzor plays back replays of formats " +
                        std::to_string(kWholeRun) + " and " + std::to_string(kFormat) + " only";
                return false;
            }
            wholeRun = format == kWholeRun;
        } else if (key == "game-version") {
            sawVersion = true;
            if (!version.empty() && value != version) {
                error = name + " was recorded by zoduzor " + value + "; this is zoduzor " +
                        version + ", whose games may go differently, so it is not played back";
                return false;
            }
        } else if (key == "game-begins") {
            auto res = std::from_chars(value.data(), value.data() + value.size(), r.plan.begins);
            if (value.empty() || res.ec != std::errc() || res.ptr != value.data() + value.size()) {
                error = where + "game-begins wants milliseconds";
                return false;
            }
        } else if (key == "score" || key == "first-level") {
            uint32_t& claim = key == "score" ? r.claimedScore : r.claimedLevel;
            auto res = std::from_chars(value.data(), value.data() + value.size(), claim);
            if (value.empty() || res.ec != std::errc() || res.ptr != value.data() + value.size()) {
                error = where + key + " wants a number";
                return false;
            }
        } else if (key == "carried") {
            // The state is the rest of the line.
            if (wholeRun || value.empty()) {
                error = where +
                        "carried wants the state its game begins from, in a replay of format " +
                        std::to_string(kFormat);
                return false;
            }
            r.plan.carried = line.substr(line.find(value));
            // The game's state is a few kilobytes: more is not what the game wrote.
            if (r.plan.carried->size() > kCarriedLimit) {
                error = where + "carried is longer than any state the game keeps";
                return false;
            }
        } else if (key == "file") {
            words >> more;
            const auto* known = std::find(std::begin(kPlayerFiles), std::end(kPlayerFiles), value);
            std::string bytes;
            if (known == std::end(kPlayerFiles) ||
                (more != "-" &&
                 (more.empty() || more[0] != 'x' || !FromHex(more.substr(1), bytes)))) {
                error =
                    where + "file wants a player's file and x with its bytes in hexadecimal, or -";
                return false;
            }
            if (more != "-")
                r.files[static_cast<size_t>(known - std::begin(kPlayerFiles))] = bytes;
        }
    }
    if (sawMagic && !sawVersion) {
        error = name + " names no game-version";
        return false;
    }
    if (sawMagic && !wholeRun && !r.plan.carried) {
        error = name + " names no carried state, which its game begins from";
        return false;
    }
    r.hasHeader = sawMagic;
    text = std::move(body);
    return true;
}

} // namespace

bool LoadReplay(const RunConfig& c, Script& script, std::string& error)
{
    Replays& r = R();
    r.replaying = !c.replayPath.empty();
    r.version = c.gameVersion;
    r.plan = {};
    r.plan.speed = c.speed;
    r.files = {};
    r.headless = c.headless;
    r.path = c.replayPath;
    r.hasHeader = false;
    r.begun = false;
    r.ended.reset();
    if (!r.replaying)
        return true;
    InFile in(c.replayPath);
    if (!in.is_open()) {
        error = "cannot read the replay " + c.replayPath;
        return false;
    }
    std::string text;
    if (!ReadReplayText(in, c.replayPath, text, error) ||
        !ReadHeader(text, c.replayPath, c.gameVersion, error))
        return false;
    std::istringstream body(std::move(text));
    if (!ParseScript(body, c.replayPath, script, error) ||
        !ReplayHoldsOnlyInput(script, c.replayPath, r.hasHeader, error))
        return false;
    r.plan.end = script.events.empty() ? 0 : script.events.back().time;
    r.plan.begins = std::min(r.plan.begins, r.plan.end);
    // A check runs on to the end of the header's game, which comes within a
    // second of the last check.
    r.plan.limit = r.plan.end + (r.hasHeader && r.headless ? kEndGraceMs : 0);
    return true;
}

bool Replaying()
{
    return R().replaying;
}

const ReplayPlan& ThePlan()
{
    return R().plan;
}

bool GameToBegin()
{
    const Replays& r = R();
    return r.replaying && r.plan.carried && !r.begun;
}

bool BeginReplayedGame()
{
    Replays& r = R();
    r.begun = true;
    // The wait before the game ends here: its checks are due from now on.
    ReplayChecksOften(Instant());
    const RunMode& m = TheRunMode();
    if (m.beginHook && m.beginHook(*r.plan.carried))
        return true;
    ReportReplayStop("at " + std::to_string(Instant()) + " ms",
                     ": its game cannot begin from the state the replay carries.");
    return false;
}

void ReportMismatch(const ScriptEvent& check, uint64_t state)
{
    ReportReplayStop(
        "at " + std::to_string(check.time) + " ms (line " + std::to_string(check.line) + ")",
        ": the recording has the state " + check.text + ", the game " + Hex(state) + ".");
}

void ReportReplayStop(const std::string& where, const std::string& details)
{
    const Replays& r = R();
    const std::string text = "The replay " + r.path + " differs from this game " + where + details;
    if (r.headless) {
        std::cout << text << std::endl;
        return;
    }
    // The box fits the window: the file's name, where; the rest on stderr.
    std::cerr << text << std::endl;
    std::string name = fs::path(r.path).filename().string();
    if (name.size() > 60)
        name = "..." + name.substr(name.size() - 57);
    const std::string box = "The replay " + name + " differs from this game " + where +
                            ".\n\nThe details are on the standard error.";
    MessageBoxA(MainWindow(), box.c_str(), "Zoduzor: replay stopped", MB_OK | MB_ICONEXCLAMATION);
}

} // namespace w32::detail

namespace w32 {

bool PreparePlayerFiles(std::string& error)
{
    detail::Replays& r = detail::R();
    if (r.replaying)
        return detail::MakePrivateFolder(r.files, r.privateFolder, error);
    return true;
}

void GameBegins()
{
    detail::Replays& r = detail::R();
    r.inGame = true;
    r.gameBegins = detail::Instant();
    if (r.replaying || !detail::KeepingSession())
        return;
    // What the game begins from, for the replay kept of it.
    for (size_t i = 0; i < r.atStart.size(); ++i)
        r.atStart[i] = detail::ReadPlayerFile(detail::kPlayerFiles[i]);
    const detail::RunMode& m = detail::TheRunMode();
    r.carried = m.carryHook ? m.carryHook() : std::string();
    detail::CutSession(r.gameBegins);
}

void GameEnded(uint32_t score, uint32_t firstLevel)
{
    detail::Replays& r = detail::R();
    // A game that ended the moment it began (no first level) is nothing to watch.
    const bool ended = r.inGame && detail::Instant() != r.gameBegins;
    r.inGame = false;
    if (r.replaying) {
        // The replay's own game ends: a check is over.
        r.ended = {detail::Instant(), score, firstLevel};
        if (r.hasHeader && r.headless && !detail::PendingScriptEvent())
            detail::EndRun(0);
        return;
    }
    std::string game, why;
    if (!detail::EndSession(game, why) || !ended) {
        if (ended && !why.empty())
            detail::TellNotKept(why);
        return;
    }
    detail::KeepReplay(AddMilliseconds(detail::StartClock(), detail::Instant()), score, firstLevel,
                       detail::Header(score, firstLevel) + game);
}

int FinishRun(int code)
{
    detail::RunIsOver();
    const detail::Replays& r = detail::R();
    if (!r.replaying || !r.headless)
        return code;
    if (const int stopped = detail::CheckStopped(r.path))
        return stopped;
    // Events of later instants left over: the game went another way and ended early.
    if (code == 0) {
        if (const ScriptEvent* next = detail::PendingScriptEvent();
            next && next->time > detail::Instant()) {
            std::cout << "The replay " << r.path << " differs from this game: the game ended at "
                      << detail::Instant() << " ms, the recording goes on at " << next->time
                      << " ms (line " << next->line << ")." << std::endl;
            return 4;
        }
        if (r.hasHeader &&
            !detail::EndMatchesHeader(r.ended, r.claimedScore, r.claimedLevel, r.plan))
            return 4;
        std::cout << "ok" << std::endl;
    }
    return code;
}

} // namespace w32
