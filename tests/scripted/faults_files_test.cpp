// Faults of the game's files: a missing, empty or unreadable data folder, no
// credits, damaged settings and high-score files, a folder the game may not
// write, and the game killed while it writes its table.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <gtest/gtest.h>

#include "../soak/soak_checks.h"
#include "harness.h"

namespace {

namespace fs = std::filesystem;
using harness::CrLf;
using harness::GameDir;
using nlohmann::json;

const std::string kDefaultSettings = "100\r\n102\r\n 97\r\n 98\r\n 99\r\n101\r\n 38\r\n 40\r\n "
                                     "37\r\n 39\r\n 32\r\n 27\r\n 2\r\n1\r\n1";
const std::vector<int> kDefaultKeys = {100, 102, 97, 98, 99, 101, 38, 40, 37, 39, 32, 27};

void Png(const GameDir& dir, const std::string& rel, int w, int h)
{
    const fs::path file = dir.path() / rel;
    fs::create_directories(file.parent_path());
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
    SDL_FillRect(s, nullptr, SDL_MapRGBA(s->format, 200, 80, 40, 255));
    IMG_SavePNG(s, file.string().c_str());
    SDL_FreeSurface(s);
}

// A data folder where holding fire from the start shoots down the only
// boss at once: every game scores 100 and ends in the name entry.
void MakeQuickWin(const GameDir& dir)
{
    std::error_code ec0;
    fs::remove_all(dir / "data", ec0);
    dir.Write("data/HEROBULLET.blt",
              CrLf({"HEROBULLET", "0", "0", "0", "0", "10", "10.000", "0.000"}));
    dir.Write("data/KING.bss", CrLf({"KING", "FALSE", "FALSE", "FALSE", "FALSE", "1", "HEROBULLET",
                                     "0", "66", "1"}));
    dir.Write("data/DROP.nmi",
              CrLf({"DROP", "FALSE", "FALSE", "FALSE", "FALSE", "1", "HEROBULLET", "0", "1", "1"}));
    std::vector<std::string> level = {"NORM", "0", "KING"};
    level.insert(level.end(), 40, "DROP");
    level.push_back("");
    dir.Write("data/001.LVL", CrLf(level, false));
    // Pictures of known size: collisions need them.
    std::error_code ec;
    fs::remove_all(dir / "res/norm", ec);
    Png(dir, "res/norm/hero.png", 30, 40);
    Png(dir, "res/norm/enemy/DROP.PNG", 30, 30);
    Png(dir, "res/norm/enemy/KING.PNG", 60, 40);
    Png(dir, "res/norm/bullet/HEROBULLET.png", 4, 10);
    std::string settings;
    for (int key : kDefaultKeys) {
        settings += std::to_string(key) + "\r\n";
    }
    dir.Write("UserSettings.list", settings + "2\r\n1\r\n0");
}

// One scored game from the main menu, starting at `t` ms; the name is typed
// and entered. Returns the script and moves t past the game.
std::string ScoredGame(uint64_t& t, const std::string& name)
{
    auto at = [&](uint64_t d, const std::string& e) {
        return std::to_string(t + d) + " " + e + "\n";
    };
    std::string s = at(0, "press VK_RETURN") + at(41 * 38 + 20, "keydown VK_SPACE") +
                    at(41 * 300, "keyup VK_SPACE") + at(41 * 300 + 30, "type " + name) +
                    at(41 * 300 + 60, "press VK_RETURN");
    t += 41 * 300 + 500;
    return s;
}

// The keys pressed one after another, 100 ms apart from `t` ms; moves t past them.
std::string Presses(uint64_t& t, std::initializer_list<const char*> keys)
{
    std::string s;
    for (const char* key : keys) {
        s += std::to_string(t) + " press " + key + "\n";
        t += 100;
    }
    return s;
}

// From the main menu at `t` ms: the options, difficulty up to 3, and back
// through the Return row (which saves the settings). Moves t past it.
std::string SaveDifficultyThree(uint64_t& t)
{
    return Presses(t, {"VK_DOWN", "VK_DOWN", "VK_RETURN", "VK_DOWN", "VK_RIGHT", "VK_RIGHT",
                       "VK_DOWN", "VK_DOWN", "VK_DOWN", "VK_RETURN"});
}

// From the main menu at `t` ms: the credits, the sixth button, four steps
// down from Play. Moves t past it.
std::string OpenCredits(uint64_t& t)
{
    return Presses(t, {"VK_DOWN", "VK_DOWN", "VK_DOWN", "VK_DOWN", "VK_RETURN"});
}

// A valid table of twenty entries scoring 90 down to 14.
std::string OldTable()
{
    std::vector<std::string> lines;
    for (int k = 0; k < 20; ++k) {
        std::string score = std::to_string(90 - 4 * k);
        lines.push_back("OLD" + std::to_string(k));
        lines.push_back(std::string(10 - score.size(), ' ') + score);
    }
    return CrLf(lines);
}

json Keys(const json& dump)
{
    return dump["settings"]["keys"];
}

// A case's description as a test name: every character but letters and digits as '_'.
template <class Case> std::string CaseName(const ::testing::TestParamInfo<Case>& info)
{
    std::string n = info.param.what;
    for (char& c : n) {
        c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    }
    return n;
}

// ---------------------------------------------------------------- data folder

struct DataCase
{
    const char* what;
    void (*spoil)(const GameDir&);
};

class BrokenDataFolder : public ::testing::TestWithParam<DataCase>
{
};

// Play finds no first level: the game is over at once and the menu is back.
TEST_P(BrokenDataFolder, PlayEndsAtOnceAndTheMenuReturns)
{
    GameDir dir;
    GetParam().spoil(dir);
    const auto r = dir.Play("500 press VK_RETURN\n1500 dump a.json\n1600 press VK_RETURN\n"
                            "2600 dump b.json\n2700 quit\n",
                            {}, 60);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* f : {"a.json", "b.json"}) {
        const json d = dir.Dump(f);
        EXPECT_EQ(d["operationMode"], "MENU") << f;
        EXPECT_TRUE(d["game"]["isGameOver"].get<bool>()) << f;
    }
    EXPECT_FALSE(dir.Exists("HighScores.list"));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BrokenDataFolder,
    ::testing::Values(DataCase{"missing", [](const GameDir& d) { fs::remove_all(d / "data"); }},
                      DataCase{"empty",
                               [](const GameDir& d) {
                                   fs::remove_all(d / "data");
                                   fs::create_directory(d / "data");
                               }},
                      DataCase{"a plain file",
                               [](const GameDir& d) {
                                   fs::remove_all(d / "data");
                                   d.Write("data", "not a folder");
                               }},
                      // Named like the first level, but no level file.
                      DataCase{"first level a folder",
                               [](const GameDir& d) {
                                   fs::remove(d / "data/001.LVL");
                                   fs::create_directories(d / "data/001.LVL/inner");
                               }},
                      DataCase{"first level a named pipe",
                               [](const GameDir& d) {
                                   fs::remove(d / "data/001.LVL");
                                   mkfifo((d / "data/001.LVL").c_str(), 0666);
                               }},
                      DataCase{"first level a link to dev zero",
                               [](const GameDir& d) {
                                   fs::remove(d / "data/001.LVL");
                                   fs::create_symlink("/dev/zero", d / "data/001.LVL");
                               }}),
    CaseName<DataCase>);

// Data written by another era's editor: a class identifier in Latin-1 and a
// credits line whose cut splits a UTF-8 character. A recorded game dumps and
// hashes such bytes, and its recording replays with every check matching.
TEST(Faults, ForeignBytesInDataAndCreditsNeitherStopARecordingNorItsReplay)
{
    GameDir dir;
    dir.Write("data/SCOUTX.nmi", CrLf({"SCOUT\xC9", "TRUE", "FALSE", "FALSE", "FALSE", "3",
                                       "HEROBULLET", "1", "1", "20"}));
    dir.Write("data/credits.txt", CrLf({std::string(39, 'x') + "\xC3\xA9t\xE9", "fin"}));
    uint64_t t = 5000;
    std::string s = "500 press VK_RETURN\n4500 dump g.json\n4600 close\n" + OpenCredits(t);
    s += std::to_string(t + 1400) + " dump c.json\n" + std::to_string(t + 1500) + " quit\n";
    const auto r = dir.Play(s, {"--record", "rec.script"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json g = dir.Dump("g.json");
    bool found = false;
    for (const auto& c : g["game"]["enemyClasses"]) {
        found |= c["id"] == "SCOUT\xEF\xBF\xBD";
    }
    EXPECT_TRUE(found) << "the identifier is dumped with its bad byte replaced";
    const json lines = dir.Dump("c.json")["credits"]["lines"];
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0]["str"], std::string(39, 'x') + "\xEF\xBF\xBD");
    const std::string rec = dir.Read("rec.script");
    ASSERT_NE(rec.find(" check "), std::string::npos) << rec;
    const auto replay = dir.Play(rec);
    EXPECT_EQ(replay.exitCode, 0) << replay.err;
}

TEST(Faults, MissingCreditsSayWhyAndTheScreenStillLeaves)
{
    GameDir dir;
    fs::remove(dir / "data/credits.txt");
    uint64_t t = 500;
    const auto r = dir.Play(
        OpenCredits(t) + "3000 dump c.json\n3100 press VK_ESCAPE\n3200 dump m.json\n3300 quit\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("Error: No credits file found."), std::string::npos) << r.err;
    const json c = dir.Dump("c.json");
    EXPECT_EQ(c["operationMode"], "CRED");
    EXPECT_EQ(c["credits"]["numOfLines"], 0);
    EXPECT_EQ(dir.Dump("m.json")["operationMode"], "MENU");
}

// Named pipes in place of the credits, the table and the settings: nothing
// waits for them; each counts as missing or unreadable, and none is replaced.
TEST(Faults, PipesInPlaceOfTheGamesFilesNeverStallIt)
{
    GameDir dir;
    for (const char* name : {"data/credits.txt", "HighScores.list", "UserSettings.list"}) {
        fs::remove(dir / name);
        ASSERT_EQ(mkfifo((dir / name).c_str(), 0666), 0) << name;
    }
    // A settings save, then the credits (the sixth button).
    uint64_t t = 500;
    std::string s = "100 dump a.json\n" + SaveDifficultyThree(t);
    s += OpenCredits(t);
    s += std::to_string(t + 400) + " dump c.json\n" + std::to_string(t + 500) + " quit\n";
    const auto r = dir.Play(s, {}, 30);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json a = dir.Dump("a.json");
    EXPECT_EQ(Keys(a), json(kDefaultKeys));
    EXPECT_EQ(a["highScores"][0], json({{"name", ""}, {"score", 0}}));
    EXPECT_NE(r.err.find("Error: The settings could not be saved."), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Error: No credits file found."), std::string::npos) << r.err;
    EXPECT_EQ(dir.Dump("c.json")["operationMode"], "CRED");
    for (const char* name : {"data/credits.txt", "HighScores.list", "UserSettings.list"}) {
        EXPECT_TRUE(fs::is_fifo(dir / name)) << name;
    }
}

// ---------------------------------------------------------------- settings file

struct SettingsCase
{
    const char* what;
    std::string text;
    std::vector<int> keys; // expected in force
    int playMode, difficulty, mouse;
};

class DamagedSettings : public ::testing::TestWithParam<SettingsCase>
{
};

// Whatever is bad takes its default; the rest is kept; the file is valid again.
TEST_P(DamagedSettings, BadValuesTakeDefaultsAndTheFileIsRewritten)
{
    const SettingsCase& c = GetParam();
    GameDir dir;
    dir.Write("UserSettings.list", c.text);
    const auto r = dir.Play("100 dump d.json\n200 quit\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json s = dir.Dump("d.json")["settings"];
    EXPECT_EQ(s["keys"], json(c.keys));
    EXPECT_EQ(s["playMode"], c.playMode);
    EXPECT_EQ(s["difficulty"], c.difficulty);
    EXPECT_EQ(s["mouseControl"], c.mouse);
    const std::string file = dir.Read("UserSettings.list");
    EXPECT_EQ(soak::CheckSettingsText(file), "") << file;
    // The file now holds what is in force.
    std::vector<int> keysInFile;
    for (size_t i = 0; i < 12; ++i) {
        keysInFile.push_back(std::stoi(file.substr(5 * i, 3)));
    }
    EXPECT_EQ(keysInFile, c.keys);
    EXPECT_EQ(file.substr(60), " " + std::to_string(c.playMode) + "\r\n" +
                                   std::to_string(c.difficulty) + "\r\n" + std::to_string(c.mouse));
}

// A string of every byte of a literal, zeros included.
template <size_t N> std::string Bytes(const char (&s)[N])
{
    return std::string(s, N - 1);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, DamagedSettings,
    ::testing::Values(
        SettingsCase{"garbage", Bytes("\x00\xff\x7f garbage \x1a\x01"), kDefaultKeys, 2, 1, 1},
        SettingsCase{"empty", "", kDefaultKeys, 2, 1, 1},
        SettingsCase{"truncated",
                     "65\r\n66\r\n 9",
                     {65, 66, 9, 98, 99, 101, 38, 40, 37, 39, 32, 27},
                     2,
                     1,
                     1},
        SettingsCase{"settings out of range", kDefaultSettings.substr(0, 60) + " 9\r\n0\r\n7",
                     kDefaultKeys, 2, 1, 1},
        SettingsCase{"key too big", "300" + kDefaultSettings.substr(3), kDefaultKeys, 2, 1, 1},
        SettingsCase{"key zero", "100\r\n  0" + kDefaultSettings.substr(8), kDefaultKeys, 2, 1, 1},
        SettingsCase{"number too long",
                     "100\r\n102\r\n99999999999999999999999" + kDefaultSettings.substr(13),
                     kDefaultKeys, 2, 1, 1},
        SettingsCase{"sign and letters", "-5\r\n 7x\r\n 97" + kDefaultSettings.substr(13),
                     kDefaultKeys, 2, 1, 1},
        SettingsCase{
            "good values after bad ones",
            "65\r\n66\r\n67\r\n68\r\n69\r\n70\r\n71\r\n72\r\n73\r\n74\r\n75\r\nx\r\n4\r\n3\r\n0",
            {65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 27},
            4,
            3,
            0}),
    CaseName<SettingsCase>);

TEST(Faults, AValidSettingsFileInAnotherLayoutIsReadAndLeftAlone)
{
    GameDir dir;
    const std::string text = "65 66 67 68 69 70 71 72 73 74 75 76 3 4 0";
    dir.Write("UserSettings.list", text);
    ASSERT_EQ(dir.Play("100 dump d.json\n200 quit\n").exitCode, 0);
    const json s = dir.Dump("d.json")["settings"];
    EXPECT_EQ(s["keys"], json({65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76}));
    EXPECT_EQ(s["difficulty"], 4);
    EXPECT_EQ(dir.Read("UserSettings.list"), text);
}

// ---------------------------------------------------------------- high-score file

struct ScoresCase
{
    const char* what;
    std::string text;
};

class DamagedHighScores : public ::testing::TestWithParam<ScoresCase>
{
};

// Read without a crash, shown, and left as it is until a name is entered;
// a later name entry writes a valid table again.
TEST_P(DamagedHighScores, ReadShownAndRewrittenValid)
{
    GameDir dir;
    MakeQuickWin(dir);
    dir.Write("HighScores.list", GetParam().text);
    uint64_t t = 3000;
    // The high-score menu (fifth button), then a scored game.
    std::string s = "500 press VK_DOWN\n600 press VK_DOWN\n700 press VK_DOWN\n800 press VK_RETURN\n"
                    "1000 dump h.json\n1100 press VK_ESCAPE\n";
    s += ScoredGame(t, "NEW");
    s += std::to_string(t) + " dump after.json\n" + std::to_string(t + 100) + " quit\n";
    // The file is untouched until the name entry.
    const auto r = dir.Play(s);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json h = dir.Dump("h.json");
    EXPECT_EQ(h["operationMode"], "HIGH");
    ASSERT_EQ(h["highScores"].size(), 20u);
    const json after = dir.Dump("after.json");
    EXPECT_EQ(after["operationMode"], "MENU");
    const std::string file = dir.Read("HighScores.list");
    // Forty CR LF lines, each score right-aligned in ten columns.
    bool complete = false;
    const auto lines = soak::CrLfLines(file, complete);
    ASSERT_TRUE(complete);
    ASSERT_EQ(lines.size(), 40u);
    for (size_t k = 0; k < 20; ++k) {
        uint64_t score = 0;
        EXPECT_TRUE(lines[2 * k + 1].size() == 10 &&
                    soak::ParseAligned(lines[2 * k + 1], 10, score))
            << lines[2 * k + 1];
        EXPECT_LE(lines[2 * k].size(), 10u);
    }
    EXPECT_NE(file.find("NEW\r\n       100\r\n"), std::string::npos) << file;
}

std::string Lines(std::initializer_list<std::string> l)
{
    return CrLf(std::vector<std::string>(l));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, DamagedHighScores,
    ::testing::Values(ScoresCase{"binary", Bytes("\x00\x01\xff\xfe\r\n\x00\x00 12\r\n\x1a\x1a")},
                      ScoresCase{"one huge line", std::string(200000, 'A')},
                      ScoresCase{"huge numbers", Lines({"A", "99999999999999999999999999", "B",
                                                        "4294967296", "C", "4294967295"})},
                      ScoresCase{"LF only", "ANNA\n       120\nBOB\n        50\n"},
                      ScoresCase{"scores are words", Lines({"A", "ten", "B", "  12abc", "C", ""})},
                      ScoresCase{"long names",
                                 Lines({"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "80", "X", "70"})},
                      ScoresCase{"empty", ""}),
    CaseName<ScoresCase>);

TEST(Faults, HighScoresAreReadByTheRules)
{
    GameDir dir;
    dir.Write("HighScores.list", "ANNA\r\n  120 extra\r\nBOB\n7x\r\nTOOLONGNAMEHERE\r\n5\r\n");
    ASSERT_EQ(dir.Play("100 dump d.json\n200 quit\n").exitCode, 0);
    const json h = dir.Dump("d.json")["highScores"];
    ASSERT_EQ(h.size(), 20u);
    EXPECT_EQ(h[0], json({{"name", "ANNA"}, {"score", 120}}));
    EXPECT_EQ(h[1], json({{"name", "BOB"}, {"score", 7}}));
    EXPECT_EQ(h[2]["name"], "TOOLONGNAM");
    EXPECT_EQ(h[19], json({{"name", ""}, {"score", 0}}));
}

// ---------------------------------------------------------------- unwritable folder

// Runs the game in dir, which it may read but not write; dumps go to
// dir/out, which it may write. A folder that cannot be written sends the
// player's files to the user folder (dir/home); one that cannot be made
// either leaves them in the game folder.
harness::RunResult PlayReadOnly(const GameDir& dir, const std::string& script)
{
    const harness::ScopedEnv home("XDG_DATA_HOME", (dir / "home").string());
    dir.Write("test.script", script);
    fs::create_directories(dir / "out");
    chmod((dir / "out").c_str(), 0777);
    std::vector<std::string> game = {ZODUZOR_BINARY, "--dir",    dir.str(),
                                     "--headless",   "--script", (dir / "test.script").string()};
    if (geteuid() == 0) {
        // Permission bits do not bind root: run as an unprivileged user.
        std::vector<std::string> args = {"--reuid=65534", "--regid=65534", "--clear-groups"};
        args.insert(args.end(), game.begin(), game.end());
        chmod(dir.path().c_str(), 0755);
        return harness::Run("/usr/bin/setpriv", args, dir.str());
    }
    chmod(dir.path().c_str(), 0555);
    auto r = harness::Run(game[0], {game.begin() + 1, game.end()}, dir.str());
    chmod(dir.path().c_str(), 0755);
    return r;
}

bool CanDropPrivileges()
{
    return geteuid() != 0 || access("/usr/bin/setpriv", X_OK) == 0;
}

TEST(Faults, SettingsThatCannotBeSavedSaySoAndKeepTheOldFile)
{
    if (!CanDropPrivileges()) {
        GTEST_SKIP() << "no setpriv to leave root";
    }
    GameDir dir;
    dir.Write("UserSettings.list", kDefaultSettings);
    chmod((dir / "UserSettings.list").c_str(), 0444); // nor may it write the file
    uint64_t t = 500;
    const auto r = PlayReadOnly(dir, SaveDifficultyThree(t) + "1500 dump out/a.json\n1600 quit\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("Error: The settings could not be saved."), std::string::npos) << r.err;
    const json a = dir.Dump("out/a.json");
    EXPECT_EQ(a["operationMode"], "MENU");
    EXPECT_EQ(a["settings"]["difficulty"], 3) << "the change is in force for this run";
    EXPECT_EQ(dir.Read("UserSettings.list"), kDefaultSettings);
    EXPECT_FALSE(dir.Exists("UserSettings.list.tmp"));
}

TEST(Faults, AHighScoreTableThatCannotBeSavedSaysSoAndKeepsTheOldFile)
{
    if (!CanDropPrivileges()) {
        GTEST_SKIP() << "no setpriv to leave root";
    }
    GameDir dir;
    MakeQuickWin(dir);
    dir.Write("HighScores.list", OldTable());
    chmod((dir / "HighScores.list").c_str(), 0444); // nor may it write the file
    uint64_t t = 500;
    std::string s = ScoredGame(t, "ZED");
    s += std::to_string(t) + " dump out/a.json\n" + std::to_string(t + 100) + " quit\n";
    const auto r = PlayReadOnly(dir, s);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("Error: The high-score table could not be saved."), std::string::npos)
        << r.err;
    const json a = dir.Dump("out/a.json");
    EXPECT_EQ(a["operationMode"], "MENU") << "the game goes on to the menu";
    EXPECT_EQ(a["highScores"][0], json({{"name", "ZED"}, {"score", 100}}));
    EXPECT_EQ(dir.Read("HighScores.list"), OldTable());
}

TEST(Faults, NoSettingsFileAndAFolderThatCannotBeWrittenStartsWithDefaults)
{
    if (!CanDropPrivileges()) {
        GTEST_SKIP() << "no setpriv to leave root";
    }
    GameDir dir;
    const auto r = PlayReadOnly(dir, "100 dump out/a.json\n200 quit\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Keys(dir.Dump("out/a.json")), json(kDefaultKeys));
    EXPECT_FALSE(dir.Exists("UserSettings.list"));
}

// The shared install: the folder is not the player's, the two files may be
// written by everyone. Both are rewritten in place (the same files, still
// the folder owner's), whole, without a message.
TEST(Faults, WritableFilesInAFolderThePlayerCannotWriteAreRewrittenInPlace)
{
    if (!CanDropPrivileges()) {
        GTEST_SKIP() << "no setpriv to leave root";
    }
    GameDir dir;
    MakeQuickWin(dir);
    dir.Write("HighScores.list", OldTable());
    struct stat before[2]{};
    const char* files[] = {"UserSettings.list", "HighScores.list"};
    for (int i = 0; i < 2; ++i) {
        chmod((dir / files[i]).c_str(), 0666);
        stat((dir / files[i]).c_str(), &before[i]);
    }
    uint64_t t = 500;
    std::string s = ScoredGame(t, "ZED");
    s += SaveDifficultyThree(t);
    s += std::to_string(t) + " dump out/a.json\n" + std::to_string(t + 100) + " quit\n";
    const auto r = PlayReadOnly(dir, s);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.find("could not be saved"), std::string::npos) << r.err;
    EXPECT_EQ(dir.Dump("out/a.json")["settings"]["difficulty"], 3);
    const std::string table = dir.Read("HighScores.list");
    EXPECT_EQ(soak::CheckHighScoresText(table), "") << table;
    EXPECT_EQ(table.rfind("ZED\r\n       100\r\nOLD0\r\n        90\r\n", 0), 0u) << table;
    const std::string settings = dir.Read("UserSettings.list");
    EXPECT_EQ(soak::CheckSettingsText(settings), "") << settings;
    EXPECT_EQ(settings.substr(settings.size() - 4, 1), "3") << settings;
    for (int i = 0; i < 2; ++i) {
        struct stat after
        {
        };
        stat((dir / files[i]).c_str(), &after);
        EXPECT_EQ(after.st_ino, before[i].st_ino) << files[i] << " was replaced";
        EXPECT_EQ(after.st_uid, before[i].st_uid) << files[i];
    }
}

// A level file the player may not read is no level: the game ends at once.
TEST(Faults, AnUnreadableLevelIsAMissingLevel)
{
    if (!CanDropPrivileges()) {
        GTEST_SKIP() << "no setpriv to leave root";
    }
    GameDir dir;
    chmod((dir / "data/001.LVL").c_str(), 0);
    const auto r = PlayReadOnly(dir, "500 press VK_RETURN\n1500 dump out/a.json\n1600 quit\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json a = dir.Dump("out/a.json");
    EXPECT_EQ(a["operationMode"], "MENU");
    EXPECT_TRUE(a["game"]["isGameOver"].get<bool>());
}

// ---------------------------------------------------------------- links

// Settings kept by a dotfiles manager and a table in a shared folder, both
// as symbolic links: saving writes the files they name and keeps the links.
TEST(Faults, SavesWriteThroughLinksAndKeepThem)
{
    GameDir dir;
    MakeQuickWin(dir);
    fs::create_directories(dir / "dotfiles");
    fs::create_directories(dir / "shared");
    fs::rename(dir / "UserSettings.list", dir / "dotfiles/UserSettings.list");
    fs::create_symlink("dotfiles/UserSettings.list", dir / "UserSettings.list");
    dir.Write("shared/HighScores.list", OldTable());
    fs::create_symlink(dir / "shared/HighScores.list", dir / "HighScores.list");
    uint64_t t = 500;
    std::string s = ScoredGame(t, "ZED");
    s += SaveDifficultyThree(t);
    s += std::to_string(t) + " quit\n";
    const auto r = dir.Play(s);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(dir / "UserSettings.list"));
    EXPECT_TRUE(fs::is_symlink(dir / "HighScores.list"));
    const std::string table = dir.Read("shared/HighScores.list");
    EXPECT_EQ(table.rfind("ZED\r\n       100\r\n", 0), 0u) << table;
    const std::string settings = dir.Read("dotfiles/UserSettings.list");
    EXPECT_EQ(settings.substr(settings.size() - 4, 1), "3") << settings;
    // Nothing else was left beside the files.
    for (const char* folder : {"dotfiles", "shared"}) {
        EXPECT_EQ(std::distance(fs::directory_iterator(dir / folder), fs::directory_iterator()), 1)
            << folder;
    }
}

// ---------------------------------------------------------------- killed mid-write

// The game writes its table after each of many games and is killed at
// random moments: whatever is on disk is always a whole valid table, and the
// next start reads it.
TEST(Faults, KilledWhileWritingTheTableLeavesAWholeTable)
{
    GameDir dir;
    MakeQuickWin(dir);
    dir.Write("HighScores.list", OldTable());
    uint64_t t = 500;
    std::string s;
    for (int g = 0; g < 60; ++g) {
        s += ScoredGame(t, "K" + std::to_string(g));
    }
    s += std::to_string(t) + " quit\n";
    dir.Write("kill.script", s);

    std::mt19937 rng(20240607);
    int replaced = 0;
    for (int round = 0; round < 12; ++round) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            if (chdir(dir.path().c_str()) != 0) {
                _exit(127);
            }
            const int devnull = open("/dev/null", O_WRONLY);
            dup2(devnull, 2);
            execl(ZODUZOR_BINARY, ZODUZOR_BINARY, "--dir", dir.path().c_str(), "--headless",
                  "--script", "kill.script", static_cast<char*>(nullptr));
            _exit(127);
        }
        std::this_thread::sleep_for(
            std::chrono::milliseconds(std::uniform_int_distribution<int>(50, 2500)(rng)));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        const std::string table = dir.Read("HighScores.list");
        ASSERT_EQ(soak::CheckHighScoresText(table), "") << "round " << round << ":\n" << table;
        replaced += table != OldTable();
    }
    // The table read at the next start is the one on disk.
    fs::remove(dir / "HighScores.list.tmp");
    const std::string table = dir.Read("HighScores.list");
    ASSERT_EQ(dir.Play("100 dump d.json\n200 quit\n").exitCode, 0);
    const json h = dir.Dump("d.json")["highScores"];
    EXPECT_EQ(h[0]["score"], table.find("       100\r\n") != std::string::npos ? 100 : 90);
    RecordProperty("rounds_that_wrote", replaced);
}

} // namespace
