// Shared between the sources of the Win32 layer only: what each of its
// files offers the others.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "display.h"
#include "win32.h"

// A window: its procedure, whether it waits for a paint, and how the display shows it.
struct HWND__
{
    WNDPROC proc = nullptr;
    bool invalid = false;
    bool destroyed = false;
    std::unique_ptr<w32::detail::Surface> surface;
    HDC__ dc{};
};

namespace w32 {
struct Script;
struct ScriptEvent;
} // namespace w32

namespace w32::detail {

// ---------------------------------------------------------------- names (folder_cache.cpp)
std::string Lower(std::string s);
// Without regard to case; names that differ only in case keep a fixed order.
bool LessNoCase(const std::string& a, const std::string& b);
// Looks `part` up in folder `dir` without regard to case; among several
// names that differ only in case the first in LessNoCase order wins.
bool FindNoCase(const std::string& dir, const std::string& part, std::string& found);

// ---------------------------------------------------------------- windows (window.cpp)
// The first window not destroyed, or null.
HWND MainWindow();
bool IsWindowHandle(HWND h);
// The frame the window shows (800 x 700 ARGB), empty before the first present.
const std::vector<uint32_t>& Frame();
void ResetWindows();

// ---------------------------------------------------------------- messages (queue.cpp)
// The instant of the message being handled: milliseconds since the start of the run.
uint64_t Instant();
void SetInstant(uint64_t t);
// Queues an input message stamped `t`, in time order. `translate`: whether
// TranslateMessage makes a character of it (a script brings its own).
void QueueInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, uint64_t t, bool translate);
void ResetQueue();

// ---------------------------------------------------------------- run modes (runmodes.cpp)
// The time of the next script event, kNever when there is none.
uint64_t ScriptDue();
// Whether the next script event shows the window (a screenshot).
bool ScriptShowsFrame();
// Runs the next script event: its input is queued, anything else acts at once.
void RunScriptEvent();
// The instant the run ends at, kNever when it has no limit.
uint64_t TimeLimit();
// Whether a timer tick `late` milliseconds behind its time is still
// delivered rather than dropped: always with a script or a recording file; a
// kept session catches up a short delay, and a longer one ends it.
bool KeepsLateTicks(uint64_t late);
// The next script event, null when none is left.
const ScriptEvent* PendingScriptEvent();
// Ends the run with the exit code (the first request holds).
void EndRun(int code);
// The date and time of the start of the run.
const SYSTEMTIME& StartClock();
// Tells the program of a message box.
void NoteMessageBox(const char* caption, const char* text);
// The state hash, and whether a game is being played now.
uint64_t StateHash();
bool Playing();

// ---------------------------------------------------------------- recording (recording.cpp)
// Starts a recording at the given clock; false when it cannot be written.
bool OpenRecording(const std::string& path, const SYSTEMTIME& clock);
bool Recording();
bool RecordingToFile();
void CloseRecording();
// The session kept in memory for replays: started at the given clock, or dropped.
void KeepSession(const SYSTEMTIME& clock);
void DropSession();
bool KeepingSession();
const std::string& Session();
void RecordLine(uint64_t t, const std::string& text);
// Records an input message as it is delivered.
void RecordInput(const MSG& m);
// Records the state checks due before a message stamped `t`.
void RecordChecks(uint64_t t, bool isTick);
// A hash as recordings and scripts write it: 16 hexadecimal digits.
std::string Hex(uint64_t v);

// ---------------------------------------------------------------- replays (replay.cpp)
// When a watched replay shows its game: frames before `begins` are played
// as fast as possible and not shown; the clock then runs at `speed` and
// stops at `end`, the replay's last event.
struct ReplayPlan
{
    uint64_t begins = 0;
    uint64_t end = 0;
    double speed = 1;
};
// Reads the replay of --replay into `script`: its header, when it has one,
// must name this format and game version. False with a message otherwise.
// Without --replay, no replay is played.
bool LoadReplay(const RunConfig& c, Script& script, std::string& error);
bool Replaying();
const ReplayPlan& ThePlan();
// A check of a replay does not match: said on screen, or printed headless.
void ReportMismatch(const ScriptEvent& check, uint64_t state);

// ---------------------------------------------------------------- gamepads (gamepad.cpp)
// Reads the pads in a run without a screen, once they are enabled there.
void PumpPads(InputSink& sink);
// No pads open, nothing held, no hook.
void ResetPads();

// ---------------------------------------------------------------- sound (mci.cpp)
// Whether a device may be opened at all, the command log, a fresh start.
void MciSetDeviceAllowed(bool allowed);
bool MciOpenLog(const std::string& path, std::string& error);
void MciReset();
void MciShutdown();
// The volumes of music and effects (0 to 100) and the mute, for every sound.
void MciSetVolumes(int music, int effects, bool mute);

// ---------------------------------------------------------------- the window's keys
// (window_controls.cpp) Back to the default settings, kept nowhere.
void ResetWindowControls();

} // namespace w32::detail
