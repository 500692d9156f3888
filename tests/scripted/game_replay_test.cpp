// A recorded whole game of the default content, from the main menu to the
// high-score table, replayed headless: same checks, same table. Every game
// that reaches its end is kept as a replay, which plays back exactly.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <future>
#include <iterator>
#include <optional>
#include <regex>
#include <string>
#include <vector>

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
    // Fifty older replays: the oldest goes for the new one. The player's own
    // file and a link named like an older replay are not the game's to prune.
    for (int i = 0; i < 50; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "replays/1999-12-31_23-59-%02d_score-1_level-1.replay", i);
        dir.Write(name, "old");
    }
    dir.Write("replays/0-my-best-game.replay", "mine");
    dir.Write("elsewhere.replay", "linked");
    const fs::path link = dir / "replays/1999-12-31_23-58-00_score-1_level-1.replay";
    fs::create_symlink(dir / "elsewhere.replay", link);
    const std::string kept = KeptReplay(dir);
    EXPECT_FALSE(dir.Exists("replays/1999-12-31_23-59-00_score-1_level-1.replay"));
    EXPECT_TRUE(dir.Exists("replays/1999-12-31_23-59-01_score-1_level-1.replay"));
    EXPECT_EQ(dir.Read("replays/0-my-best-game.replay"), "mine");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(dir.Read("elsewhere.replay"), "linked");
    // The game alone: what the key that began it brought, not the key.
    const auto lines = harness::Lines(harness::ReadFile(kept));
    ASSERT_GE(lines.size(), 10u);
    EXPECT_EQ(lines[0], "zoduzor-replay 2");
    EXPECT_EQ(lines[1].rfind("game-version ", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2], "game-begins 500");
    EXPECT_EQ(lines[3], "first-level 1");
    EXPECT_EQ(lines[4], "score 115");
    EXPECT_EQ(lines[7].rfind("carried {\"bgPos\":[0,0,0,700],", 0), 0u) << lines[7];
    EXPECT_EQ(lines[8], "clock 2000-01-01T12:00:00.00");
    EXPECT_EQ(lines[9], "500 char 13");

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
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "replays"), fs::directory_iterator()), 52);
}

// A session of games, each begun from what the ones before it left (a first
// level chosen, the difficulty changed, the table grown, pauses, held keys,
// keypad colours, the mouse): every game is kept as a replay of its own,
// holding nothing from before it, that verifies alone.
TEST(GameReplay, EveryGameOfASessionIsKeptAsAReplayOfItsOwn)
{
    harness::GameDir dir;
    const auto played = dir.Play(R"(500 press VK_RETURN
+1000 keydown VK_SPACE
+300 mousemove 450 500
+5000 keyup VK_SPACE
+500 press VK_NUMPAD2
+2000 press VK_ESCAPE
+3000 press VK_SPACE
+4000 press VK_ESCAPE
+500 press VK_ESCAPE
+500 type ace
+200 press VK_RETURN
+1000 press VK_DOWN
+300 press VK_RETURN
+500 keydown VK_SHIFT
+100 type 2
+100 keyup VK_SHIFT
+300 press VK_RETURN
+300 press VK_DOWN
+300 press VK_DOWN
+300 press VK_RETURN
+300 press VK_DOWN
+300 press VK_RIGHT
+300 press VK_RIGHT
+300 press VK_DOWN
+300 press VK_DOWN
+300 press VK_DOWN
+300 press VK_RETURN
+300 press VK_UP
+300 press VK_UP
+800 press VK_RETURN
+800 keydown VK_SPACE
+300 keydown VK_LEFT
+2000 keyup VK_LEFT
+200 press VK_NUMPAD3
+3000 press VK_ESCAPE
+60000 press VK_RETURN
+3000 keyup VK_SPACE
+2000 press VK_ESCAPE
+500 press VK_ESCAPE
+500 type bob
+200 press VK_RETURN
+20000 press VK_RETURN
+1000 keydown VK_SPACE
+25000 press VK_ESCAPE
+500 press VK_ESCAPE
+500 keyup VK_SPACE
+500 type cy
+200 press VK_RETURN
+1000 quit
)");
    ASSERT_EQ(played.exitCode, 0) << played.err;
    std::vector<fs::path> kept;
    for (const auto& e : fs::directory_iterator(dir / "replays"))
        kept.push_back(e.path());
    std::sort(kept.begin(), kept.end());
    ASSERT_EQ(kept.size(), 4u);
    const std::regex fromLevel2("_level-2\\.replay$");
    EXPECT_TRUE(std::regex_search(kept.back().string(), fromLevel2)) << kept.back();
    for (const fs::path& replay : kept) {
        const auto lines = harness::Lines(harness::ReadFile(replay.string()));
        ASSERT_GE(lines.size(), 10u) << replay;
        const uint64_t begins = std::stoull(lines[2].substr(lines[2].find(' ') + 1));
        EXPECT_GE(std::stoull(lines[9]), begins) << replay << ": " << lines[9];
        EXPECT_LT(fs::file_size(replay), 8000u) << replay;
        const auto r = Replay(dir, replay.string());
        EXPECT_EQ(r.out, "ok\n") << replay << r.err;
    }
    // A game that cannot be kept is told.
    harness::GameDir full;
    full.Write("replays", "a file where the folder would be");
    const auto told = full.Play(harness::ReadFile(kRecording));
    EXPECT_EQ(told.exitCode, 0) << told.err;
    EXPECT_NE(told.err.find("the game that ended is not kept as a replay: cannot write in"),
              std::string::npos)
        << told.err;
}

// A game begun after a wait in the menu longer than the checks' gap keeps a
// replay that verifies: the checks begin with the game.
TEST(GameReplay, AGameBegunAfterAWaitInTheMenuVerifies)
{
    harness::GameDir dir;
    const auto played =
        dir.Play("3700 press VK_RETURN\n+3000 press VK_ESCAPE\n+500 press VK_ESCAPE\n+3000 quit\n");
    EXPECT_EQ(played.exitCode, 0) << played.err;
    std::vector<fs::path> kept;
    for (const auto& e : fs::directory_iterator(dir / "replays"))
        kept.push_back(e.path());
    ASSERT_EQ(kept.size(), 1u);
    const auto r = Replay(dir, kept[0].string());
    EXPECT_EQ(r.out, "ok\n") << r.err;
}

// Two games ending in the same second of one folder keep a replay each, made
// beside whatever holds the name already (here a link to nowhere), never
// through it or in its place.
TEST(GameReplay, TwoGamesEndingAtOnceKeepTwoReplays)
{
    harness::GameDir dir;
    const std::string base = "replays/2000-01-01_12-00-26_score-115_level-1";
    fs::create_directories(dir / "replays");
    fs::create_symlink(dir / "nowhere.replay", dir / (base + ".replay"));
    dir.Write("game.script", harness::ReadFile(kRecording));
    auto play = [&] {
        return harness::Run(
            ZODUZOR_BINARY,
            {"--dir", dir.str(), "--headless", "--script", (dir / "game.script").string()},
            dir.str());
    };
    auto other = std::async(std::launch::async, play);
    const auto first = play();
    const auto second = other.get();
    EXPECT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(second.exitCode, 0) << second.err;
    EXPECT_FALSE(dir.Exists("nowhere.replay"));
    for (const char* n : {"_2", "_3"}) {
        ASSERT_TRUE(dir.Exists(base + n + ".replay")) << n;
        const auto r = Replay(dir, (dir / (base + n + ".replay")).string());
        EXPECT_EQ(r.out, "ok\n") << n << r.err;
    }
}

// Replays are passed around: one from someone else is refused before it runs
// when it would write or name a file, claims an end its game does not reach,
// or would take unbounded memory or time; every refusal is a message.
TEST(GameReplay, HostileReplaysAreRefusedAndWriteNothing)
{
    harness::GameDir dir;
    const std::string kept = harness::ReadFile(KeptReplay(dir));
    const std::string table = dir.Read("HighScores.list");
    const std::string header = kept.substr(0, kept.find("clock "));
    auto swap = [&](const std::string& from, const std::string& to) {
        std::string t = kept;
        t.replace(t.find(from), from.size(), to);
        return t;
    };
    const std::string firstLines = [&] {
        size_t at = 0;
        for (int i = 0; i < 40; ++i)
            at = kept.find('\n', at) + 1;
        return kept.substr(0, at);
    }();
    struct Hostile
    {
        const char* name;
        std::string text;
        std::optional<std::string> tmpdir;
        int code;
        std::string says;
    };
    const std::vector<Hostile> cases = {
        {"dump over the table",
         kept + "26600 dump " + (dir / "HighScores.list").string() + "\n",
         {},
         2,
         "a replay holds input and checks only; 'dump' is not played back"},
        {"screenshot",
         kept + "26600 screenshot " + (dir / "shot.png").string() + "\n",
         {},
         2,
         "'screenshot' is not played back"},
        {"quit before the end",
         swap("5000 check", "4999 quit\n5000 check"),
         {},
         2,
         "'quit' is not played back"},
        {"header and nothing", header, {}, 2, "holds a header and no game"},
        {"a carried state larger than any",
         swap("carried {", "carried {\"pad\":\"" + std::string(70000, 'x') + "\","),
         {},
         2,
         ":8: carried is longer than any state the game keeps"},
        {"a higher score",
         swap("score 115", "score 116"),
         {},
         4,
         "the game ends at 26600 ms with score 115 from level 1, the header says score 116"},
        {"another first level",
         swap("first-level 1", "first-level 3"),
         {},
         4,
         "the header says score 115 from level 3"},
        {"cut short", firstLines, {}, 4, "and no game ends by"},
        {"last event at the end of time",
         "100 press VK_RETURN\n4294967295 keydown 13\n",
         {},
         2,
         "goes on past 24 hours"},
        {"credits left for a day",
         "100 press VK_UP\n200 press VK_UP\n300 press VK_RETURN\n"
         "80000000 keydown 13\n",
         {},
         0,
         "ok\n"},
        {"play without checks",
         "100 press VK_RETURN\n80000000 keydown 13\n",
         {},
         4,
         "the game plays and the recording has checked nothing since"},
        {"larger than any kept",
         kept + std::string(70 << 20, '#'),
         {},
         2,
         "is larger than any replay the game keeps"},
        {"TMPDIR missing", kept, (dir / "none").string(), 2, "cannot make a temporary folder"},
        {"TMPDIR a file", kept, (dir / "HighScores.list").string(), 2,
         "cannot make a temporary folder"},
    };
    for (const Hostile& c : cases) {
        dir.Write("hostile.replay", c.text);
        // The program alone sees the TMPDIR of the case.
        const auto r = harness::Run("/usr/bin/env",
                                    {"TMPDIR=" + c.tmpdir.value_or("/tmp"), ZODUZOR_BINARY, "--dir",
                                     dir.str(), "--headless", "--replay", "hostile.replay"},
                                    dir.str(), "", 20);
        EXPECT_EQ(r.exitCode, c.code) << c.name << "\n" << r.out << r.err;
        EXPECT_NE((r.out + r.err).find(c.says), std::string::npos) << c.name << "\n"
                                                                   << r.out << r.err;
        EXPECT_EQ(dir.Read("HighScores.list"), table) << c.name;
        EXPECT_FALSE(dir.Exists("shot.png")) << c.name;
    }
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
    // Watched, the box fits the window: the file's name, the time and line;
    // the states go to stderr.
    const auto watched = harness::Run(
        "/usr/bin/env",
        {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy", ZODUZOR_BINARY, "--dir", dir.str(),
         "--replay", "variant.replay", "--speed", "4", "--trace", (dir / "trace.txt").string()},
        dir.str());
    EXPECT_EQ(watched.exitCode, 4) << watched.err;
    EXPECT_NE(dir.Read("trace.txt")
                  .find("5000 MSGBOX Zoduzor: replay stopped: The replay "
                        "variant.replay differs from this game at 5000 ms "
                        "(line 18).\n"),
              std::string::npos)
        << dir.Read("trace.txt");
    EXPECT_NE(watched.err.find("the recording has the state 3c"), std::string::npos) << watched.err;
    // The program ends (Exit chosen) while the recording goes on.
    dir.Write("early.script", "500 press VK_UP\n500 press VK_RETURN\n900 press VK_DOWN\n");
    const auto early = Replay(dir, "early.script");
    EXPECT_EQ(early.exitCode, 4) << early.out << early.err;
    EXPECT_NE(early.out.find("goes on at 900 ms (line 3)"), std::string::npos) << early.out;

    const auto format = variant("zoduzor-replay 2", "zoduzor-replay 3");
    EXPECT_EQ(format.exitCode, 2);
    EXPECT_NE(format.err.find("variant.replay is a replay of format 3; this zoduzor plays back "
                              "replays of formats 1 and 2 only"),
              std::string::npos)
        << format.err;
    const auto uncarried = variant("carried {", "carried-not {");
    EXPECT_EQ(uncarried.exitCode, 2);
    EXPECT_NE(uncarried.err.find("names no carried state"), std::string::npos) << uncarried.err;
    // A carried state the game could not have left is refused when the game would begin.
    for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"\"firstLevel\":1", "\"firstLevel\":\"one\""},
             {"\"bgPos\":[0,0,0,700]", "\"bgPos\":[0,2147483647,0,700]"},
             {"\"player\":[0,", "\"player\":[9,"},
             {"\"table\":\"", "\"table\":\"zz"}}) {
        const auto bad = variant(from, to);
        EXPECT_EQ(bad.exitCode, 4) << to;
        EXPECT_NE(bad.out.find("its game cannot begin from the state the replay carries"),
                  std::string::npos)
            << to << bad.out;
    }
    // A replay of the whole run from its start, as kept before, still verifies.
    const std::string version = harness::Lines(text)[1];
    dir.Write("whole.replay", "zoduzor-replay 1\n" + version +
                                  "\ngame-begins 500\nfirst-level 1\nscore 115\n"
                                  "file UserSettings.list -\nfile HighScores.list -\n" +
                                  harness::ReadFile(kRecording));
    EXPECT_EQ(Replay(dir, "whole.replay").out, "ok\n");
    const auto other = variant("game-version ", "game-version 0.0.1-other ");
    EXPECT_EQ(other.exitCode, 2);
    EXPECT_NE(other.err.find("was recorded by zoduzor 0.0.1-other"), std::string::npos)
        << other.err;
}

} // namespace
