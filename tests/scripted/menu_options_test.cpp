// The options menu run as a whole program: value ranges, arrows, rows, and
// when the settings file is written.
#include <string>

#include <gtest/gtest.h>

#include "harness.h"
#include "menu_support.h"

namespace {

using menutest::Script;

// Rows: Playmode (100,286)-(300,341), Difficulty (100,341)-(320,396),
// Mouse (100,396)-(280,451), KeySettings (100,451)-(340,506), Return (100,506)-(260,561).
// Left arrows at x 410..450; right arrows at 670, 690 and 650, each 40 wide.
void PutOptionImages(const harness::GameDir& dir)
{
    const std::string d = "res/opti/img/";
    menutest::PutImage(dir, d + "BG.png", 800, 700, 0, 0, 0);
    menutest::PutImage(dir, d + "Playmode.png", 200, 55);
    menutest::PutImage(dir, d + "Difficulty.png", 220, 55);
    menutest::PutImage(dir, d + "Mouse.png", 180, 55);
    menutest::PutImage(dir, d + "KeySettings.png", 240, 55);
    menutest::PutImage(dir, d + "Return.png", 160, 55);
    menutest::PutImage(dir, d + "ArrowLeft.png", 40, 55);
    menutest::PutImage(dir, d + "ArrowRight.png", 40, 55);
}

struct Settings
{
    int playMode, difficulty, mouseControl;
};

Settings SettingsIn(const harness::GameDir& dir, const std::string& dump)
{
    const auto s = dir.Dump(dump)["settings"];
    return {s["playMode"].get<int>(), s["difficulty"].get<int>(), s["mouseControl"].get<int>()};
}

std::pair<int, int> Selections(const harness::GameDir& dir, const std::string& dump)
{
    const auto o = dir.Dump(dump)["options"];
    return {o["currentSelection"].get<int>(), o["pointerSelection"].get<int>()};
}

TEST(OptionsMenu, ValuesStopAtTheEndsOfTheirRanges)
{
    harness::GameDir dir;
    Script s;
    s.MenuTo(4).Do("dump start.json");
    s.Repeat("press VK_LEFT", 5).Do("dump pmLow.json");
    s.Repeat("press VK_RIGHT", 5).Do("dump pmHigh.json");
    s.Do("press VK_DOWN").Repeat("press VK_RIGHT", 5).Do("dump dfHigh.json");
    s.Repeat("press VK_LEFT", 5).Do("dump dfLow.json");
    s.Do("press VK_DOWN").Repeat("press VK_RIGHT", 3).Do("dump mcHigh.json");
    s.Repeat("press VK_LEFT", 3).Do("dump mcLow.json");
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    const Settings start = SettingsIn(dir, "start.json");
    EXPECT_EQ(dir.Dump("start.json")["operationMode"], "OPTI");
    EXPECT_EQ(Selections(dir, "start.json"), std::make_pair(2, 2));

    EXPECT_EQ(SettingsIn(dir, "pmLow.json").playMode, 1);
    EXPECT_EQ(SettingsIn(dir, "pmHigh.json").playMode, 4);
    EXPECT_EQ(SettingsIn(dir, "pmHigh.json").difficulty, start.difficulty);
    EXPECT_EQ(SettingsIn(dir, "dfHigh.json").difficulty, 4);
    EXPECT_EQ(SettingsIn(dir, "dfHigh.json").playMode, 4) << "Right on another row";
    EXPECT_EQ(SettingsIn(dir, "dfLow.json").difficulty, 1);
    EXPECT_EQ(SettingsIn(dir, "mcHigh.json").mouseControl, 1);
    EXPECT_EQ(SettingsIn(dir, "mcLow.json").mouseControl, 0);
    EXPECT_EQ(SettingsIn(dir, "mcLow.json").difficulty, 1);
}

TEST(OptionsMenu, ArrowsStepTheirOwnRow)
{
    harness::GameDir dir;
    PutOptionImages(dir);
    Script s;
    s.MenuTo(4).Do("dump a0.json");
    s.Do("click 710 370").Do("dump a1.json"); // difficulty, right arrow
    s.Do("click 430 300").Do("dump a2.json"); // play mode, left arrow
    s.Do("mousemove 710 370").Do("press VK_UP").Do("dump a3.json");
    s.Do("mousemove 430 420").Do("press VK_LEFT").Do("dump a4.json");          // mouse, left arrow
    s.Do("mousemove 670 420").Do("press VK_RIGHT").Do("dump a5.json");         // mouse, right arrow
    s.Do("mousemove 690 300").Repeat("press VK_RIGHT", 2).Do("dump a6r.json"); // play mode, right
    s.Do("press VK_LEFT").Do("dump a6.json");
    s.Do("lbuttondown 710 370").Do("lbuttonup 730 370").Do("dump a7.json"); // released on the edge
    s.Do("mousemove 200 300").Do("press VK_RETURN").Do("dump a8.json");     // a row label
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    const Settings a0 = SettingsIn(dir, "a0.json");
    ASSERT_LT(a0.difficulty, 4);
    ASSERT_GT(a0.playMode, 1);
    ASSERT_EQ(a0.mouseControl, 1) << "default mouse control";

    EXPECT_EQ(SettingsIn(dir, "a1.json").difficulty, a0.difficulty + 1);
    EXPECT_EQ(Selections(dir, "a1.json"), std::make_pair(10, 3));
    EXPECT_EQ(SettingsIn(dir, "a2.json").playMode, a0.playMode - 1);
    EXPECT_EQ(Selections(dir, "a2.json"), std::make_pair(7, 2));
    EXPECT_EQ(Selections(dir, "a3.json"), std::make_pair(2, 2)) << "Up moves by whole rows";
    EXPECT_EQ(SettingsIn(dir, "a4.json").mouseControl, 0) << "Left on the mouse row's arrow";
    EXPECT_EQ(Selections(dir, "a4.json"), std::make_pair(11, 4));
    EXPECT_EQ(SettingsIn(dir, "a5.json").mouseControl, 1) << "Right on the mouse row's arrow";
    EXPECT_EQ(SettingsIn(dir, "a6r.json").playMode, a0.playMode + 1);
    EXPECT_EQ(SettingsIn(dir, "a6.json").playMode, a0.playMode)
        << "Left on the right arrow steps down";
    EXPECT_EQ(SettingsIn(dir, "a7.json").difficulty, a0.difficulty + 1)
        << "a release on the border is no click";
    const Settings a8 = SettingsIn(dir, "a8.json");
    EXPECT_EQ(a8.playMode, SettingsIn(dir, "a7.json").playMode);
    EXPECT_EQ(a8.difficulty, SettingsIn(dir, "a7.json").difficulty);
    EXPECT_EQ(dir.Dump("a8.json")["operationMode"], "OPTI") << "Enter on a label stays";
}

TEST(OptionsMenu, UpAndDownWrapOverTheRows)
{
    harness::GameDir dir;
    Script s;
    s.MenuTo(4).Do("press VK_UP").Do("dump u1.json").Do("press VK_DOWN").Do("dump u2.json");
    s.Repeat("press VK_DOWN", 3).Do("dump u3.json");
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    EXPECT_EQ(Selections(dir, "u1.json"), std::make_pair(6, 6));
    EXPECT_EQ(Selections(dir, "u2.json"), std::make_pair(2, 2));
    EXPECT_EQ(Selections(dir, "u3.json"), std::make_pair(5, 5));
}

TEST(OptionsMenu, ReturnWritesTheSettingsFile)
{
    harness::GameDir dir;
    Script s;
    // Difficulty from its default 1 to 3, then Return (three rows down).
    s.MenuTo(4).Do("press VK_DOWN").Repeat("press VK_RIGHT", 2).Repeat("press VK_DOWN", 3);
    s.Do("dump before.json").Do("press VK_RETURN").Do("dump after.json");
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    EXPECT_EQ(Selections(dir, "before.json"), std::make_pair(6, 6));
    EXPECT_EQ(dir.Dump("after.json")["operationMode"], "MENU");
    const auto lines = menutest::FileLines(dir, "UserSettings.list");
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(lines[13], "3");
}

TEST(OptionsMenu, CloseLeavesTheFileButKeepsTheChanges)
{
    harness::GameDir dir;
    Script s;
    s.MenuTo(4).Do("press VK_DOWN").Repeat("press VK_RIGHT", 2).Do("close").Do("dump c.json");
    s.MenuTo(4).Do("dump again.json");
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    EXPECT_EQ(dir.Dump("c.json")["operationMode"], "MENU");
    EXPECT_EQ(SettingsIn(dir, "c.json").difficulty, 3);
    EXPECT_EQ(SettingsIn(dir, "again.json").difficulty, 3);
    EXPECT_EQ(Selections(dir, "again.json"), std::make_pair(2, 2)) << "entry resets the rows";
    const auto lines = menutest::FileLines(dir, "UserSettings.list");
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(lines[13], "1") << "the default written at start stays";
}

TEST(OptionsMenu, KeySettingsRowLeadsToTheKeySettingsMenu)
{
    harness::GameDir dir;
    Script s;
    s.MenuTo(4).Repeat("press VK_DOWN", 3).Do("press VK_SPACE").Do("dump k.json");
    s.Do("close").Do("dump back.json");
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    EXPECT_EQ(dir.Dump("k.json")["operationMode"], "KEYS");
    EXPECT_EQ(dir.Dump("back.json")["operationMode"], "OPTI");
    EXPECT_EQ(Selections(dir, "back.json"), std::make_pair(2, 2));
}

} // namespace
