#include "highscore.h"

#include <sstream>
#include <utility>

#include "runmode.h"
#include "storage.h"
#include "textio.h"
#include "win32.h"
#include "winwrap.h"

const char* const kHighScoresFile = "HighScores.list";

namespace {

constexpr size_t kNameLength = 10;
constexpr int kScoreWidth = 10;

THighScores scoreList;

std::string CutName(const std::string& name)
{
    std::string cut = name.substr(0, name.find('\0'));
    if (cut.size() > kNameLength) {
        cut.resize(kNameLength);
    }
    return cut;
}

// Names are bytes from a file; the dump is UTF-8, so bytes above 127 are
// taken as Latin-1.
std::string ToUtf8(const std::string& bytes)
{
    std::string out;
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            out.push_back(ch);
        } else {
            out.push_back(static_cast<char>(0xC0 | (b >> 6)));
            out.push_back(static_cast<char>(0x80 | (b & 0x3F)));
        }
    }
    return out;
}

} // namespace

void HighScoreInit()
{
    ReadHighScoresFromFile();
}

THighScores GetHighScores()
{
    return scoreList;
}

void SetHighScores(const THighScores& table)
{
    scoreList = table;
    for (auto& entry : scoreList) {
        entry.name = CutName(entry.name);
    }
}

bool IsNewHighScore(uint32_t newScore)
{
    return newScore > scoreList.back().score;
}

namespace {

void InsertScore(const TScore& newScore)
{
    if (IsNewHighScore(newScore.score)) {
        scoreList.back() = TScore{CutName(newScore.name), newScore.score};
        SortHighScores();
    }
}

} // namespace

void ImportNewScore(const TScore& newScore)
{
    // Another game may have saved the table since it was read: under the
    // save's lock the table is read again and the new entry goes into that.
    // A file that is missing, empty or unreadable leaves the table in memory
    // as the base. The table in memory is what was (or would have been) saved.
    const THighScores before = scoreList;
    bool inserted = false;
    const bool saved = SaveFile(w32::ResolvePath(kHighScoresFile), [&](std::istream* current) {
        scoreList = current != nullptr ? ReadHighScores(*current) : before;
        InsertScore(newScore);
        inserted = true;
        return HighScoresText(scoreList);
    });
    if (!inserted) {
        InsertScore(newScore);
    }
    if (!saved) {
        RaiseError(nullptr, "The high-score table could not be saved.");
    }
}

void SortHighScores()
{
    // Entries 1..19 are in order; the last one moves up above every entry
    // whose score it reaches, so it ranks above older equal scores.
    const size_t last = scoreList.size() - 1;
    size_t place = last;
    while (place > 0 && scoreList[last].score >= scoreList[place - 1].score) {
        --place;
    }
    for (size_t i = last; i > place; --i) {
        std::swap(scoreList[i], scoreList[i - 1]);
    }
}

THighScores ReadHighScores(std::istream& in)
{
    TextReader reader(in);
    THighScores table;
    for (auto& entry : table) {
        entry.name = reader.ReadText(kNameLength);
        entry.score = reader.ReadCard();
        // The rest of the score line; none when an LF alone ended it.
        if (!reader.WordEndedLine()) {
            reader.ReadText(kNameLength);
        }
    }
    return table;
}

void ReadHighScoresFromFile()
{
    // A missing or unreadable file, or anything but a regular file, gives an
    // empty table.
    InFile in(w32::ResolvePath(kHighScoresFile));
    in.WaitForSaves();
    scoreList = ReadHighScores(in);
}

std::string HighScoresText(const THighScores& table)
{
    std::ostringstream out;
    TextWriter writer(out);
    for (const auto& entry : table) {
        writer.WriteText(CutName(entry.name));
        writer.WriteLn();
        writer.WriteCard(entry.score, kScoreWidth);
        writer.WriteLn();
    }
    return out.str();
}

void WriteHighScoresToFile()
{
    if (!SaveFile(w32::ResolvePath(kHighScoresFile), HighScoresText(scoreList))) {
        RaiseError(nullptr, "The high-score table could not be saved.");
    }
}

nlohmann::json DumpHighScores()
{
    nlohmann::json list = nlohmann::json::array();
    for (const auto& entry : scoreList) {
        list.push_back({{"name", ToUtf8(entry.name)}, {"score", entry.score}});
    }
    return list;
}
