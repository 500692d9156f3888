#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "common.h"
#include "data_fixtures.h"
#include "game.h"
#include "keySettings.h"
#include "sounds.h"

namespace {

using datatest::ScratchTest;
using harness::CrLf;

TEST(Paths, DataAndResourcePathsAreBuiltAndCutAtSeventy)
{
    EXPECT_EQ(DataPath("001.LVL"), ".\\data\\001.LVL");
    EXPECT_EQ(ComposeResourcePath("BG.png", "osd", plMoBike), ".\\res\\bike\\osd\\BG.png");
    EXPECT_EQ(PlayModePath(plMoMenu), "menu\\");
    EXPECT_EQ(PlayModePath(static_cast<TPlayMode>(9)), "norm\\");
    const std::string longName(100, 'x');
    const TPath cut = DataPath(longName);
    EXPECT_EQ(cut.size(), kPathCapacity);
    EXPECT_EQ(cut, ".\\data\\" + std::string(kPathCapacity - 7, 'x'));
    EXPECT_EQ(ComposeResourcePath(longName, "enemy", plMoNorm).size(), kPathCapacity);
}

TEST(Paths, ModeNamesAndMouseCoordinates)
{
    const char* names[] = {"INIT", "MENU", "GAME", "OPTI", "LOAD", "HIGH", "CRED", "KEYS"};
    for (int m = 0; m < 8; ++m) {
        EXPECT_STREQ(OperationModeName(static_cast<TOperationMode>(m)), names[m]);
    }
    EXPECT_STREQ(PlayModeName(plMoRudi), "rudi");
    EXPECT_EQ(MouseCoordsToTVector((699 << 16) | 799), (TVector{799, 699}));
    EXPECT_EQ(MouseCoordsToTVector(-1), (TVector{65535, 65535}));
}

TEST(Paths, LevelFileNamesPadToThreeDigits)
{
    EXPECT_EQ(LevelFileName(0), "000.LVL");
    EXPECT_EQ(LevelFileName(7), "007.LVL");
    EXPECT_EQ(LevelFileName(99), "099.LVL");
    EXPECT_EQ(LevelFileName(100), "100.LVL");
    EXPECT_EQ(LevelFileName(1000), "1000.LVL");
    EXPECT_EQ(LevelFileName(4294967295u), "4294967295.LVL");
}

TEST(Paths, PlayModeWordsOrTheOptionsChoice)
{
    currentPlayModeSetting = 3; // easter egg
    EXPECT_EQ(StrToPlayMode("rudi"), plMoRudi);
    EXPECT_EQ(StrToPlayMode("Bike"), plMoBike);
    EXPECT_EQ(StrToPlayMode("NORM"), plMoNorm);
    EXPECT_EQ(StrToPlayMode("menu"), plMoMenu);
    EXPECT_EQ(StrToPlayMode("eegg"), plMoEegg);
    EXPECT_EQ(StrToPlayMode("NOR"), plMoEegg);
    EXPECT_EQ(StrToPlayMode("NORMAL"), plMoEegg);
    EXPECT_EQ(StrToPlayMode(""), plMoEegg);
    currentPlayModeSetting = 1;
    EXPECT_EQ(StrToPlayMode("xxxx"), plMoBike);
    currentPlayModeSetting = 2;
}

class ResourceTest : public ScratchTest
{
};

TEST_F(ResourceTest, FallsBackToNormThenEveryTheme)
{
    PlayMode = plMoBike;
    EXPECT_EQ(ResourcePath("x.png", "enemy"), "");
    Write("res/menu/enemy/x.png", "m");
    EXPECT_EQ(ResourcePath("x.png", "enemy"), ".\\res\\menu\\enemy\\x.png");
    Write("res/rudi/enemy/x.png", "r");
    EXPECT_EQ(ResourcePath("x.png", "enemy"), ".\\res\\rudi\\enemy\\x.png");
    Write("res/eegg/enemy/x.png", "e");
    EXPECT_EQ(ResourcePath("x.png", "enemy"), ".\\res\\eegg\\enemy\\x.png");
    Write("res/norm/enemy/x.png", "n");
    EXPECT_EQ(ResourcePath("x.png", "enemy"), ".\\res\\norm\\enemy\\x.png");
    Write("res/bike/enemy/x.png", "b");
    EXPECT_EQ(ResourcePath("x.png", "enemy"), ".\\res\\bike\\enemy\\x.png");
    PlayMode = plMoMenu;
    Write("res/menu/img/BG.png", "m");
    EXPECT_EQ(ResourcePath("BG.png", "img"), ".\\res\\menu\\img\\BG.png");
    EXPECT_EQ(ResourcePath("x.png", "enemy"), ".\\res\\menu\\enemy\\x.png");
    EXPECT_TRUE(FileExists(".\\res"));
    EXPECT_FALSE(FileExists(""));
}

TEST_F(ResourceTest, ImagesAreNumberedFromOne)
{
    WritePng("res/norm/osd/a.png", 12, 34);
    EXPECT_EQ(AddImage(ResourcePath("a.png", "osd")), 1u);
    EXPECT_EQ(AddImage(""), 2u); // a failed load still takes a number
    EXPECT_EQ(AddImage(".\\nothing.png"), 3u);
    EXPECT_EQ(numOfImg, 3u);
    EXPECT_EQ(MakeSize(1), (TVector{12, 34}));
    EXPECT_EQ(MakeSize(2), (TVector{0, 0}));
}

// ---------------------------------------------------------------- class files

const std::string kEnemy =
    CrLf({"FIGHTER", "TRUE", "FALSE", "TRUE", "FALSE", "250", "LASER", "2", "66", "12"});

TEST_F(ResourceTest, EnemyClassFileFillsEveryField)
{
    WritePng("res/norm/enemy/FIGHTER.PNG", 30, 20);
    TBulletClass laser;
    laser.id = TID("LASER");
    TBulletClass other;
    other.id = TID("OTHER");
    AddBulletClass(other, p1BC);
    AddBulletClass(laser, p1BC);
    std::istringstream in(kEnemy);
    const TEnemyClass c = RdEnemyClass(in, true);
    EXPECT_EQ(c.id.str(), "FIGHTER");
    EXPECT_EQ(c.color, (TColorBool{true, false, true, false, false}));
    EXPECT_EQ(c.health, 250u);
    EXPECT_EQ(c.bullet, &p1BC.back());
    EXPECT_EQ(c.shoot, &ShootPatt2);
    EXPECT_EQ(c.move, &MovePattBoss);
    EXPECT_EQ(c.frequency, 12u);
    EXPECT_TRUE(c.isBoss);
    EXPECT_EQ(c.imgNum, 1u);
    EXPECT_EQ(c.size, (TVector{30, 20}));
}

TEST_F(ResourceTest, EnemyClassFileEdgeCases)
{
    TBulletClass first;
    first.id = TID("FIRST");
    AddBulletClass(first, p1BC);
    struct Case
    {
        std::string text;
        std::string id;
        uint32_t health, frequency;
        bool red;
    };
    const std::string twenty = "ABCDEFGHIJKLMNOPQRST";
    const Case cases[] = {
        // a 20-character identifier reads correctly
        {CrLf({twenty, "TRUE", "TRUE", "TRUE", "TRUE", "9", "X", "1", "1", "3"}), twenty, 9, 3,
         true},
        // nine lines: no frequency
        {CrLf({"NINE", "TRUE", "FALSE", "FALSE", "FALSE", "5", "X", "1", "1"}), "NINE", 5, 0, true},
        // 21 characters: the last one becomes the red flag and every field shifts
        {CrLf({twenty + "U", "TRUE", "FALSE", "FALSE", "FALSE", "5", "X", "1", "1", "4"}), twenty,
         0, 1, false},
        // malformed words
        {CrLf({"BAD", "true", "x", "1", "TRUE", "-17kg", "X", "z", "1", "+8"}), "BAD", 17, 8,
         false},
        {"", "", 0, 0, false},
    };
    for (const Case& k : cases) {
        std::istringstream in(k.text);
        const TEnemyClass c = RdEnemyClass(in, false);
        EXPECT_EQ(c.id.str(), k.id);
        EXPECT_EQ(c.health, k.health) << k.id;
        EXPECT_EQ(c.frequency, k.frequency) << k.id;
        EXPECT_EQ(c.color[red], k.red) << k.id;
        EXPECT_FALSE(c.color[neutral]);
        EXPECT_EQ(c.bullet, &p1BC.front()) << k.id; // unknown bullet: the first class
        EXPECT_NE(c.shoot, nullptr);
        EXPECT_NE(c.move, nullptr);
    }
}

TEST_F(ResourceTest, BulletClassFile)
{
    WritePng("res/norm/bullet/LASER.png", 4, 9);
    std::istringstream in(CrLf({"LASER", "1", "2", "3", "4", "5", "2.500", "-0.125"}));
    const TBulletClass b = RdBulletClass(in);
    EXPECT_EQ(b.id.str(), "LASER");
    EXPECT_EQ(b.damage, MakeTColorCard(1, 2, 3, 4, 5));
    EXPECT_FLOAT_EQ(b.speed, 2.5f);
    EXPECT_FLOAT_EQ(b.accel, -0.125f);
    EXPECT_EQ(b.size, (TVector{4, 9}));

    std::istringstream cut(CrLf({"SHORT", "1", "99999999999"}));
    const TBulletClass s = RdBulletClass(cut);
    EXPECT_EQ(s.damage, MakeTColorCard(1, 4294967295u, 0, 0, 0));
    EXPECT_EQ(s.speed, 0.0f);
    EXPECT_EQ(RdBulletClassFile(".\\data\\missing.blt").id.str(), "");
}

TEST_F(ResourceTest, DataFolderScanAppendsBulletsEnemiesThenBosses)
{
    Write("data/b.blt", CrLf({"BB", "1", "1", "1", "1", "1", "1.000", "0.000"}));
    Write("data/A.BLT", CrLf({"AB", "2", "2", "2", "2", "2", "2.000", "0.000"}));
    Write("data/z.nmi", CrLf({"Z", "FALSE", "FALSE", "FALSE", "FALSE", "1", "BB", "1", "1", "1"}));
    Write("data/y.nmi", CrLf({"Y", "FALSE", "FALSE", "FALSE", "FALSE", "1", "XX", "1", "1", "1"}));
    Write("data/boss.bss",
          CrLf({"BOSS", "TRUE", "TRUE", "TRUE", "TRUE", "900", "AB", "5", "66", "2"}));
    Write("data/notes.txt", "ignored");
    LoadBulletClasses();
    LoadEnemyClasses();
    LoadBosses();
    ASSERT_EQ(p1BC.size(), 2u);
    EXPECT_EQ(p1BC.front().id.str(), "AB"); // listed alphabetically, case aside
    std::vector<std::string> ids;
    for (const auto& n : p1EC) {
        ids.push_back(n.enemyClass.id.str() + (n.enemyClass.isBoss ? "!" : ""));
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"Y", "Z", "BOSS!"}));
    EXPECT_EQ(p1EC.front().enemyClass.bullet, &p1BC.front());
    EXPECT_EQ(std::next(p1EC.begin())->enemyClass.bullet, &p1BC.back());
    EXPECT_EQ(numOfImg, 5u); // one image per class, in reading order

    // A second level start appends the same classes again.
    LoadBulletClasses();
    EXPECT_EQ(p1BC.size(), 4u);
}

TEST_F(ResourceTest, DataFolderMissingLoadsNothing)
{
    LoadBulletClasses();
    LoadEnemyClasses();
    LoadBosses();
    EXPECT_TRUE(p1BC.empty());
    EXPECT_TRUE(p1EC.empty());
}

// ---------------------------------------------------------------- levels

class LevelTest : public ScratchTest
{
  protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        AddEnemyClass(Class("H", false), p1EC);
        AddEnemyClass(Class("A", false), p1EC);
        AddEnemyClass(Class("B", false), p1EC);
        AddEnemyClass(Class("BOSS", true), p1EC);
        for (auto& n : p1EC) {
            n.enabled = true;
        }
        currentPlayModeSetting = 1;
    }
    void TearDown() override
    {
        currentPlayModeSetting = 2;
        ScratchTest::TearDown();
    }
    static TEnemyClass Class(const std::string& id, bool boss)
    {
        TEnemyClass c;
        c.id = TID(id);
        c.isBoss = boss;
        return c;
    }
    std::set<std::string> Enabled() const
    {
        std::set<std::string> ids;
        for (const auto& n : p1EC) {
            if (n.enabled) {
                ids.insert(n.enemyClass.id.str());
            }
        }
        return ids;
    }
    TEnemyClass* Node(int i) { return &std::next(p1EC.begin(), i)->enemyClass; }
};

TEST_F(LevelTest, CountsEveryReadThatResolvesToAnOrdinaryClass)
{
    Write("data/003.LVL", CrLf({"rudi", "5000", "BOSS", "A", "A", "BOSS", "NOBODY", ""}));
    bool ok = false;
    const TLevel l = LoadLevel(3, true, ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(l.number, 3u);
    EXPECT_EQ(l.str, "3");
    EXPECT_EQ(l.playMode, plMoRudi);
    EXPECT_EQ(l.bossDelay, 5000u);
    EXPECT_EQ(l.boss, Node(3));
    EXPECT_EQ(l.numOfEnemies, 5u); // A twice, then H for NOBODY, the empty line and the end
    EXPECT_EQ(Enabled(), (std::set<std::string>{"A", "H"}));
    EXPECT_FALSE(l.bossReleased);
    EXPECT_EQ(l.time, 0u);
}

TEST_F(LevelTest, BossAsFirstClassMakesUnknownNamesCountNothing)
{
    p1EC.push_front(TEnemyClassNode{Class("FIRSTBOSS", true), true});
    Write("data/004.LVL", CrLf({"NORM", "10", "NOBODY", "A", "NOBODY", ""}));
    bool ok = false;
    const TLevel l = LoadLevel(4, true, ok);
    EXPECT_EQ(l.boss, &p1EC.front().enemyClass);
    EXPECT_EQ(l.numOfEnemies, 1u);
    EXPECT_EQ(Enabled(), (std::set<std::string>{"A"}));
}

TEST_F(LevelTest, HeaderOnlyWhenEnemiesAreNotLoaded)
{
    Write("data/1000.LVL", CrLf({"BIKE", "77", "BOSS", "A", ""}));
    bool ok = false;
    const TLevel l = LoadLevel(1000, false, ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(l.playMode, plMoBike);
    EXPECT_EQ(l.str, "1000");
    EXPECT_EQ(l.boss, nullptr);
    EXPECT_EQ(l.bossDelay, 0u);
    EXPECT_EQ(l.numOfEnemies, 0u);
    EXPECT_EQ(Enabled().size(), 4u); // untouched
}

TEST_F(LevelTest, MissingFileReportsNotOk)
{
    bool ok = true;
    const TLevel l = LoadLevel(0, true, ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(l.number, 0u);
    EXPECT_EQ(l.boss, nullptr);
    EXPECT_EQ(l.playMode, plMoNorm);
    EXPECT_EQ(l.numOfEnemies, 0u);
}

TEST_F(LevelTest, LongPlayModeLineShiftsLaterFields)
{
    Write("data/007.LVL", CrLf({"NORMAL", "5000", "BOSS", "B", ""}));
    bool ok = false;
    TLevel l = LoadLevel(7, false, ok);
    EXPECT_EQ(l.playMode, plMoNorm);
    l = LoadLevel(7, true, ok);
    EXPECT_EQ(l.bossDelay, 0u);    // "AL" is the delay word
    EXPECT_EQ(l.boss, Node(0));    // "5000" names no class: the first one
    EXPECT_EQ(l.numOfEnemies, 3u); // BOSS passed over; B, the empty line, the end
    EXPECT_EQ(Enabled(), (std::set<std::string>{"B", "H"}));
}

TEST_F(LevelTest, UnknownPlayModeWordUsesTheOptionAndLfOnlyFilesStillEnd)
{
    Write("data/042.LVL", "wxyz\n10\nBOSS\nA\nB\n");
    bool ok = false;
    const TLevel l = LoadLevel(42, true, ok);
    EXPECT_EQ(l.playMode, plMoBike);
    EXPECT_EQ(l.bossDelay, 10u);
    // LF only: the extra read after the delay swallows the boss line.
    EXPECT_EQ(l.boss, Node(1));
    EXPECT_EQ(Enabled(), (std::set<std::string>{"B", "H"}));
}

TEST_F(LevelTest, EmptyClassChainHasNoBossAndDamagedFilesEnd)
{
    p1EC.clear();
    std::string garbage;
    for (int i = 0; i < 20000; ++i) {
        garbage.push_back(static_cast<char>((i * 31 + 7) % 256));
    }
    Write("data/005.LVL", garbage);
    bool ok = false;
    const TLevel l = LoadLevel(5, true, ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(l.boss, nullptr);
    EXPECT_EQ(l.numOfEnemies, 0u);
}

// ---------------------------------------------------------------- sounds

class SoundTest : public ScratchTest
{
  protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        log = (dir / "mci.log").string();
        ASSERT_TRUE(datatest::LogSoundCommands(log));
    }
    void TearDown() override
    {
        datatest::LogSoundCommands("");
        ScratchTest::TearDown();
    }
    std::vector<std::string> Sent() const { return harness::Lines(harness::ReadFile(log)); }
    std::string log;
};

TEST_F(SoundTest, CommandStringsAreExact)
{
    PlaySound("KillEnemy", false);
    PlayBG();
    CloseSounds();
    PlaySound(std::string(200, 'a'), true);
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[0], "play KillEnemy");
    EXPECT_EQ(sent[1], "play BG repeat");
    EXPECT_EQ(sent[2], "close all");
    EXPECT_EQ(sent[3], "play " + std::string(96, 'a')); // cut at 101 characters
}

TEST_F(SoundTest, LoadSoundPrefersMp3AnywhereOverWav)
{
    PlayMode = plMoBike;
    LoadSound("Fire"); // nothing anywhere: nothing sent
    Write("res/norm/snd/Fire.wav", "w");
    LoadSound("Fire");
    Write("res/bike/snd/Fire.wav", "w");
    LoadSound("Fire");
    Write("res/rudi/snd/Fire.mp3", "m");
    LoadSound("Fire");
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], "open .\\res\\norm\\snd\\Fire.wav alias Fire");
    EXPECT_EQ(sent[1], "open .\\res\\bike\\snd\\Fire.wav alias Fire");
    EXPECT_EQ(sent[2], "open .\\res\\rudi\\snd\\Fire.mp3 alias Fire");
}

TEST_F(SoundTest, LevelLoadClosesSoundsAndOpensTheEffects)
{
    Write("res/norm/snd/KillEnemy.wav", "w");
    Write("res/norm/snd/KillBoss.mp3", "m");
    Write("data/001.LVL", CrLf({"NORM", "1", "X", ""}));
    bool ok = false;
    LoadLevel(1, false, ok);
    LoadLevel(1, true, ok);
    const auto sent = Sent();
    EXPECT_EQ(sent,
              (std::vector<std::string>{"close all", "close all", "close all",
                                        "open .\\res\\norm\\snd\\KillEnemy.wav alias KillEnemy",
                                        "open .\\res\\norm\\snd\\KillBoss.mp3 alias KillBoss"}));
}

} // namespace
