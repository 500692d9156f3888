// The key settings menu run as a whole program: navigation, the waiting
// state, refused keys, and rebound keys in the game and in the file.
#include <string>

#include <gtest/gtest.h>

#include "harness.h"
#include "menu_support.h"

namespace {

using menutest::Script;

// Main menu -> options -> key settings.
Script ToKeySettings()
{
    Script s;
    s.MenuTo(4).Repeat("press VK_DOWN", 3).Do("press VK_RETURN");
    return s;
}

struct KeysState
{
    int currentSelection;
    bool activated;
    unsigned notInUse;
};

KeysState StateIn(const harness::GameDir& dir, const std::string& dump)
{
    const auto k = dir.Dump(dump)["keySettings"];
    return {k["currentSelection"].get<int>(), k["activated"].get<bool>(),
            k["notInUse"].get<unsigned>()};
}

std::vector<unsigned> KeysIn(const harness::GameDir& dir, const std::string& dump)
{
    return dir.Dump(dump)["settings"]["keys"].get<std::vector<unsigned>>();
}

TEST(KeySettingsMenu, ArrowsWrapOverAllThirteenButtons)
{
    harness::GameDir dir;
    Script s = ToKeySettings();
    s.Do("dump n0.json").Do("press VK_LEFT").Do("dump n1.json").Do("press VK_RIGHT");
    s.Do("dump n2.json").Do("press VK_UP").Do("dump n3.json").Do("press VK_DOWN");
    s.Repeat("press VK_DOWN", 5).Do("dump n4.json").Do("keydown A").Do("dump n5.json");
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    EXPECT_EQ(dir.Dump("n0.json")["operationMode"], "KEYS");
    EXPECT_EQ(StateIn(dir, "n0.json").currentSelection, 2);
    EXPECT_EQ(StateIn(dir, "n1.json").currentSelection, 14) << "Left from the first button";
    EXPECT_EQ(StateIn(dir, "n2.json").currentSelection, 2) << "Right from Return";
    EXPECT_EQ(StateIn(dir, "n3.json").currentSelection, 14);
    EXPECT_EQ(StateIn(dir, "n4.json").currentSelection, 7);
    EXPECT_EQ(StateIn(dir, "n5.json").currentSelection, 7) << "other keys do nothing";
    EXPECT_FALSE(StateIn(dir, "n5.json").activated);
}

TEST(KeySettingsMenu, KeysInUseAreRefusedUntilAFreeOneComes)
{
    harness::GameDir dir;
    Script s = ToKeySettings();
    s.Do("dump w0.json").Do("press VK_RETURN").Do("dump w1.json");
    s.Do("keydown VK_ESCAPE").Do("dump w2.json");
    s.Do("mousemove 570 330").Do("dump w3.json"); // over the move-up arrow while waiting
    s.Do("keydown VK_NUMPAD4").Do("dump w4.json");
    s.Do("keydown VK_RETURN").Do("dump w5.json");
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    const auto keys = KeysIn(dir, "w0.json");
    ASSERT_EQ(keys.size(), 12u);
    ASSERT_EQ(keys[11], 27u) << "Escape pauses by default";
    ASSERT_EQ(keys[0], 0x64u) << "keypad 4 is the default next colour";

    EXPECT_TRUE(StateIn(dir, "w1.json").activated);
    EXPECT_EQ(StateIn(dir, "w1.json").notInUse, 0u);

    const KeysState refused = StateIn(dir, "w2.json");
    EXPECT_TRUE(refused.activated) << "still waiting";
    EXPECT_EQ(refused.notInUse, 12u) << "the pause binding has Escape";
    EXPECT_EQ(KeysIn(dir, "w2.json"), keys);

    EXPECT_EQ(StateIn(dir, "w3.json").currentSelection, 2) << "hover ignored while waiting";

    EXPECT_EQ(StateIn(dir, "w4.json").notInUse, 1u) << "the action's own key is refused too";
    EXPECT_TRUE(StateIn(dir, "w4.json").activated);

    const KeysState bound = StateIn(dir, "w5.json");
    EXPECT_FALSE(bound.activated);
    EXPECT_EQ(bound.notInUse, 0u);
    auto expected = keys;
    expected[0] = 13;
    EXPECT_EQ(KeysIn(dir, "w5.json"), expected) << "Enter became the next-colour key";
}

TEST(KeySettingsMenu, HoverSelectsWhileBrowsing)
{
    harness::GameDir dir;
    Script s = ToKeySettings();
    s.Do("mousemove 570 330").Do("dump h1.json").Do("mousemove 550 330").Do("dump h2.json");
    s.Do("mousemove 300 350").Do("dump h3.json");
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    EXPECT_EQ(StateIn(dir, "h1.json").currentSelection, 8);
    EXPECT_EQ(StateIn(dir, "h2.json").currentSelection, 8) << "the arrow's left edge";
    EXPECT_EQ(StateIn(dir, "h3.json").currentSelection, 2);
}

TEST(KeySettingsMenu, ReboundKeyActsInTheGameAtOnceAndReachesTheFileOnReturn)
{
    harness::GameDir dir;
    Script s = ToKeySettings();
    // Move up is button 8 (binding 6); bind W to it and leave by close requests.
    s.Repeat("press VK_RIGHT", 6).Do("press VK_RETURN").Do("keydown W").Do("dump b.json");
    s.Do("close").Do("close").Do("dump menu.json").Do("press VK_RETURN");
    s.Wait(2000).Do("keydown VK_UP").Do("dump g1.json").Do("keydown W").Do("dump g2.json");
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    EXPECT_EQ(KeysIn(dir, "b.json")[6], static_cast<unsigned>('W'));
    EXPECT_FALSE(StateIn(dir, "b.json").activated);
    EXPECT_EQ(dir.Dump("menu.json")["operationMode"], "MENU");
    const auto lines = menutest::FileLines(dir, "UserSettings.list");
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(lines[6], " 38") << "close requests write nothing";

    const auto g1 = dir.Dump("g1.json");
    ASSERT_EQ(g1["operationMode"], "GAME");
    EXPECT_FALSE(g1["game"]["player"]["isMovingUp"].get<bool>()) << "the old key is free";
    EXPECT_TRUE(dir.Dump("g2.json")["game"]["player"]["isMovingUp"].get<bool>());
}

TEST(KeySettingsMenu, ReturnWritesTheBindingsAndGoesBackToOptions)
{
    harness::GameDir dir;
    Script s = ToKeySettings();
    s.Repeat("press VK_RIGHT", 6).Do("press VK_RETURN").Do("keydown W");
    s.Repeat("press VK_RIGHT", 6).Do("dump r.json").Do("press VK_RETURN").Do("dump o.json");
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    EXPECT_EQ(StateIn(dir, "r.json").currentSelection, 14);
    EXPECT_EQ(dir.Dump("o.json")["operationMode"], "OPTI");
    const auto lines = menutest::FileLines(dir, "UserSettings.list");
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(lines[6], " 87");
}

TEST(KeySettingsMenu, WaitingSurvivesACloseRequest)
{
    harness::GameDir dir;
    Script s = ToKeySettings();
    s.Do("press VK_DOWN").Do("press VK_RETURN").Do("close").Do("dump o.json");
    s.Repeat("press VK_DOWN", 3).Do("press VK_RETURN").Do("dump k.json").Do("keydown Q");
    s.Do("dump q.json");
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    EXPECT_EQ(dir.Dump("o.json")["operationMode"], "OPTI");
    const KeysState k = StateIn(dir, "k.json");
    EXPECT_TRUE(k.activated);
    EXPECT_EQ(k.currentSelection, 2);
    EXPECT_EQ(KeysIn(dir, "q.json")[0], static_cast<unsigned>('Q'))
        << "the next key goes to button 2";
}

} // namespace

namespace {

TEST(KeySettingsMenu, ExplanationPanelShowsTheState)
{
    harness::GameDir dir;
    const std::string d = "res/keys/img/";
    menutest::PutImage(dir, d + "Explanation.png", 100, 100, 0, 200, 0);
    menutest::PutImage(dir, d + "ExplanationActive.png", 100, 100, 0, 0, 200);
    menutest::PutImage(dir, d + "ExplanationFault.png", 100, 100, 200, 0, 0);
    menutest::PutImage(dir, d + "ArrowUp.png", 55, 60, 60, 60, 60);
    menutest::PutImage(dir, d + "ArrowUpActive.png", 55, 60, 250, 250, 0);
    Script s = ToKeySettings();
    s.Do("screenshot browse.png").Do("press VK_RETURN").Do("screenshot wait.png");
    s.Do("keydown VK_ESCAPE").Do("screenshot fault.png").Do("keydown F").Do("screenshot bound.png");
    s.Do("press VK_DOWN").Do("screenshot moved.png");
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    struct Expect
    {
        const char* shot;
        Uint8 r, g, b;    // the panel at (50, 290)
        bool upHighlight; // button 2 at (270, 325) highlighted
    };
    for (const Expect& e :
         {Expect{"browse.png", 0, 200, 0, true}, Expect{"wait.png", 0, 0, 200, true},
          Expect{"fault.png", 200, 0, 0, true}, Expect{"bound.png", 0, 200, 0, true},
          Expect{"moved.png", 0, 200, 0, false}}) {
        menutest::Picture pic(dir.path() / e.shot);
        ASSERT_TRUE(pic.Ok()) << e.shot;
        const SDL_Color panel = pic.At(100, 340);
        EXPECT_EQ(panel.r, e.r) << e.shot;
        EXPECT_EQ(panel.g, e.g) << e.shot;
        EXPECT_EQ(panel.b, e.b) << e.shot;
        const SDL_Color up = pic.At(297, 355);
        EXPECT_EQ(up.r == 250 && up.g == 250, e.upHighlight) << e.shot;
    }
}

} // namespace
