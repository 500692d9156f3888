// The file HighScores.list.
#include <sstream>
#include <string>

#include "fuzz_support.h"
#include "highscore.h"

namespace {

bool HasLineEnd(const std::string& s)
{
    return s.find_first_of(std::string("\r\n\x1a")) != std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Setup();
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    const THighScores table = ReadHighScores(in);
    for (const auto& entry : table) {
        FUZZ_CHECK(entry.name.size() <= 10, entry.name);
        FUZZ_CHECK(!HasLineEnd(entry.name), entry.name);
    }

    // The table written and read again keeps every score and name (a name
    // as the file keeps it: up to a zero character).
    const std::string written = HighScoresText(table);
    std::istringstream again(written);
    const THighScores back = ReadHighScores(again);
    for (size_t i = 0; i < table.size(); ++i) {
        const std::string name = table[i].name.substr(0, table[i].name.find('\0'));
        FUZZ_CHECK(back[i].name == name, std::to_string(i) + ": " + back[i].name + " / " + name);
        FUZZ_CHECK(back[i].score == table[i].score, std::to_string(i));
    }
    FUZZ_CHECK(HighScoresText(back) == written, "a second round trip changes the file");

    // LF alone reads as CR LF does.
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (text.find('\r') == std::string::npos) {
        std::string crlf;
        for (char c : text) {
            crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        }
        std::istringstream withCrLf(crlf);
        const THighScores same = ReadHighScores(withCrLf);
        for (size_t i = 0; i < table.size(); ++i) {
            FUZZ_CHECK(same[i].name == table[i].name && same[i].score == table[i].score,
                       std::to_string(i) + ": " + same[i].name + " / " + table[i].name);
        }
    }
    return 0;
}
