// The main menu run as a whole program: keys, mouse, leaving and coming back,
// ending the program, and its music.
#include <string>

#include <gtest/gtest.h>

#include "harness.h"
#include "menu_support.h"

namespace {

using menutest::Script;

// Button images of known widths; the layout depends on them.
struct MenuImages
{
    int play = 200, load = 180, options = 220, highscores = 260, credits = 210, exit = 150;
};

void PutMenuImages(const harness::GameDir& dir, const MenuImages& w = {})
{
    menutest::PutImage(dir, "res/menu/img/BG.png", 800, 700, 0, 0, 0);
    menutest::PutImage(dir, "res/menu/img/Play.png", w.play, 55);
    menutest::PutImage(dir, "res/menu/img/Load.png", w.load, 55);
    menutest::PutImage(dir, "res/menu/img/Options.png", w.options, 55);
    menutest::PutImage(dir, "res/menu/img/Highscores.png", w.highscores, 55);
    menutest::PutImage(dir, "res/menu/img/Credits.png", w.credits, 55);
    menutest::PutImage(dir, "res/menu/img/Exit.png", w.exit, 55);
    menutest::PutImage(dir, "res/menu/img/Pointer.png", 50, 55, 200, 200, 0);
}

int Selection(const harness::GameDir& dir, const std::string& dump)
{
    return dir.Dump(dump)["menu"]["currentSelection"].get<int>();
}

std::string Mode(const harness::GameDir& dir, const std::string& dump)
{
    return dir.Dump(dump)["operationMode"].get<std::string>();
}

TEST(MainMenu, KeysMoveTheSelectionWithWrapAround)
{
    harness::GameDir dir;
    Script s;
    s.Do("dump k0.json")
        .Do("press VK_UP")
        .Do("dump k1.json")
        .Do("press VK_DOWN")
        .Do("dump k2.json");
    s.Do("press VK_DOWN").Do("press VK_DOWN").Do("dump k3.json");
    s.Repeat("press VK_DOWN", 4).Do("dump k4.json"); // 4 -> 5 -> 6 -> 7 -> 2
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    EXPECT_EQ(Selection(dir, "k0.json"), 2);
    EXPECT_EQ(Selection(dir, "k1.json"), 7) << "Up on Play selects Exit";
    EXPECT_EQ(Selection(dir, "k2.json"), 2) << "Down on Exit selects Play";
    EXPECT_EQ(Selection(dir, "k3.json"), 4);
    EXPECT_EQ(Selection(dir, "k4.json"), 2);
    EXPECT_EQ(Mode(dir, "k4.json"), "MENU");
}

TEST(MainMenu, OtherKeysDoNothingAndDoNotRepaint)
{
    harness::GameDir dir;
    // A screenshot 10 ms after each key forces the paint that is due, if any:
    // a paint between the key and its screenshot shows a repaint request.
    const std::string script = "100 press VK_DOWN\n110 screenshot s0.png\n"
                               "1000 keydown VK_LEFT\n1010 screenshot s1.png\n"
                               "2000 keydown VK_RIGHT\n2010 screenshot s2.png\n"
                               "3000 keydown VK_ESCAPE\n3010 screenshot s3.png\n"
                               "4000 keydown A\n4010 screenshot s4.png\n"
                               "4500 dump d.json\n"
                               "5000 keydown VK_DOWN\n5010 screenshot s5.png\n"
                               "5100 quit\n";
    const auto run = menutest::PlayTraced(dir, script);
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    EXPECT_EQ(Selection(dir, "d.json"), 3);
    EXPECT_EQ(Mode(dir, "d.json"), "MENU");
    const auto paints = menutest::TraceTimes(run.trace, "MENU", "WM_PAINT");
    EXPECT_TRUE(menutest::AnyBetween(paints, 100, 110)) << "Down repaints";
    for (long t : {1000L, 2000L, 3000L, 4000L}) {
        EXPECT_FALSE(menutest::AnyBetween(paints, t, t + 10))
            << "repainted after an ignored key at " << t;
    }
    EXPECT_TRUE(menutest::AnyBetween(paints, 5000, 5010)) << "Down repaints";
}

struct HoverCase
{
    int x, y;
    int expected; // selection after this move (moves run in order)
};

TEST(MainMenu, HoverSelectsOnlyStrictlyInsideAButton)
{
    harness::GameDir dir;
    PutMenuImages(dir);
    // Play (314,286)-(514,341), Load (314,341)-(494,396), Options (314,396)-(534,451),
    // Highscores (314,451)-(574,506), Credits (314,506)-(524,561), Exit (314,561)-(464,616).
    const std::vector<HoverCase> moves = {
        {400, 380, 3}, {400, 341, 3}, // the edge between Play and Load: nothing
        {400, 300, 2}, {400, 341, 2}, {400, 420, 4}, {314, 480, 4}, // left edge
        {574, 480, 4},                                              // right edge
        {573, 480, 5}, {100, 100, 5},                               // outside
        {520, 530, 6}, {530, 530, 6}, {463, 600, 7}, {464, 600, 7},
        {400, 616, 7}, {400, 286, 7}, {400, 287, 2}};
    Script s;
    for (size_t i = 0; i < moves.size(); ++i) {
        s.Do("mousemove " + std::to_string(moves[i].x) + " " + std::to_string(moves[i].y));
        s.Do("dump h" + std::to_string(i) + ".json");
    }
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    for (size_t i = 0; i < moves.size(); ++i) {
        EXPECT_EQ(Selection(dir, "h" + std::to_string(i) + ".json"), moves[i].expected)
            << "after moving to " << moves[i].x << "," << moves[i].y;
    }
}

struct ClickCase
{
    const char* name;
    const char* events; // mouse events after the menu has begun
    const char* mode;   // screen afterwards
    int candidate;
};

class MainMenuClicks : public ::testing::TestWithParam<ClickCase>
{
};

TEST_P(MainMenuClicks, ActivateOnlyOnPressAndReleaseOnOneButton)
{
    harness::GameDir dir;
    PutMenuImages(dir);
    std::string script = GetParam().events;
    script += "900 dump c.json\n1000 quit\n";
    const auto run = menutest::PlayTraced(dir, script);
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    const auto dump = dir.Dump("c.json");
    EXPECT_EQ(dump["operationMode"], GetParam().mode);
    EXPECT_EQ(dump["menu"]["candidate"], GetParam().candidate);
}

INSTANTIATE_TEST_SUITE_P(
    Mouse, MainMenuClicks,
    ::testing::Values(
        ClickCase{"ReleaseOnAnotherButton",
                  "100 mousemove 400 420\n110 lbuttondown 400 420\n120 mousemove 400 530\n"
                  "130 lbuttonup 400 530\n",
                  "MENU", 4},
        ClickCase{"PressOutsideReleaseOnButton",
                  "100 mousemove 400 480\n110 lbuttondown 100 100\n120 lbuttonup 400 480\n", "MENU",
                  8},
        ClickCase{"PressOnBorderReleaseInside",
                  "100 mousemove 400 300\n110 lbuttondown 400 341\n120 lbuttonup 400 300\n", "MENU",
                  8},
        ClickCase{"ClickOnHighscores", "100 click 400 480\n", "HIGH", 5},
        ClickCase{"ClickOnOptions", "100 click 400 420\n", "OPTI", 4},
        ClickCase{"ClickOnCredits", "100 click 400 530\n", "CRED", 6},
        ClickCase{"ClickOnLoad", "100 click 400 380\n", "LOAD", 3},
        ClickCase{"ClickAfterAKeyMovedTheSelectionActivatesTheClickedButton",
                  "100 mousemove 400 420\n110 press VK_DOWN\n120 lbuttondown 400 420\n"
                  "130 lbuttonup 400 420\n",
                  "OPTI", 4}),
    [](const ::testing::TestParamInfo<ClickCase>& info) { return std::string(info.param.name); });

TEST(MainMenu, EveryEntryStartsWithPlaySelected)
{
    harness::GameDir dir;
    Script s;
    s.MenuTo(4).Do("dump o.json").Do("close").Do("dump m1.json"); // options
    s.MenuTo(5).Do("press VK_ESCAPE").Do("dump m2.json");         // high scores
    s.MenuTo(6).Do("close").Do("dump m3.json");                   // credits
    s.MenuTo(3).Do("press VK_ESCAPE").Do("dump m4.json");         // level choice
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    EXPECT_EQ(Mode(dir, "o.json"), "OPTI");
    for (const char* d : {"m1.json", "m2.json", "m3.json", "m4.json"}) {
        EXPECT_EQ(Mode(dir, d), "MENU") << d;
        EXPECT_EQ(Selection(dir, d), 2) << d;
    }
    EXPECT_EQ(menutest::TraceTimes(run.trace, "MENU", "BEGIN").size(), 5u);
}

struct ExitCase
{
    const char* name;
    const char* events;
};

class MainMenuExit : public ::testing::TestWithParam<ExitCase>
{
};

TEST_P(MainMenuExit, EndsTheProgramWithZero)
{
    harness::GameDir dir;
    PutMenuImages(dir);
    std::string script = GetParam().events;
    script += "5000 dump late.json\n6000 quit\n";
    const auto run = menutest::PlayTraced(dir, script);
    EXPECT_EQ(run.result.exitCode, 0) << run.result.err;
    EXPECT_FALSE(dir.Exists("late.json")) << "the program was still running";
    const auto ends = menutest::TraceTimes(run.trace, "MENU", "END");
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_LT(ends[0], 5000);
    EXPECT_EQ(menutest::TraceTimes(run.trace, "INIT", "BEGIN").size(), 2u)
        << "start-up and the switch back when leaving";
    ASSERT_FALSE(run.mci.empty());
    EXPECT_EQ(run.mci.back(), "close all") << "leaving the menu closes every sound";
}

INSTANTIATE_TEST_SUITE_P(
    Ways, MainMenuExit,
    ::testing::Values(ExitCase{"CloseRequest", "100 close\n"},
                      ExitCase{"ExitByKeys", "100 press VK_UP\n110 press VK_RETURN\n"},
                      ExitCase{"ExitBySpace", "100 press VK_UP\n110 press VK_SPACE\n"},
                      ExitCase{"ExitByClick", "100 click 400 600\n"}),
    [](const ::testing::TestParamInfo<ExitCase>& info) { return std::string(info.param.name); });

TEST(MainMenu, OpensTheMenuMusicBeforePlayingIt)
{
    harness::GameDir dir;
    harness::WriteFile(menutest::CiPath(dir.path(), "res/menu/snd/BG.mp3"), "not really music");
    Script s;
    s.MenuTo(4).Do("close");
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    // Menu, options, menu again: each opens BG from the menu theme, then plays it.
    std::vector<std::string> bg;
    for (const std::string& line : run.mci) {
        if (line.find("BG") != std::string::npos || line == "close all") {
            bg.push_back(line);
        }
    }
    ASSERT_GE(bg.size(), 6u);
    for (size_t i = 0; i < bg.size(); ++i) {
        if (bg[i] == "play BG repeat") {
            ASSERT_GT(i, 0u);
            const std::string& open = bg[i - 1];
            EXPECT_EQ(open.rfind("open ", 0), 0u) << open;
            EXPECT_TRUE(
                menutest::SameNoCase(open.substr(open.size() - 24), "menu\\snd\\BG.mp3 alias BG"))
                << open;
        }
    }
    EXPECT_EQ(std::count(run.mci.begin(), run.mci.end(), "play BG repeat"), 3);
}

} // namespace
