// Every level of the default content, started through the level choice
// screen: its boss, its enemy classes and every picture the game loads for it.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "harness.h"

namespace {

namespace fs = std::filesystem;

std::string LevelName(int n)
{
    std::string s = std::to_string(n);
    while (s.size() < 3) {
        s = "0" + s;
    }
    return s + ".LVL";
}

class ContentLevels : public ::testing::TestWithParam<int>
{
};

TEST_P(ContentLevels, StartsWithItsBossClassesAndPictures)
{
    const int n = GetParam();
    harness::GameDir dir;
    const auto level = harness::Lines(dir.Read("data/" + LevelName(n)));
    ASSERT_GE(level.size(), 4u);
    // Main menu: Load, type the level, confirm; back on the menu, Play.
    std::ostringstream script;
    script << "100 press VK_DOWN\n+100 press VK_RETURN\n";
    for (char c : std::to_string(n)) {
        script << "+100 press " << c << "\n";
    }
    script << "+100 press VK_RETURN\n+100 press VK_RETURN\n+2000 dump d.json\n+100 quit\n";
    auto run = dir.Play(script.str());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto d = dir.Dump("d.json");
    ASSERT_EQ(d.value("operationMode", ""), "GAME") << d.dump();
    if (!d.contains("game")) {
        GTEST_SKIP() << "the play screen writes no state yet";
    }
    const auto& g = d["game"];
    EXPECT_EQ(g["level"]["number"], n);
    EXPECT_EQ(g["level"]["boss"], level[2]) << "the boss resolves to its own class";
    // theme, delay, boss, the identifiers, the empty closing line; the
    // closing line and the end of the file count once each besides
    const int listed = int(level.size()) - 4;
    EXPECT_EQ(g["level"]["numOfEnemies"], listed + 2);
    EXPECT_EQ(g["player"]["bulletClass"], "HEROBULLET");
    EXPECT_EQ(g["player"]["size"], nlohmann::json::array({60, 60}));
    ASSERT_FALSE(g["enemyClasses"].empty());
    for (const auto& c : g["enemyClasses"]) {
        EXPECT_GT(c["size"][0].get<int>(), 0) << c["id"] << " has no picture";
        EXPECT_GT(c["size"][1].get<int>(), 0) << c["id"];
        EXPECT_NE(c["bullet"], nullptr) << c["id"];
    }
    for (const auto& b : g["bulletClasses"]) {
        EXPECT_GT(b["size"][0].get<int>(), 0) << b["id"] << " has no picture";
    }
    EXPECT_EQ(run.err.find("Error"), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(EveryLevel, ContentLevels, ::testing::Range(1, 7));

} // namespace
