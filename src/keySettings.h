// Key bindings, their dispatch to the player actions, the user settings and
// the file "UserSettings.list".
#pragma once

#include <array>
#include <cstdint>
#include <istream>
#include <string>

#include "PlayerActions.h"
#include "common.h"

struct RKey
{
    uint32_t key = 0;
    TKeyAction actionUp = nullptr;
    TKeyAction actionDown = nullptr;
};

using TKeyset = std::array<RKey, 12>;

extern TKeyset keyset;
extern uint8_t currentDifficulty;      // 1..4
extern uint8_t currentPlayModeSetting; // 1..4
extern uint8_t mouseControl;           // 0..1

extern const char* const kUserSettingsFile; // "UserSettings.list"

void CheckKey(uint32_t wParam, int32_t lParam, bool keyState);
uint32_t RdWrKey(uint32_t wParam, uint32_t currentSelection);
void InitKeysetProcs();
void InitBaseSettings();
void WrOptionsToFile();
void LoadUserSettings();
void CreateUserSettings();
TPlayMode NewPlayMode();

// The file's text for the settings in force (15 numbers, CR LF between lines).
std::string UserSettingsText();
// Reads 15 numbers from `in` into the settings; a value that is missing or
// out of range takes its default. Returns false when anything was defaulted.
bool ReadUserSettings(std::istream& in);
