#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "../../soak/soak_checks.h"
#include "data_fixtures.h"
#include "highscore.h"
#include "runmode.h"

namespace {

using harness::CrLf;

// A table with the scores 2000, 1900, ..., 100 named P1..P20.
THighScores Descending()
{
    THighScores t;
    for (size_t i = 0; i < t.size(); ++i) {
        t[i] = TScore{"P" + std::to_string(i + 1), static_cast<uint32_t>(2000 - 100 * i)};
    }
    return t;
}

class HighScoreTest : public datatest::ScratchTest
{
  protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        SetHighScores(Descending());
    }
};

TEST_F(HighScoreTest, QualifiesOnlyAboveTheLastEntry)
{
    THighScores t = Descending();
    t[19].score = 300;
    SetHighScores(t);
    EXPECT_FALSE(IsNewHighScore(300));
    EXPECT_TRUE(IsNewHighScore(301));
    SetHighScores(THighScores{});
    EXPECT_FALSE(IsNewHighScore(0));
    EXPECT_TRUE(IsNewHighScore(1));
}

TEST_F(HighScoreTest, EqualScoreRanksAboveTheOlderEntry)
{
    ImportNewScore(TScore{"NEW", 1600}); // entry 5 has 1600
    const THighScores t = GetHighScores();
    EXPECT_EQ(t[3].name, "P4");
    EXPECT_EQ(t[4].name, "NEW");
    EXPECT_EQ(t[5].name, "P5");
    EXPECT_EQ(t[19].name, "P19"); // the old last entry is gone
    for (size_t i = 1; i < t.size(); ++i) {
        EXPECT_GE(t[i - 1].score, t[i].score);
    }
}

TEST_F(HighScoreTest, BestAndWorstPlaces)
{
    ImportNewScore(TScore{"TOP", 5000});
    EXPECT_EQ(GetHighScores()[0].name, "TOP");
    EXPECT_EQ(GetHighScores()[1].name, "P1");
    ImportNewScore(TScore{"LOW", 201}); // above the last (200), below the one before
    EXPECT_EQ(GetHighScores()[19].name, "LOW");
    EXPECT_EQ(GetHighScores()[18].name, "P18");
}

TEST_F(HighScoreTest, ScoreThatDoesNotQualifyStillRewritesTheFile)
{
    ImportNewScore(TScore{"NOPE", 100});
    EXPECT_EQ(GetHighScores()[19].name, "P20");
    const std::string text = Read(kHighScoresFile);
    EXPECT_EQ(text, HighScoresText(Descending()));
    EXPECT_FALSE(std::filesystem::exists(dir / "HighScores.list.tmp"));
}

TEST_F(HighScoreTest, FileIsByteExactAndReadsBack)
{
    THighScores t;
    t[0] = TScore{"ANNA", 120};
    t[1] = TScore{"ABCDEFGHIJ", 4294967295u}; // ten characters
    t[2] = TScore{"", 7};
    SetHighScores(t);
    WriteHighScoresToFile();
    const std::string text = Read(kHighScoresFile);
    std::string expected = "ANNA\r\n       120\r\nABCDEFGHIJ\r\n4294967295\r\n\r\n         7\r\n";
    for (int i = 3; i < 20; ++i) {
        expected += "\r\n         0\r\n";
    }
    EXPECT_EQ(text, expected);
    SetHighScores(THighScores{});
    ReadHighScoresFromFile();
    const THighScores back = GetHighScores();
    for (size_t i = 0; i < t.size(); ++i) {
        EXPECT_EQ(back[i].name, t[i].name) << i;
        EXPECT_EQ(back[i].score, t[i].score) << i;
    }
}

TEST_F(HighScoreTest, NamesAreCutAtTenCharacters)
{
    ImportNewScore(TScore{"ABCDEFGHIJKLMNOP", 9999});
    EXPECT_EQ(GetHighScores()[0].name, "ABCDEFGHIJ");
}

TEST(HighScoreReader, DamagedAndShortInput)
{
    struct Case
    {
        std::string text;
        std::string name0;
        uint32_t score0;
        std::string name1;
        uint32_t score1;
    };
    const Case cases[] = {
        {"", "", 0, "", 0},
        {CrLf({"ANNA", "  12abc", "BOB"}), "ANNA", 12, "BOB", 0},
        {CrLf({"X", "oops", "Y", "5"}), "X", 0, "Y", 5},
        {CrLf({"LONGERTHANTEN", "3"}), "LONGERTHAN", 0, "3", 0},
        {CrLf({"Q", "99999999999999"}), "Q", 4294967295u, "", 0},
        // LF alone ends lines as CR LF does.
        {"ANNA\n       120\nBOB\n        50\n", "ANNA", 120, "BOB", 50},
        {"ANNA\n  120 extra\nBOB\r\n         7\r\n", "ANNA", 120, "BOB", 7},
    };
    for (const Case& c : cases) {
        std::istringstream in(c.text);
        const THighScores t = ReadHighScores(in);
        EXPECT_EQ(t[0].name, c.name0) << c.text;
        EXPECT_EQ(t[0].score, c.score0) << c.text;
        EXPECT_EQ(t[1].name, c.name1) << c.text;
        EXPECT_EQ(t[1].score, c.score1) << c.text;
        EXPECT_EQ(t[19].score, 0u);
        for (const auto& e : t) {
            EXPECT_LE(e.name.size(), 10u);
        }
    }
}

TEST_F(HighScoreTest, MissingFileGivesAnEmptyTable)
{
    ReadHighScoresFromFile();
    for (const auto& e : GetHighScores()) {
        EXPECT_EQ(e.name, "");
        EXPECT_EQ(e.score, 0u);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / kHighScoresFile)); // never created at start
}

TEST_F(HighScoreTest, UnwritableFileIsReportedAndTheOldOneKept)
{
    std::filesystem::create_directories(dir / kHighScoresFile / "inner");
    ::testing::internal::CaptureStderr();
    ImportNewScore(TScore{"NEW", 99999});
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("The high-score table could not be saved."), std::string::npos) << err;
    EXPECT_EQ(GetHighScores()[0].name, "NEW"); // play goes on with the table in memory
    EXPECT_TRUE(std::filesystem::is_directory(dir / kHighScoresFile / "inner"));
}

// Two games save one table at once, the first saves making the file,
// while a third program reads it in a loop: every read is a whole table,
// each save takes in the other game's entries, and no save is reported as
// failed.
TEST_F(HighScoreTest, TwoGamesSavingAtOnceKeepEveryEntryAndEveryReadIsWhole)
{
    SetHighScores(THighScores{});
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    std::vector<pid_t> games;
    for (int g = 0; g < 2; ++g) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(start[1]);
            char c = 0;
            [[maybe_unused]] const ssize_t n = read(start[0], &c, 1); // the end: all start
            const int err = open(("err" + std::to_string(g)).c_str(), O_WRONLY | O_CREAT, 0644);
            dup2(err, 2);
            for (uint32_t k = 0; k < 10; ++k) {
                ImportNewScore(TScore{std::string(1, "AB"[g]) + std::to_string(k), 100 + k});
            }
            _exit(0);
        }
        games.push_back(pid);
    }
    close(start[0]);
    close(start[1]);
    int reads = 0;
    int running = 2;
    std::string torn;
    while (running > 0) {
        const bool made = std::filesystem::exists(dir / kHighScoresFile);
        const std::string text = Read(kHighScoresFile);
        reads += made;
        if (made && torn.empty() && !soak::CheckHighScoresText(text).empty()) {
            torn = soak::CheckHighScoresText(text) + ":\n" + text;
        }
        for (pid_t& pid : games) {
            int status = 0;
            if (pid > 0 && waitpid(pid, &status, WNOHANG) == pid) {
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
                pid = 0;
                --running;
            }
        }
    }
    EXPECT_EQ(torn, "") << "after " << reads << " reads";
    for (const char* err : {"err0", "err1"}) {
        EXPECT_EQ(Read(err), "") << err;
    }
    std::ifstream in(dir / kHighScoresFile, std::ios::binary);
    const THighScores table = ReadHighScores(in);
    std::set<std::string> names;
    for (const auto& entry : table) {
        names.insert(entry.name);
    }
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(names.count("A" + std::to_string(k)), 1u) << k;
        EXPECT_EQ(names.count("B" + std::to_string(k)), 1u) << k;
    }
    // A stale table in memory takes in what is on disk, and then equals it.
    SetHighScores(Descending());
    ImportNewScore(TScore{"LAST", 5000});
    in.close();
    std::istringstream saved(Read(kHighScoresFile));
    const THighScores written = ReadHighScores(saved);
    for (size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(GetHighScores()[i].name, written[i].name) << i;
        EXPECT_EQ(GetHighScores()[i].score, written[i].score) << i;
    }
    EXPECT_EQ(written[0].name, "LAST");
    EXPECT_EQ(written[1].score, 109u) << "the entries on disk, not the stale ones";
}

TEST_F(HighScoreTest, DumpListsTwentyEntries)
{
    const nlohmann::json d = DumpHighScores();
    ASSERT_EQ(d.size(), 20u);
    EXPECT_EQ(d[0]["name"], "P1");
    EXPECT_EQ(d[0]["score"], 2000);
    EXPECT_EQ(d[19]["score"], 100);
    THighScores t;
    t[0].name = "\xff\x80\x01Z";
    SetHighScores(t);
    EXPECT_EQ(DumpHighScores()[0]["name"], "\xc3\xbf\xc2\x80\x01Z");
    EXPECT_NO_THROW(DumpHighScores().dump()); // bytes from a damaged file still dump
}

} // namespace
