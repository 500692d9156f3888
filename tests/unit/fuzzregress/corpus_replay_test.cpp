// Every committed fuzz seed, fed to its reader in the normal build: the
// invariants the fuzz targets assert hold for these inputs too.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "credits.h"
#include "highscore.h"
#include "keySettings.h"
#include "shell_testing.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Seeds(const std::string& target)
{
    std::vector<std::string> contents;
    for (const auto& entry :
         fs::directory_iterator(fs::path(ZODUZOR_SOURCE_DIR) / "tests/fuzz/corpus" / target)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        contents.push_back(text.str());
    }
    return contents;
}

bool HasLineEnd(const std::string& s)
{
    return s.find_first_of(std::string("\r\n\x1a")) != std::string::npos;
}

TEST(FuzzSeeds, EveryTargetHasSeeds)
{
    for (const char* target : {"fuzz_enemy_class", "fuzz_boss_class", "fuzz_bullet_class",
                               "fuzz_level", "fuzz_user_settings", "fuzz_high_scores",
                               "fuzz_credits", "fuzz_script", "fuzz_mci", "fuzz_state_dump"}) {
        EXPECT_GE(Seeds(target).size(), 2u) << target;
    }
}

TEST(FuzzSeeds, SettingsAreInRangeAndRoundTrip)
{
    for (const auto& seed : Seeds("fuzz_user_settings")) {
        InitBaseSettings();
        std::istringstream in(seed);
        ReadUserSettings(in);
        for (const auto& k : keyset) {
            EXPECT_TRUE(k.key >= 1 && k.key <= 255) << k.key;
        }
        EXPECT_TRUE(currentDifficulty >= 1 && currentDifficulty <= 4);
        EXPECT_TRUE(currentPlayModeSetting >= 1 && currentPlayModeSetting <= 4);
        EXPECT_LE(mouseControl, 1);
        const std::string written = UserSettingsText();
        std::istringstream again(written);
        EXPECT_TRUE(ReadUserSettings(again));
        EXPECT_EQ(UserSettingsText(), written);
    }
}

TEST(FuzzSeeds, HighScoreNamesFitAndRoundTrip)
{
    for (const auto& seed : Seeds("fuzz_high_scores")) {
        std::istringstream in(seed);
        const THighScores table = ReadHighScores(in);
        for (const auto& entry : table) {
            EXPECT_LE(entry.name.size(), 10u) << entry.name;
            EXPECT_FALSE(HasLineEnd(entry.name)) << entry.name;
        }
        std::istringstream again(HighScoresText(table));
        const THighScores back = ReadHighScores(again);
        for (size_t i = 0; i < table.size(); ++i) {
            EXPECT_EQ(back[i].name, table[i].name) << i;
            EXPECT_EQ(back[i].score, table[i].score) << i;
        }
    }
}

TEST(FuzzSeeds, CreditLinesFitTheirField)
{
    for (const auto& seed : Seeds("fuzz_credits")) {
        std::istringstream in(seed);
        const auto lines = ReadCreditLines(in);
        ASSERT_FALSE(lines.empty());
        EXPECT_LE(lines.size(), seed.size() + 1);
        for (const auto& line : lines) {
            EXPECT_LE(line.size(), 40u) << line;
            EXPECT_FALSE(HasLineEnd(line)) << line;
        }
    }
}

TEST(FuzzSeeds, ScriptsParseOrNameALine)
{
    int failures = 0;
    for (const auto& seed : Seeds("fuzz_script")) {
        std::istringstream in(seed);
        w32::Script script;
        std::string error;
        if (w32::ParseScript(in, "seed.script", script, error)) {
            uint32_t previous = 0;
            for (const auto& ev : script.events) {
                EXPECT_GE(ev.time, previous);
                previous = ev.time;
            }
        } else {
            ++failures;
            EXPECT_EQ(error.rfind("seed.script:", 0), 0u) << error;
            const size_t colon = error.find(": ");
            ASSERT_NE(colon, std::string::npos) << error;
            EXPECT_GE(std::stoi(error.substr(12, colon - 12)), 1) << error;
        }
    }
    // The seeds hold both sound and broken scripts.
    EXPECT_GE(failures, 1);
}

} // namespace
