// Hooks and pure helpers of the API that tests reach directly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host_api.h"
#include "win32.h"

namespace w32 {

// ---------------------------------------------------------------- sound
struct SoundState
{
    std::string alias;
    std::string path; // resolved
    bool playing = false;
    bool repeat = false;
    bool onTheFly = false; // opened by `play <path>`, freed when it ends
    uint32_t starts = 0;   // how often it began playing from its beginning
    bool music = false;    // a loop or a track played by its file name; else an effect
    int volume = 128;      // the mixer's volume for it, 0 to 128
};
// The sounds open now, in alias order.
std::vector<SoundState> OpenSounds();

namespace testing {
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
