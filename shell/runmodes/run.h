// Shared by the files of the run modes: the run the API's queue runs inside,
// the program's answers for its state, recordings and replays.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <istream>
#include <optional>
#include <string>

#include "host.h"
#include "shell.h"
#include "shell_testing.h"

namespace w32::detail {

// ---------------------------------------------------------------- the run (runmodes.cpp)
// The run mode of the run: its script and how far it has gone, its time
// limit, and the hooks through which the program answers for its state.
struct RunMode final : Run
{
    uint32_t maxTime = 600000;
    bool maxTimeGiven = false;
    Script script;
    size_t scriptNext = 0;
    bool hasScript = false;
    std::function<std::string()> dumpHook;
    std::function<uint64_t()> hashHook;
    std::function<bool()> playingHook;
    std::function<void(const char*, const char*)> boxHook;
    std::function<std::string()> carryHook;
    std::function<bool(const std::string&)> beginHook;

    // The script's next event, its time limit, and what the game is handed
    // recorded (see host.h).
    uint64_t NextEvent() const override;
    bool NextEventShowsFrame() const override;
    void RunNextEvent() override;
    uint64_t TimeLimit() const override;
    // Always with a script or a recording file; a kept session catches up a
    // short delay, and a longer one ends it.
    bool KeepsLateTicks(uint64_t late) override;
    void Observe(Delivery what, const MSG& msg) override;
    void MessageBoxShown(const char* caption, const char* text) override;
};
RunMode& TheRunMode();
// The run's clock: the time of its display (configure.cpp).
uint64_t RunClock();
// The next script event, null when none is left.
const ScriptEvent* PendingScriptEvent();
// The state hash, and whether a game is being played now.
uint64_t StateHash();
bool Playing();

// ---------------------------------------------------------------- recording (recording.cpp)
// Starts a recording at the given clock; false when it cannot be written.
bool OpenRecording(const std::string& path, const SYSTEMTIME& clock);
bool Recording();
bool RecordingToFile();
void CloseRecording();
// The games of the run kept in memory for replays, one at a time: from the
// run's start at the given clock, or no longer.
void KeepSession(const SYSTEMTIME& clock);
void DropSession();
bool KeepingSession();
// A game begins at `t`: its recording starts afresh (with what the input
// that began it brought at `t`).
void CutSession(uint64_t t);
// The game being played will not be kept, for the reason given (the first
// reason stands); its lines are let go.
void SpoilGame(const std::string& why);
// The game ends: its recording (after the run's clock line) when it is to be
// kept, else false with the reason (empty when no game was being kept).
bool EndSession(std::string& game, std::string& why);
// A line at `t`; `input` for the line of an input message.
void RecordLine(uint64_t t, const std::string& text, bool input = false);
// Records an input message as it is delivered.
void RecordInput(const MSG& m);
// Records the state checks due before a message stamped `t`.
void RecordChecks(uint64_t t, bool isTick);
// A hash as recordings and scripts write it: 16 hexadecimal digits.
std::string Hex(uint64_t v);

// ---------------------------------------------------------------- replays' files
// (replay_files.cpp) The player's two files a replay carries, each as its bytes or none.
constexpr const char* kPlayerFiles[] = {"UserSettings.list", "HighScores.list"};
using PlayerFiles = std::array<std::optional<std::string>, 2>;
// A player's file as the game would find it now: its bytes, or nothing when
// there is no regular file or it is larger than any the game writes.
std::optional<std::string> ReadPlayerFile(const char* name);
// A private temporary folder holding `files` (and the player's own data and
// pictures by links), made the player's folder of this run; false with a
// message when it cannot be.
bool MakePrivateFolder(const PlayerFiles& files, std::filesystem::path& folder, std::string& error);

// ---------------------------------------------------------------- replays (replay.cpp)
// When a watched replay shows its game: frames before `begins` are played
// as fast as possible and not shown; the clock then runs at `speed` and
// stops at `end`, the replay's last event.
struct ReplayPlan
{
    uint64_t begins = 0;
    uint64_t end = 0;
    double speed = 1;
    uint64_t limit = 0; // the run's time limit: `end`, or a little past it for a check
    // A replay of one game: the state it begins from, at `begins`, in the main menu.
    std::optional<std::string> carried;
};
// Reads the replay of --replay into `script`: its header, when it has one,
// must name this format and game version. False with a message otherwise.
// Without --replay, no replay is played.
bool LoadReplay(const RunConfig& c, Script& script, std::string& error);
bool Replaying();
const ReplayPlan& ThePlan();
// A replay of one game begins it from its carried state, once, at `begins`:
// whether that is still to come, and doing it (false, said, when the game
// cannot begin from that state).
bool GameToBegin();
bool BeginReplayedGame();
// A check of a replay does not match: said on screen, or printed headless.
void ReportMismatch(const ScriptEvent& check, uint64_t state);
// The replay stops: "The replay FILE differs from this game ", `where` (an
// instant and line) and the `details`: printed headless; on screen in a box
// naming the file and `where`, the whole on stderr.
void ReportReplayStop(const std::string& where, const std::string& details);

// ---------------------------------------------------------------- replays' bounds
// (replay_bounds.cpp) A kept session grows to this size at most, and spans this time at most.
constexpr size_t kSessionLimit = size_t{64} << 20;
constexpr uint64_t kLongestReplayMs = uint64_t{24} * 3600 * 1000;
// A game ends within a second of the last check of its recording.
constexpr uint64_t kEndGraceMs = 1000;
// Reads a replay's text; false when it is larger than any the game keeps.
bool ReadReplayText(std::istream& in, const std::string& name, std::string& text,
                    std::string& error);
// False, naming the line, when a replay holds more than input, the clock and
// checks, spans longer than any kept run, or holds a header and no game.
bool ReplayHoldsOnlyInput(const Script& script, const std::string& name, bool hasHeader,
                          std::string& error);
// A check of the replay ran at `at`; at every tick, whether the replay has
// checked the state within the last two seconds of play (said when not).
void ReplayChecked(uint64_t at);
bool ReplayChecksOften(uint64_t now);
// The end of a checked replay against its header (said when not): a game
// ended (instant, score, first level) at or after the last line, with the
// score and first level the header names.
bool EndMatchesHeader(const std::optional<std::array<uint64_t, 3>>& ended, uint32_t claimedScore,
                      uint32_t claimedLevel, const ReplayPlan& plan);

// ---------------------------------------------------------------- kept replays (kept_replays.cpp)
// Keeps the replay `text` of a game that ended at the clock `ended` in
// replays/ under the date and time, its score and its first level, and
// prunes the oldest beyond the newest 50; false (said on stderr) when it
// cannot be kept.
bool KeepReplay(const SYSTEMTIME& ended, uint32_t score, uint32_t firstLevel,
                const std::string& text);
// A game that ended is not kept, for the reason given: said on stderr and
// over the window.
void TellNotKept(const std::string& why);

} // namespace w32::detail
