// The play screen run as a whole program on a small data folder of its own:
// enemy entry, the announcement, the boss, pause, held keys, the wheel, the
// end of a game and the name entry.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <gtest/gtest.h>

#include "harness.h"

namespace {

namespace fs = std::filesystem;
using harness::CrLf;
using nlohmann::json;

void Png(const harness::GameDir& dir, const std::string& rel, int w, int h)
{
    const fs::path file = dir.path() / rel;
    fs::create_directories(file.parent_path());
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
    SDL_FillRect(s, nullptr, SDL_MapRGBA(s->format, 200, 80, 40, 255));
    IMG_SavePNG(s, file.string().c_str());
    SDL_FreeSurface(s);
}

struct Level
{
    uint32_t bossDelay = 20000;
    std::vector<std::string> enemies = std::vector<std::string>(40, "DROP");
};

// A data folder with one ordinary class DROP (health 1, never fires), the
// boss KING (health `bossHealth`) and the given levels.
void MakeData(const harness::GameDir& dir, const std::vector<Level>& levels, int difficulty = 1,
              int mouse = 0, uint32_t bossHealth = 1)
{
    dir.Write("data/HEROBULLET.blt",
              CrLf({"HEROBULLET", "0", "0", "0", "0", "10", "10.000", "0.000"}));
    dir.Write("data/DROP.nmi",
              CrLf({"DROP", "FALSE", "FALSE", "FALSE", "FALSE", "1", "HEROBULLET", "0", "1", "1"}));
    dir.Write("data/KING.bss", CrLf({"KING", "FALSE", "FALSE", "FALSE", "FALSE",
                                     std::to_string(bossHealth), "HEROBULLET", "0", "66", "1"}));
    for (size_t i = 0; i < levels.size(); ++i) {
        std::vector<std::string> lines = {"NORM", std::to_string(levels[i].bossDelay), "KING"};
        lines.insert(lines.end(), levels[i].enemies.begin(), levels[i].enemies.end());
        lines.push_back("");
        char name[32];
        std::snprintf(name, sizeof name, "data/%03zu.LVL", i + 1);
        dir.Write(name, CrLf(lines, false));
    }
    Png(dir, "res/norm/hero.png", 30, 40);
    for (const char* c : {"R", "G", "B", "Y"}) {
        Png(dir, std::string("res/norm/shield/") + c + ".png", 50, 50);
    }
    Png(dir, "res/norm/enemy/DROP.PNG", 30, 30);
    Png(dir, "res/norm/enemy/KING.PNG", 60, 40);
    Png(dir, "res/norm/bullet/HEROBULLET.png", 4, 10);
    std::string settings;
    for (int key : {100, 102, 97, 98, 99, 101, 38, 40, 37, 39, 32, 27}) {
        settings += std::to_string(key) + "\r\n";
    }
    settings += "2\r\n" + std::to_string(difficulty) + "\r\n" + std::to_string(mouse);
    dir.Write("UserSettings.list", settings);
}

// Enter starts the game at 1000 ms; the play timer then ticks at 1000 + 41 k.
constexpr int kStart = 1000;
std::string At(int tick, const std::string& event, int offset = 20)
{
    return std::to_string(kStart + 41 * tick + offset) + " " + event + "\n";
}
const std::string kEnter = std::to_string(kStart) + " press VK_RETURN\n";

json Game(const harness::GameDir& dir, const std::string& file)
{
    return dir.Dump(file)["game"];
}

harness::RunResult PlayGame(const harness::GameDir& dir, const std::string& script)
{
    auto r = dir.Play(script + "600000 quit\n", {"--mci-log", (dir.path() / "mci.log").string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r;
}

struct Rate
{
    int difficulty;
    uint32_t period;
};

class SpawnRate : public ::testing::TestWithParam<Rate>
{
};

TEST_P(SpawnRate, EnemiesEnterOnlyAtSpawnMoments)
{
    const Rate rate = GetParam();
    harness::GameDir dir(false);
    MakeData(dir, {Level{}}, rate.difficulty);
    PlayGame(dir, kEnter + At(37 + 70, "dump d.json") + At(0, "quit", 41 * 120));
    const json g = Game(dir, "d.json");
    ASSERT_FALSE(g["isLoading"].get<bool>());
    const uint32_t now = g["level"]["time"];
    ASSERT_EQ(now, 70u * 41);
    size_t moments = now / rate.period;
    ASSERT_GE(g["enemies"].size() + 1, moments) << "spawn moments let no enemy in";
    ASSERT_LE(g["enemies"].size(), moments);
    for (const json& e : g["enemies"]) {
        const int y = e["pos"][1];
        const uint32_t entered = now - static_cast<uint32_t>((y - 10) / 5) * 41;
        EXPECT_EQ(entered % rate.period, 0u) << "entered at " << entered;
        EXPECT_GE(entered, rate.period);
        const int x = e["pos"][0];
        EXPECT_GT(x, 200);
        EXPECT_LT(x, 790);
    }
}

INSTANTIATE_TEST_SUITE_P(Difficulties, SpawnRate,
                         ::testing::Values(Rate{1, 615}, Rate{2, 615}, Rate{3, 205}, Rate{4, 615}));

TEST(GameFlow, AnnouncementLastsThirtySevenTicksAndCannotBePaused)
{
    harness::GameDir dir(false);
    MakeData(dir, {Level{}});
    std::string s = kEnter + At(0, "dump t0.json") + At(5, "press VK_ESCAPE");
    for (int k = 35; k <= 39; ++k) {
        s += At(k, "dump t" + std::to_string(k) + ".json");
    }
    PlayGame(dir, s);
    const json g0 = Game(dir, "t0.json");
    EXPECT_TRUE(g0["isLoading"].get<bool>());
    EXPECT_EQ(g0["levelStr"], "You are entering level 1");
    EXPECT_EQ(Game(dir, "t36.json")["level"]["time"], 36 * 41);
    EXPECT_TRUE(Game(dir, "t36.json")["isLoading"].get<bool>());
    const json g37 = Game(dir, "t37.json");
    EXPECT_FALSE(g37["isLoading"].get<bool>());
    EXPECT_FALSE(g37["isPaused"].get<bool>()) << "Escape paused the announcement";
    EXPECT_EQ(g37["level"]["time"], 0);
    EXPECT_EQ(Game(dir, "t39.json")["level"]["time"], 82);
}

TEST(GameFlow, NoBossDelayMeansNoEnemyAndTheBossAtTheFirstPlayingTick)
{
    harness::GameDir dir(false);
    MakeData(dir, {Level{0}}, 3, 0, 1000);
    PlayGame(dir, kEnter + At(37, "dump a.json") + At(38, "dump b.json") + At(80, "dump c.json"));
    EXPECT_TRUE(Game(dir, "a.json")["enemies"].empty());
    const json b = Game(dir, "b.json");
    ASSERT_EQ(b["enemies"].size(), 1u);
    EXPECT_EQ(b["enemies"][0]["class"], "KING");
    EXPECT_EQ(b["enemies"][0]["pos"], json::array({495, 10}));
    EXPECT_EQ(b["enemies"][0]["spd"], json::array({10, 0}));
    EXPECT_TRUE(b["level"]["bossReleased"].get<bool>());
    const json c = Game(dir, "c.json");
    ASSERT_EQ(c["enemies"].size(), 1u) << "an ordinary enemy entered after the boss";
    EXPECT_EQ(c["level"]["number"], 1) << "next level began with the boss alive";
    const std::string log = dir.Read("mci.log");
    EXPECT_NE(log.find("play .\\RES\\norm\\snd\\bgm1.mp3 repeat\n"), std::string::npos);
    EXPECT_NE(log.find("play .\\RES\\norm\\snd\\Boss.mp3\n"), std::string::npos);
}

TEST(GameFlow, BossWaitsForAnEmptyFieldAndNextLevelForTheBossToFall)
{
    harness::GameDir dir(false);
    // One spawn moment (615 ms) before the delay runs out at 656 ms.
    MakeData(dir, {Level{620}, Level{620}});
    std::string s = kEnter;
    for (int k = 37; k <= 37 + 200; k += 2) {
        s += At(k, "dump d" + std::to_string(k) + ".json");
    }
    PlayGame(dir, s);
    bool waited = false, released = false;
    for (int k = 37; k <= 37 + 200; k += 2) {
        const json g = Game(dir, "d" + std::to_string(k) + ".json");
        if (g["level"]["number"] != 1) {
            break;
        }
        const uint32_t t = g["level"]["time"];
        if (g["level"]["bossReleased"].get<bool>()) {
            released = true;
            ASSERT_EQ(g["enemies"].size(), 1u) << "at " << t;
            EXPECT_EQ(g["enemies"][0]["class"], "KING");
        } else if (t > 620 && !g["enemies"].empty()) {
            waited = true;
            EXPECT_NE(g["enemies"][0]["class"], "KING");
        }
    }
    EXPECT_TRUE(waited) << "no ordinary enemy held the boss back";
    EXPECT_TRUE(released);
}

TEST(GameFlow, ShootingTheBossStartsTheNextLevelAndTheLastEndsTheGame)
{
    harness::GameDir dir(false);
    MakeData(dir, {Level{0}});
    // The boss sinks over the ship's column; held fire brings it down.
    std::string s = kEnter + At(38, "keydown VK_SPACE");
    s += At(300, "dump over.json") + At(300, "type Zed42", 30) + At(300, "press VK_RETURN", 40);
    s += At(300, "dump menu.json", 60);
    PlayGame(dir, s);
    const json over = Game(dir, "over.json");
    EXPECT_TRUE(over["isGameOver"].get<bool>());
    EXPECT_TRUE(over["isHighScore"].get<bool>());
    EXPECT_EQ(over["player"]["score"], 100);
    EXPECT_EQ(dir.Dump("menu.json")["operationMode"], "MENU");
    const std::string table = dir.Read("HighScores.list");
    EXPECT_EQ(table.rfind("Zed42\r\n       100\r\n", 0), 0u) << table;
    const std::string log = dir.Read("mci.log");
    EXPECT_NE(log.find("play KillBoss\n"), std::string::npos);
    EXPECT_NE(log.find("play .\\RES\\norm\\snd\\Victory.mp3\n"), std::string::npos);
}

TEST(GameFlow, PauseFreezesTimeWhileTheBackgroundScrollsAndWheelResumes)
{
    harness::GameDir dir(false);
    MakeData(dir, {Level{}}, 1, 0);
    std::string s = kEnter + At(40, "press VK_ESCAPE") + At(41, "dump p1.json") +
                    At(60, "dump p2.json") + At(61, "wheel 120") + At(70, "dump p3.json");
    PlayGame(dir, s);
    const json p1 = Game(dir, "p1.json"), p2 = Game(dir, "p2.json"), p3 = Game(dir, "p3.json");
    EXPECT_TRUE(p1["isPaused"].get<bool>());
    EXPECT_EQ(p1["level"]["time"], p2["level"]["time"]);
    EXPECT_NE(p1["bgPos"], p2["bgPos"]);
    EXPECT_FALSE(p3["isPaused"].get<bool>()) << "the wheel did not resume without mouse control";
    EXPECT_EQ(p3["player"]["col"], "red") << "the wheel changed colour without mouse control";
    EXPECT_GT(p3["level"]["time"].get<uint32_t>(), p2["level"]["time"].get<uint32_t>());
}

TEST(GameFlow, HeldFireShootsEveryFourthTickAndHeldMoveStepsEverySecond)
{
    harness::GameDir dir(false);
    MakeData(dir, {Level{}});
    std::string s = kEnter + At(40, "keydown VK_SPACE") + At(40, "keydown VK_LEFT", 25) +
                    At(40, "dump a.json", 30) + At(60, "dump b.json") + At(61, "keyup VK_LEFT") +
                    At(61, "keyup VK_SPACE", 25) + At(70, "dump c.json");
    PlayGame(dir, s);
    const json a = Game(dir, "a.json"), b = Game(dir, "b.json"), c = Game(dir, "c.json");
    EXPECT_EQ(a["player"]["pos"], json::array({495, 500})) << "a press steps at once";
    EXPECT_EQ(a["playerBullets"].size(), 1u) << "a press fires at once";
    EXPECT_EQ(b["playerBullets"].size(), 6u);
    EXPECT_EQ(b["player"]["pos"], json::array({445, 500}));
    EXPECT_FALSE(c["player"]["isMovingLeft"].get<bool>());
    EXPECT_EQ(c["player"]["pos"], b["player"]["pos"]);
}

TEST(GameFlow, KeysReleasedWhilePausedDoNotStick)
{
    harness::GameDir dir(false);
    MakeData(dir, {Level{}});
    std::string s = kEnter + At(40, "keydown VK_UP") + At(41, "press VK_ESCAPE") +
                    At(42, "keyup VK_UP") + At(43, "press VK_DOWN") + At(44, "dump a.json") +
                    At(60, "dump b.json");
    PlayGame(dir, s);
    const json a = Game(dir, "a.json"), b = Game(dir, "b.json");
    EXPECT_FALSE(a["isPaused"].get<bool>());
    EXPECT_FALSE(a["player"]["isMovingUp"].get<bool>());
    EXPECT_EQ(a["player"]["pos"], b["player"]["pos"]);
}

TEST(GameFlow, KeysAndButtonsHeldWhenAGameEndsDoNotCarryIntoTheNext)
{
    harness::GameDir dir(false);
    MakeData(dir, {Level{}}, 1, 1);
    // Fire, a move and the left button are held when the window is closed;
    // they are released on the main menu, and a new game starts.
    std::string s = kEnter + At(40, "keydown VK_SPACE") + At(40, "keydown VK_LEFT", 22) +
                    At(40, "lbuttondown 400 400", 24) + At(41, "close") + At(42, "keyup VK_SPACE") +
                    At(42, "keyup VK_LEFT", 22) + At(42, "lbuttonup 400 400", 24) +
                    At(43, "dump m.json") + At(44, "press VK_RETURN") + At(44, "dump a.json", 30);
    PlayGame(dir, s);
    ASSERT_EQ(dir.Dump("m.json")["operationMode"], "MENU");
    const json a = dir.Dump("a.json");
    ASSERT_EQ(a["operationMode"], "GAME");
    for (const char* flag :
         {"isShooting", "isMovingUp", "isMovingDown", "isMovingLeft", "isMovingRight"}) {
        EXPECT_FALSE(a["game"]["player"][flag].get<bool>()) << flag;
    }
}

TEST(GameFlow, GivingUpWithoutAQualifyingScoreReturnsToTheMenuAtOnce)
{
    harness::GameDir dir(false);
    MakeData(dir, {Level{}});
    PlayGame(dir, kEnter + At(40, "press VK_ESCAPE") + At(41, "keydown VK_ESCAPE") +
                      At(41, "dump a.json", 21));
    const json d = dir.Dump("a.json");
    EXPECT_EQ(d["operationMode"], "MENU");
    EXPECT_TRUE(d["game"]["isGameOver"].get<bool>());
    EXPECT_FALSE(dir.Exists("HighScores.list"));
    const std::string log = dir.Read("mci.log");
    const size_t victory = log.find("play .\\RES\\norm\\snd\\Victory.mp3\n");
    ASSERT_NE(victory, std::string::npos);
    EXPECT_NE(log.find("close all", victory), std::string::npos);
}

TEST(GameFlow, EscapeThatGivesUpLeavesTheNameEntryOpen)
{
    harness::GameDir dir(false);
    // Level 1 is won at once (100 points); level 2 runs until given up.
    MakeData(dir, {Level{0}, Level{}});
    std::string s = kEnter + At(38, "keydown VK_SPACE") + At(200, "keyup VK_SPACE") +
                    At(210, "press VK_ESCAPE") + At(211, "press VK_ESCAPE") +
                    At(212, "dump a.json") + At(213, "type abc-d ef1234567890XYZ") +
                    At(214, "char 8") + At(215, "dump b.json") + At(216, "press VK_RETURN") +
                    At(217, "dump c.json");
    PlayGame(dir, s);
    const json a = dir.Dump("a.json");
    ASSERT_EQ(a["operationMode"], "GAME") << "the Escape also ended the name entry";
    EXPECT_TRUE(a["game"]["isHighScore"].get<bool>());
    EXPECT_FALSE(a["game"]["isPaused"].get<bool>()) << "the pause picture hides the name prompt";
    EXPECT_EQ(a["game"]["player"]["score"], 100);
    EXPECT_EQ(Game(dir, "b.json")["playerStr"], "abcdef123");
    EXPECT_EQ(dir.Dump("c.json")["operationMode"], "MENU");
    const std::string table = dir.Read("HighScores.list");
    EXPECT_EQ(table.rfind("abcdef123\r\n       100\r\n", 0), 0u) << table;
}

TEST(GameFlow, HeldEscapeNeitherGivesUpNorEndsTheNameEntry)
{
    harness::GameDir dir(false);
    MakeData(dir, {Level{0}, Level{}});
    // Escape pauses and is held: its auto-repeat keeps the pause. A fresh
    // press gives up; held again, its repeated characters leave the name
    // entry open.
    std::string s = kEnter + At(38, "keydown VK_SPACE") + At(200, "keyup VK_SPACE") +
                    At(210, "keydown VK_ESCAPE") + At(211, "keydown VK_ESCAPE repeat") +
                    At(211, "char 27", 22) + At(212, "dump a.json") + At(213, "keyup VK_ESCAPE") +
                    At(214, "press VK_ESCAPE") + At(215, "keydown VK_ESCAPE repeat") +
                    At(215, "char 27", 22) + At(216, "dump b.json") + At(217, "type ok") +
                    At(218, "press VK_RETURN");
    PlayGame(dir, s);
    const json a = dir.Dump("a.json");
    ASSERT_EQ(a["operationMode"], "GAME");
    EXPECT_TRUE(a["game"]["isPaused"].get<bool>());
    EXPECT_FALSE(a["game"]["isGameOver"].get<bool>()) << "a held Escape gave the game up";
    const json b = dir.Dump("b.json");
    ASSERT_EQ(b["operationMode"], "GAME") << "a held Escape ended the name entry";
    EXPECT_TRUE(b["game"]["isHighScore"].get<bool>());
    const std::string table = dir.Read("HighScores.list");
    EXPECT_EQ(table.rfind("ok\r\n       100\r\n", 0), 0u) << table;
}

// A whole game with pad events alone: the level chosen with the picker, two
// levels played (the first won at once), the game given up, a name entered
// with the picker, which the table then holds; the replay kept of it plays
// back without a pad.
TEST(GameFlow, AWholeGameIsPlayedWithAPadAlone)
{
    harness::GameDir dir(false);
    MakeData(dir, {Level{}, Level{0}, Level{}});
    auto tap = [](int ms, const std::string& button) {
        return std::to_string(ms) + " pad down " + button + "\n" + std::to_string(ms + 20) +
               " pad up " + button + "\n";
    };
    // The level choice: down to it, the picker down from 1 to 2, added, confirmed.
    std::string s = tap(100, "dpdown") + tap(200, "a") + tap(300, "dpdown") + tap(400, "a") +
                    "450 dump load.json\n" + tap(500, "start") + "600 dump m.json\n" +
                    tap(kStart, "a") + At(38, "pad down a") + At(200, "pad up a") +
                    At(210, "pad down back") + At(210, "pad up back", 30) +
                    At(211, "pad down back") + At(211, "pad up back", 30);
    // "Ab1": A; the next kind (small letters) and down by the stick to b, added
    // with right; the next kind (digits), down to 1, added twice, one rubbed out.
    s += At(212, "pad down a") + At(212, "pad up a", 30) + At(213, "pad down rightshoulder") +
         At(213, "pad up rightshoulder", 30) + At(214, "pad axis lefty 30000") +
         At(214, "pad axis lefty 0", 30) + At(215, "pad down dpright") +
         At(215, "pad up dpright", 30) + At(216, "pad down rightshoulder") +
         At(216, "pad up rightshoulder", 30) + At(217, "pad down dpdown") +
         At(217, "pad up dpdown", 30) + At(218, "pad down a") + At(218, "pad up a", 30) +
         At(219, "pad down a") + At(219, "pad up a", 30) + At(220, "pad down b") +
         At(220, "pad up b", 30) + At(221, "dump name.json") + At(222, "pad down start") +
         At(222, "pad up start", 30) + At(223, "dump menu.json");
    PlayGame(dir, s);
    EXPECT_EQ(dir.Dump("load.json")["levelChoice"]["try"], "2");
    ASSERT_EQ(dir.Dump("m.json")["firstLevel"], 2);
    EXPECT_EQ(Game(dir, "name.json")["playerStr"], "Ab1");
    EXPECT_EQ(Game(dir, "name.json")["player"]["score"], 100);
    EXPECT_EQ(dir.Dump("menu.json")["operationMode"], "MENU");
    const std::string table = dir.Read("HighScores.list");
    EXPECT_EQ(table.rfind("Ab1\r\n       100\r\n", 0), 0u) << table;
    std::vector<fs::path> kept;
    for (const auto& e : fs::directory_iterator(dir / "replays"))
        kept.push_back(e.path());
    ASSERT_EQ(kept.size(), 1u);
    const auto r =
        harness::Run(ZODUZOR_BINARY,
                     {"--dir", dir.str(), "--headless", "--replay", kept[0].string()}, dir.str());
    EXPECT_EQ(r.out, "ok\n") << r.err;
}

TEST(GameFlow, LevelNumbersAboveThreeDigitsAreAnnouncedWhole)
{
    harness::GameDir dir(false);
    MakeData(dir, {});
    dir.Write("data/999.LVL", CrLf({"NORM", "0", "KING", ""}, false));
    dir.Write("data/1000.LVL", CrLf({"NORM", "20000", "KING", "DROP", ""}, false));
    // Level 999 is chosen on the level choice screen; its boss falls at once.
    std::string s = "100 press VK_DOWN\n200 press VK_RETURN\n300 keydown VK_SHIFT\n"
                    "400 type 999\n500 press VK_RETURN\n600 dump m.json\n" +
                    kEnter + At(38, "keydown VK_SPACE");
    for (int k = 40; k <= 300; k += 10) {
        s += At(k, "dump d" + std::to_string(k) + ".json");
    }
    PlayGame(dir, s);
    ASSERT_EQ(dir.Dump("m.json")["firstLevel"], 999);
    bool seen = false;
    for (int k = 40; k <= 300 && !seen; k += 10) {
        const json g = Game(dir, "d" + std::to_string(k) + ".json");
        if (g["level"]["number"] == 1000 && g["isLoading"].get<bool>()) {
            seen = true;
            EXPECT_EQ(g["levelStr"], "You are entering level 1000");
        }
    }
    EXPECT_TRUE(seen) << "level 1000 was never announced";
}

} // namespace
