// Every level of the default content, started through the level choice
// screen: its boss, its enemy classes and every picture the game loads for it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "harness.h"

namespace {

namespace fs = std::filesystem;

class ContentLevels : public ::testing::TestWithParam<std::string>
{
};

TEST_P(ContentLevels, StartsWithItsBossClassesAndPictures)
{
    const int n = std::stoi(GetParam().substr(0, 3));
    harness::GameDir dir;
    const auto level = harness::Lines(dir.Read("data/" + GetParam()));
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
    ASSERT_TRUE(d.contains("game")) << "the play screen wrote no state";
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

// The level files of the default content's data folder: three digits and
// the extension LVL in any case.
std::vector<std::string> ContentLevelFiles()
{
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(fs::path(ZODUZOR_SOURCE_DIR) / "game" / "data")) {
        const std::string name = e.path().filename().string();
        std::string ext = name.size() == 7 ? name.substr(3) : "";
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (ext == ".LVL" && name.find_first_not_of("0123456789") == 3)
            files.push_back(name);
    }
    std::sort(files.begin(), files.end());
    return files;
}

INSTANTIATE_TEST_SUITE_P(EveryLevel, ContentLevels, ::testing::ValuesIn(ContentLevelFiles()),
                         [](const auto& info) { return info.param.substr(0, 3); });

} // namespace
