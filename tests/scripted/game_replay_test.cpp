// A recorded whole game of the default content, from the main menu to the
// high-score table, replayed headless: same checks, same table.
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "harness.h"

namespace {

const std::string kRecording = std::string(ZODUZOR_SOURCE_DIR) + "/tests/replays/whole_game.script";

TEST(GameReplay, RecordedGameReplaysToTheSameHighScoreTable)
{
    harness::GameDir dir;
    const std::string rec = harness::ReadFile(kRecording);
    ASSERT_NE(rec.find(" check "), std::string::npos) << "the recording holds no checks";
    const auto r = dir.Play(rec);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string table = dir.Read("HighScores.list");
    EXPECT_EQ(table.rfind("ace\r\n       115\r\n\r\n         0\r\n", 0), 0u) << table;
}

TEST(GameReplay, TamperedCheckStopsTheReplayWithCodeFour)
{
    harness::GameDir dir;
    std::string rec = harness::ReadFile(kRecording);
    // Change the hash of the fifth check.
    size_t at = 0;
    for (int i = 0; i < 5; ++i) {
        at = rec.find(" check ", at + 1);
        ASSERT_NE(at, std::string::npos);
    }
    const size_t digit = at + 7;
    rec[digit] = rec[digit] == '0' ? '1' : '0';
    const auto r = dir.Play(rec);
    EXPECT_EQ(r.exitCode, 4) << r.err;
    EXPECT_FALSE(dir.Exists("HighScores.list")) << "the tampered game still reached the table";
}

} // namespace
