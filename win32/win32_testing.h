// Hooks and pure helpers of the Win32 layer that tests reach directly.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "win32.h"

namespace w32 {

// ---------------------------------------------------------------- keyboard
// The virtual-key code of an SDL key (keycode and scancode as SDL gives them);
// 0 when the key has none.
UINT VkFromSdl(int32_t sdlKeycode, int32_t sdlScancode);
// The scan code (set 1) of a virtual key, 0 when unknown.
UINT ScanCodeFromVk(UINT vk);
// The lParam of WM_KEYDOWN / WM_KEYUP.
LPARAM KeyLParam(UINT vk, bool repeat, bool up);
// The WM_CHAR that TranslateMessage makes for a key, 0 for none.
int TranslatedChar(UINT vk);
// A key as a script writes it: a VK_ name, one letter or digit, or a decimal code. -1 when bad.
int ParseKeyName(const std::string& name);

// ---------------------------------------------------------------- gamepads
enum class PadControl {
    Up,
    Down,
    Left,
    Right,
    South,
    East,
    West,
    North,
    LeftShoulder,
    RightShoulder,
    LeftTrigger,
    RightTrigger,
    Start,
    Back,
    StickUp,
    StickDown,
    StickLeft,
    StickRight,
    Count
};
// The key a pad control sends when it is pressed now; 0 for none.
UINT PadKey(PadControl control, const PadContext& now);
// Whether an axis pushed to `value` (in the direction that counts) is held:
// from rest it must pass `press`, and once held it stays so until it comes
// back within `release`.
bool AxisHeld(int value, bool wasHeld, int press, int release);

// ---------------------------------------------------------------- scripts
enum class ScriptKind {
    KeyDown,
    KeyUp,
    Char,
    Press,
    Type,
    MouseMove,
    LButtonDown,
    LButtonUp,
    Click,
    Wheel,
    Close,
    Screenshot,
    Dump,
    Check,
    Quit
};

struct ScriptEvent
{
    uint32_t time = 0;
    ScriptKind kind = ScriptKind::Quit;
    int a = 0, b = 0; // key / char code / x, y / wheel distance; a = 1 for a repeated keydown
    std::string text; // type text, file name, hex hash
    int line = 0;
};

struct Script
{
    std::string clock; // from a first `clock` line, else empty
    std::vector<ScriptEvent> events;
};

// Parses a script; on the first malformed line returns false with "<name>:<line>: <reason>".
bool ParseScript(std::istream& in, const std::string& name, Script& out, std::string& error);

// "YYYY-MM-DDTHH:MM:SS.CC" into a SYSTEMTIME (day of week filled in); false when malformed.
bool ParseClock(const std::string& text, SYSTEMTIME& out);
// The clock `ms` milliseconds after `start`.
SYSTEMTIME AddMilliseconds(const SYSTEMTIME& start, uint64_t ms);
std::string FormatClock(const SYSTEMTIME& t);

// ---------------------------------------------------------------- sound
struct SoundState
{
    std::string alias;
    std::string path; // resolved
    bool playing = false;
    bool repeat = false;
    bool onTheFly = false; // opened by `play <path>`, freed when it ends
    uint32_t starts = 0;   // how often it began playing from its beginning
};
// The sounds open now, in alias order.
std::vector<SoundState> OpenSounds();

namespace testing {
// Back to a fresh layer: no windows, queues, timers or sounds; clock at 0.
void Reset(bool headless = true);
// Gamepads also in a run without a screen (SDL's game controllers, polled
// when the queue looks for input).
void EnablePads();
// The next SetTimer calls fail (return 0) while set.
void FailSetTimer(bool fail);
// Moves the virtual clock on (headless).
void AdvanceClock(uint32_t ms);
// Queues an input message as if it came from the user, at the current time.
void InjectInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The frame the window shows (800 x 700 ARGB), empty before the first present.
const std::vector<uint32_t>& WindowFrame();
// Whether the window is marked for painting.
bool IsInvalid(HWND hwnd);
} // namespace testing

} // namespace w32
