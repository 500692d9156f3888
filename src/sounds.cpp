#include "sounds.h"

#include <string>

#include "common.h"
#include "win32.h"

namespace {

// Commands are built in buffers of 101 characters; the rest is cut off.
constexpr size_t kCommandCapacity = 101;

void SendCommand(std::string command)
{
    if (command.size() > kCommandCapacity) {
        command.resize(kCommandCapacity);
    }
    mciSendStringA(command.c_str(), nullptr, 0, nullptr);
}

} // namespace

void LoadSound(std::string_view name)
{
    // An MP3 anywhere in the resource tree wins over a WAV.
    for (const char* extension : {".mp3", ".wav"}) {
        const TPath candidate = ResourcePath(std::string(name) + extension, "snd");
        if (FileExists(candidate)) {
            SendCommand("open " + candidate + " alias " + std::string(name));
            return;
        }
    }
}

void PlaySound(std::string_view alias, bool repeat)
{
    std::string command = "play ";
    command += alias;
    if (repeat) {
        command += " repeat";
    }
    SendCommand(std::move(command));
}

void PlayBG()
{
    PlaySound("BG", true);
}

void CloseSounds()
{
    SendCommand("close all");
}
