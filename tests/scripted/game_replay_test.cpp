// A recorded whole game of the default content, from the main menu to the
// high-score table, replayed headless: same checks, same table. Every game
// that reaches its end is kept as a replay, which plays back exactly.
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "harness.h"

namespace {

namespace fs = std::filesystem;

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

// ---------------------------------------------------------------- kept replays

harness::RunResult Replay(const harness::GameDir& dir, const std::string& file)
{
    return harness::Run(ZODUZOR_BINARY, {"--dir", dir.str(), "--headless", "--replay", file},
                        dir.str());
}

// Plays the committed game and returns the replay it kept.
std::string KeptReplay(const harness::GameDir& dir)
{
    const auto r = dir.Play(harness::ReadFile(kRecording));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::string kept = "replays/2000-01-01_12-00-26_score-115_level-1.replay";
    EXPECT_TRUE(dir.Exists(kept));
    return (dir / kept).string();
}

TEST(GameReplay, AFinishedGameIsKeptAndReplaysAgainstItsOwnStartingFiles)
{
    harness::GameDir dir;
    // Fifty older replays: the oldest goes for the new one.
    for (int i = 0; i < 50; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "replays/1999-12-31_23-59-%02d_score-1_level-1.replay", i);
        dir.Write(name, "old");
    }
    const std::string kept = KeptReplay(dir);
    EXPECT_FALSE(dir.Exists("replays/1999-12-31_23-59-00_score-1_level-1.replay"));
    EXPECT_TRUE(dir.Exists("replays/1999-12-31_23-59-01_score-1_level-1.replay"));
    const auto lines = harness::Lines(harness::ReadFile(kept));
    ASSERT_GE(lines.size(), 8u);
    EXPECT_EQ(lines[0], "zoduzor-replay 1");
    EXPECT_EQ(lines[1].rfind("game-version ", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2], "game-begins 500");
    EXPECT_EQ(lines[3], "first-level 1");
    EXPECT_EQ(lines[4], "score 115");
    EXPECT_EQ(lines[7], "clock 2000-01-01T12:00:00.00");

    // Since then the player rebound fire and the table changed: the game
    // replays as it was played all the same, and their files stay as they are.
    std::string settings = dir.Read("UserSettings.list");
    const size_t fire = settings.find(" 32\r\n");
    ASSERT_NE(fire, std::string::npos) << settings;
    settings.replace(fire, 3, " 70");
    dir.Write("UserSettings.list", settings);
    dir.Write("HighScores.list", "zed\r\n999\r\n");
    const auto plain = dir.Play(harness::ReadFile(kRecording));
    EXPECT_EQ(plain.exitCode, 4) << "the changed settings do not change the game";
    dir.Write("HighScores.list", "zed\r\n999\r\n");
    const auto r = Replay(dir, kept);
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "ok\n");
    EXPECT_EQ(dir.Read("UserSettings.list"), settings);
    EXPECT_EQ(dir.Read("HighScores.list"), "zed\r\n999\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "replays"), fs::directory_iterator()), 50);
}

TEST(GameReplay, AReplayThatDiffersOrComesFromElsewhereIsRefused)
{
    harness::GameDir dir;
    const std::string text = harness::ReadFile(KeptReplay(dir));
    auto variant = [&](const std::string& from, const std::string& to) {
        std::string t = text;
        const size_t at = t.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        t.replace(at, from.size(), to);
        dir.Write("variant.replay", t);
        return Replay(dir, "variant.replay");
    };
    const auto tampered = variant("5000 check 2c", "5000 check 3c");
    EXPECT_EQ(tampered.exitCode, 4) << tampered.err;
    EXPECT_NE(tampered.out.find("differs from this game at 5000 ms (line 18)"), std::string::npos)
        << tampered.out;
    // The program ends (Exit chosen) while the recording goes on.
    dir.Write("early.script", "500 press VK_UP\n500 press VK_RETURN\n900 press VK_DOWN\n");
    const auto early = Replay(dir, "early.script");
    EXPECT_EQ(early.exitCode, 4) << early.out << early.err;
    EXPECT_NE(early.out.find("goes on at 900 ms (line 3)"), std::string::npos) << early.out;

    const auto format = variant("zoduzor-replay 1", "zoduzor-replay 2");
    EXPECT_EQ(format.exitCode, 2);
    EXPECT_NE(format.err.find("variant.replay is a replay of format 2; this zoduzor plays back "
                              "replays of format 1 only"),
              std::string::npos)
        << format.err;
    const auto version = variant("game-version ", "game-version 0.0.1-other ");
    EXPECT_EQ(version.exitCode, 2);
    EXPECT_NE(version.err.find("was recorded by zoduzor 0.0.1-other"), std::string::npos)
        << version.err;
}

} // namespace
