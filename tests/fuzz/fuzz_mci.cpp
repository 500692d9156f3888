// MCI command strings on the headless layer: one command a line.
#include <algorithm>
#include <cctype>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "win32.h"
#include "win32_testing.h"

namespace {

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::vector<std::string> Words(const std::string& s)
{
    std::istringstream in(s);
    std::vector<std::string> w;
    for (std::string word; in >> word;) {
        w.push_back(word);
    }
    return w;
}

bool HasAlias(const std::vector<w32::SoundState>& sounds, const std::string& alias)
{
    return std::any_of(sounds.begin(), sounds.end(),
                       [&](const w32::SoundState& s) { return Lower(s.alias) == Lower(alias); });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Setup();
    mciSendStringA("close all", nullptr, 0, nullptr);
    FUZZ_CHECK(w32::OpenSounds().empty(), "close all leaves sounds open");

    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    size_t commands = 0;
    for (std::string command; std::getline(in, command);) {
        command = command.substr(0, command.find('\0'));
        ++commands;
        char answer[16] = "untouched";
        FUZZ_CHECK(mciSendStringA(command.c_str(), answer, sizeof answer, nullptr) == 0, command);
        FUZZ_CHECK(answer[0] == '\0', "the answer is not cleared");

        const auto sounds = w32::OpenSounds();
        FUZZ_CHECK(sounds.size() <= commands, "more sounds than commands");
        for (size_t i = 0; i < sounds.size(); ++i) {
            for (size_t j = i + 1; j < sounds.size(); ++j) {
                FUZZ_CHECK(Lower(sounds[i].alias) != Lower(sounds[j].alias), sounds[i].alias);
            }
        }
        const auto w = Words(command);
        if (w.size() >= 2 && Lower(w[0]) == "close") {
            if (Lower(w[1]) == "all") {
                FUZZ_CHECK(sounds.empty(), command);
            } else {
                FUZZ_CHECK(!HasAlias(sounds, w[1]), command);
            }
        }
        if (w.size() == 4 && Lower(w[0]) == "open" && Lower(w[2]) == "alias") {
            FUZZ_CHECK(HasAlias(sounds, w[3]), command);
        }
        if (w.size() >= 1 && Lower(w[0]) == "stop" && w.size() == 1) {
            for (const auto& s : sounds) {
                FUZZ_CHECK(!s.playing, s.alias);
            }
        }
    }
    // Null arguments are accepted.
    FUZZ_CHECK(mciSendStringA(nullptr, nullptr, 0, nullptr) == 0, "null command");
    return 0;
}
