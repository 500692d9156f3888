#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "data_fixtures.h"
#include "game.h"
#include "keySettings.h"
#include "runmode.h"

namespace {

const std::string kDefaultFile = "100\r\n102\r\n 97\r\n 98\r\n 99\r\n101\r\n 38\r\n 40\r\n 37\r\n"
                                 " 39\r\n 32\r\n 27\r\n 2\r\n1\r\n1";

std::vector<std::string> calls;

template <int N> void Down(uint32_t p)
{
    calls.push_back("down" + std::to_string(N) + "/" + std::to_string(p));
}

template <int N> void Up(uint32_t p)
{
    calls.push_back("up" + std::to_string(N) + "/" + std::to_string(p));
}

class KeyTest : public datatest::ScratchTest
{
  protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        InitBaseSettings();
        calls.clear();
    }
    void TearDown() override
    {
        InitBaseSettings();
        InitKeysetProcs();
        ScratchTest::TearDown();
    }
};

std::vector<uint32_t> Keys()
{
    std::vector<uint32_t> keys;
    for (const RKey& k : keyset) {
        keys.push_back(k.key);
    }
    return keys;
}

const std::vector<uint32_t> kDefaultKeys = {100, 102, 97, 98, 99, 101, 38, 40, 37, 39, 32, 27};

TEST_F(KeyTest, DefaultsAreExactlySixtyEightBytes)
{
    const std::string text = UserSettingsText();
    EXPECT_EQ(text, kDefaultFile);
    EXPECT_EQ(text.size(), 68u);
}

TEST_F(KeyTest, FirstStartCreatesTheDefaultFile)
{
    for (RKey& k : keyset) {
        k = RKey{};
    }
    currentDifficulty = 3;
    LoadUserSettings();
    EXPECT_EQ(Read(kUserSettingsFile), kDefaultFile);
    EXPECT_EQ(Keys(), kDefaultKeys);
    EXPECT_EQ(currentDifficulty, 1);
    EXPECT_EQ(currentPlayModeSetting, 2);
    EXPECT_EQ(mouseControl, 1);
    EXPECT_EQ(NewPlayMode(), plMoNorm);

    // The default keys act: the arrow moves while held, keypad 2 and 3 choose
    // blue and green, Escape pauses on its press and does nothing on release.
    TPlayer& ship = players[1];
    ship = TPlayer{};
    ship.health = {5, 5, 5, 5, 0};
    ship.pos = MakeTVector(500, 400);
    isPaused = false;
    CheckKey(VK_UP, 0, true);
    EXPECT_TRUE(ship.isMovingUp);
    EXPECT_EQ(ship.pos.y, 395);
    CheckKey(VK_UP, 0, false);
    EXPECT_FALSE(ship.isMovingUp);
    CheckKey(VK_NUMPAD2, 0, true);
    EXPECT_EQ(ship.col, blue);
    CheckKey(VK_NUMPAD3, 0, true);
    EXPECT_EQ(ship.col, green);
    CheckKey(VK_ESCAPE, 0, true);
    CheckKey(VK_ESCAPE, 0, false);
    EXPECT_TRUE(isPaused);
    isPaused = false;
}

TEST_F(KeyTest, OtherSpacingAndLineEndsReadAlike)
{
    const std::string variants[] = {
        "65 66 67 68 69 70 71 72 73 74 75 76 4 3 0",
        "65\n66\n67\n68\n69\n70\n71\n72\n73\n74\n75\n76\n4\n3\n0\n",
        "\t65\t66 \r\n67\x1a"
        "68 69 70 71 72 73 74 75 76 4 3 0 trailing text 999",
    };
    for (const std::string& text : variants) {
        Write(kUserSettingsFile, text);
        LoadUserSettings();
        EXPECT_EQ(Keys(), (std::vector<uint32_t>{65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76}));
        EXPECT_EQ(currentPlayModeSetting, 4);
        EXPECT_EQ(NewPlayMode(), plMoRudi);
        EXPECT_EQ(currentDifficulty, 3);
        EXPECT_EQ(mouseControl, 0);
        EXPECT_EQ(Read(kUserSettingsFile), text); // a sound file is not rewritten
    }
}

TEST_F(KeyTest, DamagedValuesTakeTheirDefaultsAndTheFileIsRewritten)
{
    struct Case
    {
        std::string text;
        std::vector<uint32_t> keys;
        int playMode, difficulty, mouse;
    };
    const Case cases[] = {
        {"65 66 67", {65, 66, 67, 98, 99, 101, 38, 40, 37, 39, 32, 27}, 2, 1, 1},
        {"0 300 abc 4x 69 70 71 72 73 74 75 76 5 0 2",
         {100, 102, 97, 98, 69, 70, 71, 72, 73, 74, 75, 76},
         2,
         1,
         1},
        {"65 66 67 68 69 70 71 72 73 74 75 76 1 4 7",
         {65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76},
         1,
         4,
         1},
        {std::string("\0\xff\x80garbage\x01", 11), kDefaultKeys, 2, 1, 1},
        {"", kDefaultKeys, 2, 1, 1},
    };
    for (const Case& c : cases) {
        Write(kUserSettingsFile, c.text);
        LoadUserSettings();
        EXPECT_EQ(Keys(), c.keys) << c.text;
        EXPECT_EQ(currentPlayModeSetting, c.playMode) << c.text;
        EXPECT_EQ(currentDifficulty, c.difficulty) << c.text;
        EXPECT_EQ(mouseControl, c.mouse) << c.text;
        EXPECT_EQ(Read(kUserSettingsFile), UserSettingsText()) << c.text;
    }
}

TEST_F(KeyTest, ReadingStopsAtFifteenNumbersAndReportsDefaults)
{
    std::istringstream good("1 2 3 4 5 6 7 8 9 10 11 12 1 1 0 junk");
    EXPECT_TRUE(ReadUserSettings(good));
    std::istringstream bad("1 2 3 4 5 6 7 8 9 10 11 12 1 1");
    EXPECT_FALSE(ReadUserSettings(bad));
    EXPECT_EQ(mouseControl, 1);
}

TEST_F(KeyTest, WriteOnlyWhenTheFileExists)
{
    currentDifficulty = 3;
    WrOptionsToFile();
    EXPECT_FALSE(std::filesystem::exists(dir / kUserSettingsFile));
    Write(kUserSettingsFile, "");
    WrOptionsToFile();
    const std::string text = Read(kUserSettingsFile);
    EXPECT_EQ(text.substr(text.size() - 8), " 2\r\n3\r\n1"); // line 14 holds the difficulty
}

TEST_F(KeyTest, FailedWriteIsReported)
{
    std::filesystem::create_directories(dir / kUserSettingsFile / "inner");
    ::testing::internal::CaptureStderr();
    WrOptionsToFile();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("The settings could not be saved."), std::string::npos) << err;
    EXPECT_TRUE(std::filesystem::is_directory(dir / kUserSettingsFile / "inner"));
}

TEST_F(KeyTest, CheckKeyServesEverySlotAndIgnoresAutoRepeat)
{
    keyset[2] = RKey{65, Up<2>, Down<2>};
    keyset[7] = RKey{65, Up<7>, Down<7>};
    keyset[9] = RKey{66, Up<9>, Down<9>};
    CheckKey(65, 0x001E0001, true);
    EXPECT_EQ(calls, (std::vector<std::string>{"down2/1", "down7/1"}));
    calls.clear();
    CheckKey(65, 0x401E0001, true); // bit 30: auto-repeat
    EXPECT_TRUE(calls.empty());
    CheckKey(65, static_cast<int32_t>(0xC01E0001u), false); // release looks at no bit
    EXPECT_EQ(calls, (std::vector<std::string>{"up2/1", "up7/1"}));
    calls.clear();
    CheckKey(67, 0, true);
    CheckKey(67, 0, false);
    EXPECT_TRUE(calls.empty());
}

TEST_F(KeyTest, RdWrKeyNamesTheHolderOrTakesTheKey)
{
    EXPECT_EQ(RdWrKey(101, 2), 6u); // slot 5 holds it
    EXPECT_EQ(Keys(), kDefaultKeys);
    EXPECT_EQ(RdWrKey(97, 2), 3u); // the slot's own key
    EXPECT_EQ(RdWrKey(65, 2), 0u);
    EXPECT_EQ(keyset[2].key, 65u);
    EXPECT_EQ(RdWrKey(66, 12), 0u); // no such slot: nothing changes
    EXPECT_EQ(RdWrKey(66, 0), 0u);
    EXPECT_EQ(keyset[0].key, 66u);
}

TEST_F(KeyTest, DumpShowsKeysAndSettings)
{
    currentDifficulty = 4;
    const nlohmann::json d = DumpSettings();
    ASSERT_EQ(d["keys"].size(), 12u);
    EXPECT_EQ(d["keys"][0], 100);
    EXPECT_EQ(d["keys"][11], 27);
    EXPECT_EQ(d["playMode"], 2);
    EXPECT_EQ(d["difficulty"], 4);
    EXPECT_EQ(d["mouseControl"], 1);
}

} // namespace
