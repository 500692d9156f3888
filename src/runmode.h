// The run modes around the game: the message trace, the state dump and the
// state hash used by recordings.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "shell.h"
#include "win32.h"

namespace w32 {
struct PadContext; // shell.h
}

// Opens the trace file (empty: no trace). Returns false when it cannot be written.
bool OpenTrace(const std::string& path);
// One line per message delivered to a screen procedure.
void TraceMessage(UINT msg, WPARAM wParam, LPARAM lParam);
// Tells the shell when a game begins and when it reaches its end, for
// the replays it keeps; called for every message to a screen procedure.
void ObserveScreenMessage(UINT msg);
// What a gamepad's controls mean now: the screen and the keys of the key settings.
w32::PadContext PadContextNow();
// The play screen as it is shown between two ticks, `sinceTick` (0 to 1) of
// a tick after the last one, drawn aside (the state and the picture of the
// last paint stay as they are); null on every other screen. The 800 x 700
// pixels hold until the next call; left of `changedLeft` they are those of
// the call before.
const uint32_t* PictureBetweenTicks(double sinceTick, const w32::PictureTarget& into,
                                    int& changedLeft);
// One line per message box.
void TraceMessageBox(const char* caption, const char* text);

// What a game starts from that the menus and earlier games left behind
// (settings, the table, the first level, the background, the held-move
// phases), as one line; and a game begun from such a line, from the main
// menu, for a replay of that game alone (false when the line is malformed).
std::string CarriedState();
bool BeginGameFrom(const std::string& carried);

// The whole state as JSON, and its hash.
nlohmann::json DumpState();
uint64_t StateHash();

// Sections of the dump, each filled by its module.
nlohmann::json DumpSettings();
nlohmann::json DumpHighScores();
nlohmann::json DumpGame();
nlohmann::json DumpMenu();
nlohmann::json DumpOptions();
nlohmann::json DumpKeySettings();
nlohmann::json DumpLevelChoice();
nlohmann::json DumpCredits();
