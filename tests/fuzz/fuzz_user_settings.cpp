// The file UserSettings.list.
#include <sstream>
#include <string>

#include "fuzz_support.h"
#include "keySettings.h"

namespace {

void CheckRanges()
{
    for (const auto& k : keyset) {
        FUZZ_CHECK(k.key >= 1 && k.key <= 255, std::to_string(k.key));
    }
    FUZZ_CHECK(currentPlayModeSetting >= 1 && currentPlayModeSetting <= 4, "theme setting");
    FUZZ_CHECK(currentDifficulty >= 1 && currentDifficulty <= 4, "difficulty");
    FUZZ_CHECK(mouseControl <= 1, "mouse control");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Setup();
    InitBaseSettings();
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    const bool ok = ReadUserSettings(in);
    (void)ok;
    CheckRanges();

    // The values in force, written and read again, are a sound file that
    // reads back to the same values.
    const std::string written = UserSettingsText();
    std::istringstream again(written);
    FUZZ_CHECK(ReadUserSettings(again), written);
    CheckRanges();
    FUZZ_CHECK(UserSettingsText() == written, written);
    return 0;
}
