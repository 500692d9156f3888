// What the API offers whoever runs it, beyond what the game calls: input
// queued as the user's, keys and their names, the instant and the clock,
// the main window and its frame, the end of the run, the sound's controls and
// the player's folder laid over the content.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host.h"
#include "win32.h"

namespace w32 {

// ---------------------------------------------------------------- keys
// The scan code (set 1) of a virtual key, 0 when unknown.
UINT ScanCodeFromVk(UINT vk);
// The lParam of WM_KEYDOWN / WM_KEYUP.
LPARAM KeyLParam(UINT vk, bool repeat, bool up);
// The WM_CHAR that TranslateMessage makes for a key, 0 for none.
int TranslatedChar(UINT vk);
// A key as a script writes it: a VK_ name, one letter or digit, or a decimal code. -1 when bad.
int ParseKeyName(const std::string& name);

// ---------------------------------------------------------------- clock texts
// "YYYY-MM-DDTHH:MM:SS.CC" into a SYSTEMTIME (day of week filled in); false when malformed.
bool ParseClock(const std::string& text, SYSTEMTIME& out);
// The clock `ms` milliseconds after `start`.
SYSTEMTIME AddMilliseconds(const SYSTEMTIME& start, uint64_t ms);
std::string FormatClock(const SYSTEMTIME& t);

// Returns the exit code the run asked for (EndRun), or -1.
int RequestedExitCode();

// The player's folder laid over the content folder (absolute), empty when
// everything lives in the content folder (a portable set-up).
std::string UserFolder();

} // namespace w32

namespace w32::detail {

// ---------------------------------------------------------------- messages
// The instant of the message being handled: milliseconds since the start of the run.
uint64_t Instant();
void SetInstant(uint64_t t);
// Queues an input message stamped `t`, in time order. `translate`: whether
// TranslateMessage makes a character of it (a script brings its own).
void QueueInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, uint64_t t, bool translate);
// Ends the run: GetMessageA returns WM_QUIT with the code next (the first request holds).
void EndRun(int code);

// ---------------------------------------------------------------- the clock
// The date and time at the start of the run, which GetLocalTime counts from.
void SetStartClock(const SYSTEMTIME& start);
const SYSTEMTIME& StartClock();

// ---------------------------------------------------------------- windows
// The first window not destroyed, or null.
HWND MainWindow();
// The frame the window shows (800 x 700 ARGB), empty before the first present.
const std::vector<uint32_t>& Frame();

// ---------------------------------------------------------------- files
// Lays the folder (absolute, existing) over the content folder; see ResolvePath.
// Empty: everything lives in the content folder.
void SetUserFolder(const std::string& absolute);

// ---------------------------------------------------------------- sound
// Whether a device may be opened at all, the command log, the volumes.
void MciSetDeviceAllowed(bool allowed);
bool MciOpenLog(const std::string& path, std::string& error);
// The volumes of music and effects (0 to 100) and the mute, for every sound.
void MciSetVolumes(int music, int effects, bool mute);
// Closes every sound and the device.
void MciShutdown();

// Back to a fresh API: no windows, messages, timers or sounds, no end asked.
void ResetApi();

} // namespace w32::detail
