// Hooks and pure helpers of the shell that its own files share and tests
// reach directly: SDL's keys, gamepads, scripts, the window's frame and
// settings, and a fresh start.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "shell.h"

union SDL_Event;

namespace w32 {

// ---------------------------------------------------------------- keyboard
// The virtual-key code of an SDL key (keycode and scancode as SDL gives them);
// 0 when the key has none.
UINT VkFromSdl(int32_t sdlKeycode, int32_t sdlScancode);

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
// The picker of characters a pad types with where a name or a level number
// is asked for, as the window draws it beside the prompt: the characters
// offered and the one chosen, dimmed when the text takes no more. (x, y) is
// the frame point it stands at: its right edge, the middle of the chosen
// character. No characters: nothing is shown.
struct PickerView
{
    std::string chars; // capitals, small letters, digits, the rest
    int selected = 0;
    bool full = false;
    int x = 0, y = 0;
};

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
    Quit,
    PadButton, // a = SDL's button, b = 1 pressed, 0 let go
    PadAxis    // a = SDL's axis, b = its value
};

struct ScriptEvent
{
    uint32_t time = 0;
    ScriptKind kind = ScriptKind::Quit;
    int a = 0, b = 0; // key / char code / x, y / wheel distance / pad control; b = 1: a repeat
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

// ---------------------------------------------------------------- the window
// Where the frame sits in an area (a window's client area): sharp, at the
// largest whole-number scale that fits (the fit when even 1 does not);
// otherwise at the largest scale that fits. Centred, with bars around it.
struct FrameBox
{
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const FrameBox&) const = default;
};
FrameBox PlaceFrame(int areaW, int areaH, bool sharp, int frameW = 800, int frameH = 700);
// Crisp scaling's whole-number scale: the smallest that makes the frame at
// least as large as its box (then filtered down to the box); 1 for a box
// no larger than the frame.
int CrispScale(const FrameBox& box, int frameW = 800, int frameH = 700);
// The pixel of the frame under the point (x, y) of the area; a point on the
// bars gives the nearest point of the frame's edge.
POINT FramePoint(const FrameBox& box, int x, int y, int frameW = 800, int frameH = 700);

// The smallest client area the window can be given.
constexpr int kMinWindowW = 400, kMinWindowH = 350;

// Smooth: as large as fits, filtered. Crisp: enlarged by a whole number
// without filtering, then filtered down to fit. Sharp: the largest
// whole-number size that fits, square pixels.
enum class Scaling { Smooth, Crisp, Sharp };

// What the window keeps between runs, in Window.cfg.
struct WindowSettings
{
    int width = 800, height = 700; // the client area when not fullscreen
    Scaling scaling = Scaling::Smooth;
    bool fullscreen = false;
    bool smoothMotion = true;       // pictures between ticks; else only those of the ticks
    int music = 100, effects = 100; // 0 to 100 in steps of 10
    bool mute = false;
    bool operator==(const WindowSettings&) const = default;
};
// `key=value` lines; unknown and damaged lines are skipped (defaults stay).
WindowSettings ParseWindowSettings(std::istream& in);
std::string FormatWindowSettings(const WindowSettings& s);
// Window.cfg in the user folder, else in the content folder (the working folder).
std::string WindowSettingsPath();
// The settings in the file; defaults when it is missing or not a plain file.
WindowSettings LoadWindowSettings(const std::string& path);
// Writes a temporary file and renames it over the old one; false when it cannot.
bool SaveWindowSettings(const std::string& path, const WindowSettings& s);

// The keys the window takes for itself.
enum class WindowKey {
    None,
    Fullscreen,
    Motion,
    Scaling,
    MusicDown,
    MusicUp,
    EffectsDown,
    EffectsUp,
    Mute
};
WindowKey WindowKeyOf(int32_t sdlKeycode, bool alt);
// What shows over the frame for a moment: a text, and a gauge of 0 to 100 (-1: none).
struct Indication
{
    std::string text;
    int value = -1;
};
// Changes the settings as the key says; the indication to show (empty text: none).
Indication ApplyWindowKey(WindowKey key, WindowSettings& s);

namespace testing {
// Back to a fresh start: no windows, queues, timers, sounds, script,
// recording, pads or hooks; the window's settings at their defaults; a run
// on a screen or without one, clock at 0.
void Reset(bool headless = true);
// Gamepads also in a run without a screen (SDL's game controllers, polled
// when the queue looks for input).
void EnablePads();
// Hands an SDL event to the shell as a window's display does.
void FeedSdlEvent(const SDL_Event& ev);
} // namespace testing

} // namespace w32
