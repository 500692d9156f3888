#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "common.h"
#include "game_setup.h"

namespace fuzz {

namespace {

std::string scratch;

} // namespace

void Setup()
{
    if (!scratch.empty()) {
        return;
    }
    char pattern[] = "/tmp/zoduzor-fuzz-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) {
        Fail(__FILE__, __LINE__, "scratch folder", std::strerror(errno));
    }
    scratch = made;
    std::filesystem::current_path(scratch);
    std::string error;
    if (!gamesetup::Start(error)) {
        Fail(__FILE__, __LINE__, "headless layer", error);
    }
    PlayMode = plMoNorm;
}

const std::string& ScratchDir()
{
    return scratch;
}

void ClearGameData()
{
    gamesetup::ClearGameData();
}

std::string FirstLine(std::string_view text, size_t capacity)
{
    std::string line;
    for (char c : text) {
        if (line.size() == capacity || c == '\r' || c == '\n' || c == 26) {
            break;
        }
        line.push_back(c);
    }
    return line;
}

size_t MaxReads(std::string_view text)
{
    return text.size() + 1;
}

void Fail(const char* file, int line, const char* what, const std::string& detail)
{
    std::fprintf(stderr, "%s:%d: invariant broken: %s (%s)\n", file, line, what, detail.c_str());
    std::abort();
}

} // namespace fuzz
