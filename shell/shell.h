// The player's shell around the game: the run modes (a window, headless,
// scripts, recordings, replays), the player's own folder and kept replays,
// and the hooks through which the program answers for its state. The shell
// hosts the Windows API (win32/): it chooses the display and runs the queue.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "win32.h"

namespace w32 {

// ---------------------------------------------------------------- the player's folder
// The player's own folder by the XDG rules: $XDG_DATA_HOME/zoduzor, by
// default ~/.local/share/zoduzor; empty when no home folder is known.
std::string UserDataFolder();
// Lays `folder` over the content folder (the working folder), creating it
// when missing; false, and no change, when it cannot be made or written.
// An empty `folder` puts everything back in the content folder. Kept
// replays and the window's settings belong there too.
bool UseUserFolder(const std::string& folder);

// ---------------------------------------------------------------- the run
struct RunConfig
{
    bool headless = false;
    std::string scriptPath; // --script
    std::string recordPath; // --record
    std::string mciLogPath; // --mci-log
    std::string clock;      // --clock YYYY-MM-DDTHH:MM:SS.CC (empty: default)
    uint32_t maxTimeMs = 600000;
    bool maxTimeGiven = false;
    // Relative file names of a script's screenshots and dumps are taken
    // from this folder (empty: the working folder).
    std::string fileFolder;
    std::string replayPath;   // --replay: watch a replay in a window, or verify it headless
    double speed = 1;         // --speed: the pace of a replay watched in a window
    std::string gameVersion;  // named in kept replays; a replay of another version is refused
    bool keepReplays = false; // every game that reaches its end is kept under replays/
};

// Sets the run mode before any window exists. Parses the script; on a
// malformed line or option returns false with a message naming file and line.
bool Configure(const RunConfig& config, std::string& error);

// Hooks the program gives the shell for script events and recording.
void SetDumpHook(std::function<std::string()> hook); // JSON of the state, for `dump`
void SetHashHook(std::function<uint64_t()> hook);    // state hash, for `check` and recording
void SetPlayingHook(
    std::function<bool()> hook); // true while a game is being played (recording writes checks then)
void SetMessageBoxHook(std::function<void(const char* caption, const char* text)> hook);
// Where a picture between ticks may be drawn: the window's own pixels, 800 x
// 700 with `pitch` pixels from one row to the next; none when `pixels` is null.
struct PictureTarget
{
    uint32_t* pixels = nullptr;
    int pitch = 0;
};
// The picture a window shows between two ticks of the screen's timer,
// `sinceTick` (0 to 1) of a tick after the last one, drawn without changing
// anything of the state; null when the screen shown has none. Drawn into
// `into` when it can be, and `into.pixels` returned; else the hook's own 800
// x 700 ARGB pixels, which hold until the next call. Left of the column
// `changedLeft` nothing was drawn: the pixels are those of the call before.
void SetBetweenTicksHook(
    std::function<const uint32_t*(double sinceTick, const PictureTarget& into, int& changedLeft)>
        hook);
// What a game starts from that the menus and earlier games left behind, as
// one line, and a game begun from such a line in the main menu (false when
// it cannot be): a kept replay holds one game, begun from that state.
void SetCarryHooks(std::function<std::string()> carried,
                   std::function<bool(const std::string&)> begin);
// Bytes as hexadecimal digits, two a byte, and back: false for anything but
// pairs of hexadecimal digits.
std::string ToHex(const std::string& bytes);
bool FromHex(const std::string& hex, std::string& bytes);

// Gamepads press the keys the game would get from the keyboard: the program
// tells what each pad action means at the moment, by the screen shown and
// the keys of the twelve key-setting slots. Where a name or a level number
// is typed, a picker of characters stands in for the keyboard.
enum class PadScreen { Menu, Play, Paused, NameEntry, LevelChoice };
struct PadContext
{
    PadScreen screen = PadScreen::Menu;
    UINT keys[12] = {};
    bool (*takes)(WPARAM code) = nullptr; // the characters the name or number takes
    bool full = false;                    // it takes no more characters
};
void SetPadHook(std::function<PadContext()> hook);

// ---------------------------------------------------------------- kept replays
// Called once the player's folder is chosen and before the player's files
// are read: a replay being watched gets a private copy of the files it
// starts from, made in a temporary folder. False with a message when the
// private copy cannot be made.
bool PreparePlayerFiles(std::string& error);
// A game begins at the present instant: the replay kept of it starts here,
// from the player's files as they are and the state the carry hook gives.
void GameBegins();
// The game that began last has reached its end: it is kept in replays/ under
// the date and time, its score and its first level (the newest 50 are kept),
// or the player is told why not.
void GameEnded(uint32_t score, uint32_t firstLevel);
// The exit code of the run once its message loop has ended: a replay being
// verified prints `ok`, or tells that the game ended before its recording.
int FinishRun(int code);
// Ends the process with `code` once the run is over and every file it writes
// is complete: the standard streams are flushed and the quick-exit handlers
// run, but no library tears itself down (a graphics driver or sound server
// can take a second or more over that). Builds with AddressSanitizer (for
// the leak check at exit) and for the browser return `code` instead.
int EndProcess(int code);

// Keeps large freed blocks (pictures, frame buffers) in the heap for reuse.
void TuneHeap();

// Before anything else starts: SIGINT, SIGTERM and SIGHUP end the run from
// any screen as its own end does (exit code 0), within a second.
void EndOnSignals();
// Removes what killed runs left: the temporary files of unfinished saves
// beside the player's files and the private folders of replays, once the
// process that made them no longer runs. Called once the player's folder is
// chosen.
void CleanLeftovers();

} // namespace w32
