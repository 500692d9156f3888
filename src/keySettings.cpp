#include "keySettings.h"

#include <sstream>

#include "runmode.h"
#include "storage.h"
#include "textio.h"
#include "win32.h"
#include "winwrap.h"

TKeyset keyset;
uint8_t currentDifficulty = 1;
uint8_t currentPlayModeSetting = 2;
uint8_t mouseControl = 1;

const char* const kUserSettingsFile = "UserSettings.list";

namespace {

constexpr uint32_t kAutoRepeatBit = 1u << 30;
constexpr uint32_t kPlayer = 1;

constexpr std::array<uint32_t, 12> kDefaultKeys = {
    100, // VK_NUMPAD4: next colour
    102, // VK_NUMPAD6: previous colour
    97,  // VK_NUMPAD1: red
    98,  // VK_NUMPAD2: blue
    99,  // VK_NUMPAD3: green
    101, // VK_NUMPAD5: yellow
    38,  // VK_UP
    40,  // VK_DOWN
    37,  // VK_LEFT
    39,  // VK_RIGHT
    32,  // VK_SPACE: fire
    27,  // VK_ESCAPE: pause
};
constexpr uint8_t kDefaultPlayModeSetting = 2;
constexpr uint8_t kDefaultDifficulty = 1;
constexpr uint8_t kDefaultMouseControl = 1;

bool SettingsFileExists()
{
    return FileExists(kUserSettingsFile);
}

bool WriteSettings()
{
    return SaveFile(w32::ResolvePath(kUserSettingsFile), UserSettingsText());
}

// One number of the file: its value when the word is all digits and within
// [lo, hi]; otherwise `fallback`, and `ok` becomes false.
uint32_t ReadSetting(TextReader& reader, uint32_t lo, uint32_t hi, uint32_t fallback, bool& ok)
{
    const std::string word = reader.ReadWord();
    bool digits = !word.empty();
    for (char ch : word) {
        digits = digits && ch >= '0' && ch <= '9';
    }
    const uint32_t value = TextReader::ParseCard(word);
    if (!digits || value < lo || value > hi) {
        ok = false;
        return fallback;
    }
    return value;
}

} // namespace

void CheckKey(uint32_t wParam, int32_t lParam, bool keyState)
{
    if (keyState && (static_cast<uint32_t>(lParam) & kAutoRepeatBit) != 0) {
        return; // auto-repeat of a key that is already down
    }
    for (const RKey& slot : keyset) {
        if (slot.key != wParam) {
            continue;
        }
        TKeyAction action = keyState ? slot.actionDown : slot.actionUp;
        if (action) {
            action(kPlayer);
        }
    }
}

uint32_t RdWrKey(uint32_t wParam, uint32_t currentSelection)
{
    for (size_t i = 0; i < keyset.size(); ++i) {
        if (keyset[i].key == wParam) {
            return static_cast<uint32_t>(i + 1);
        }
    }
    if (currentSelection < keyset.size()) {
        keyset[currentSelection].key = wParam;
    }
    return 0;
}

void InitKeysetProcs()
{
    static const std::array<std::pair<TKeyAction, TKeyAction>, 12> actions = {{
        {NextColor, Nothing},
        {PrevColor, Nothing},
        {SetColorR, Nothing},
        {SetColorB, Nothing},
        {SetColorG, Nothing},
        {SetColorY, Nothing},
        {MoveUpKeyboard, MoveUpKeyboardUp},
        {MoveDownKeyboard, MoveDownKeyboardUp},
        {MoveLeftKeyboard, MoveLeftKeyboardUp},
        {MoveRightKeyboard, MoveRightKeyboardUp},
        {FireKeyboard, FireKeyboardUp},
        {Pause, Nothing},
    }};
    for (size_t i = 0; i < keyset.size(); ++i) {
        keyset[i].actionDown = actions[i].first;
        keyset[i].actionUp = actions[i].second;
    }
}

void InitBaseSettings()
{
    for (size_t i = 0; i < keyset.size(); ++i) {
        keyset[i].key = kDefaultKeys[i];
    }
    currentPlayModeSetting = kDefaultPlayModeSetting;
    currentDifficulty = kDefaultDifficulty;
    mouseControl = kDefaultMouseControl;
}

std::string UserSettingsText()
{
    std::ostringstream out;
    TextWriter writer(out);
    for (const RKey& slot : keyset) {
        writer.WriteCard(slot.key, 3);
        writer.WriteLn();
    }
    writer.WriteCard(currentPlayModeSetting, 2);
    writer.WriteLn();
    writer.WriteCard(currentDifficulty, 1);
    writer.WriteLn();
    writer.WriteCard(mouseControl, 1);
    return out.str();
}

bool ReadUserSettings(std::istream& in)
{
    TextReader reader(in);
    bool ok = true;
    for (size_t i = 0; i < keyset.size(); ++i) {
        keyset[i].key = ReadSetting(reader, 1, 255, kDefaultKeys[i], ok);
    }
    currentPlayModeSetting =
        static_cast<uint8_t>(ReadSetting(reader, 1, 4, kDefaultPlayModeSetting, ok));
    currentDifficulty = static_cast<uint8_t>(ReadSetting(reader, 1, 4, kDefaultDifficulty, ok));
    mouseControl = static_cast<uint8_t>(ReadSetting(reader, 0, 1, kDefaultMouseControl, ok));
    return ok;
}

void WrOptionsToFile()
{
    if (!SettingsFileExists()) {
        return;
    }
    if (!WriteSettings()) {
        RaiseError(nullptr, "The settings could not be saved.");
    }
}

void LoadUserSettings()
{
    if (SettingsFileExists()) {
        bool ok = false;
        bool readable = false;
        {
            InFile in(w32::ResolvePath(kUserSettingsFile));
            in.WaitForSaves();
            readable = in.is_open();
            ok = ReadUserSettings(in);
        }
        // A file that cannot be read (or is no regular file) is not replaced:
        // the defaults are in force for this run.
        if (!ok && readable) {
            // A damaged file is replaced by the values now in force; at start
            // a file that cannot be rewritten is not worth a message.
            WriteSettings();
        }
    } else {
        // The defaults are in force before the file is made: another
        // instance started at the same moment may make it between the check
        // above and the one in CreateUserSettings, which then does nothing.
        InitBaseSettings();
        CreateUserSettings();
    }
    InitKeysetProcs();
}

void CreateUserSettings()
{
    if (SettingsFileExists()) {
        return;
    }
    InitBaseSettings();
    WriteSettings(); // defaults stay in force when the file cannot be made
}

TPlayMode NewPlayMode()
{
    switch (currentPlayModeSetting) {
    case 1:
        return plMoBike;
    case 3:
        return plMoEegg;
    case 4:
        return plMoRudi;
    default:
        return plMoNorm;
    }
}

nlohmann::json DumpSettings()
{
    nlohmann::json keys = nlohmann::json::array();
    for (const RKey& slot : keyset) {
        keys.push_back(slot.key);
    }
    return {{"keys", keys},
            {"playMode", currentPlayModeSetting},
            {"difficulty", currentDifficulty},
            {"mouseControl", mouseControl}};
}
