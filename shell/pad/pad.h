// Gamepads as the displays use them: SDL's game controllers and a script's
// pad pressing the keys of the current key settings (gamepad.cpp), and the
// picker of characters where a name or a level number is typed (pad_keys.cpp).
#pragma once

#include <SDL.h>

#include <string>

#include "host.h"
#include "shell_testing.h"

namespace w32::detail {

// Opens SDL's game controllers, with a mapping database when one is found
// (gamecontrollerdb.txt in the player's folder or the content folder).
void StartPads();
// A game controller's event (a pad added or removed, a button, an axis) as
// the key messages it makes; other events are ignored.
void PadEvent(const SDL_Event& ev, InputSink& sink);
// Reads the pads in a run without a screen, once they are enabled there.
void PumpPads(InputSink& sink);
// Adds the mappings of a mapping database for this platform (mappings.cpp);
// false with the problem when the file is refused.
bool AddMappingsFile(const std::string& path, std::string& problem);
// A script's pad: its button (SDL's) pressed or let go, its axis moved, as
// the key messages a real pad makes.
void ScriptPadButton(int button, bool down, InputSink& sink);
void ScriptPadAxis(int axis, int value, InputSink& sink);
// No pads open, nothing held, no hook, the pickers at their first characters.
void ResetPads();

// ---------------------------------------------------------------- the picker
// Whether the screen types with the picker.
bool PickerScreen(PadScreen screen);
// What a control does to the picker: up and down choose the previous or
// next character, the shoulders the first of the previous or next kind
// (capitals, small letters, digits), right and south add the one chosen.
enum class PickerMove { None, Previous, Next, PreviousKind, NextKind, Add };
PickerMove PickerMoveOf(PadControl control);
void MovePicker(const PadContext& now, PickerMove move);
void ResetPicker();
// The picker of the screen `now` names: the characters it takes, the one chosen.
PickerView PickerViewOf(const PadContext& now);
// The picker to show now: none unless a pad is there and a picker screen shown.
PickerView PickerNow();
// No picker is shown in this run (a replay watched: the pads type nothing).
void HidePicker();

} // namespace w32::detail
