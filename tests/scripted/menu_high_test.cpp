// The high-score screen run as a whole program: the table in two columns,
// and every way back to the main menu.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness.h"
#include "menu_support.h"

namespace {

using menutest::Script;

std::string Table(const std::vector<std::pair<std::string, std::string>>& entries)
{
    std::vector<std::string> lines;
    for (size_t i = 0; i < 20; ++i) {
        if (i < entries.size()) {
            lines.push_back(entries[i].first);
            lines.push_back(std::string(10 - std::min<size_t>(10, entries[i].second.size()), ' ') +
                            entries[i].second);
        } else {
            lines.push_back("");
            lines.push_back("         0");
        }
    }
    return harness::CrLf(lines);
}

bool IsScoreRed(SDL_Color c)
{
    return c.r > 120 && c.g < 90 && c.b < 100 && c.r > c.g + 60;
}

TEST(HighScoreMenu, DrawsTwoColumnsOfTenEntries)
{
    harness::GameDir dir;
    menutest::PutImage(dir, "res/menu/img/bghs.png", 800, 700, 0, 0, 0);
    menutest::PutImage(dir, "res/opti/img/Return.png", 160, 55, 0, 0, 200);
    menutest::PutImage(dir, "res/menu/img/Pointer.png", 50, 55, 0, 0, 200);
    std::vector<std::pair<std::string, std::string>> entries = {{"ABCDEFGHIJ", "4294967295"},
                                                                {"", "0"}};
    for (int i = 3; i <= 20; ++i) {
        entries.push_back({"P" + std::to_string(i), std::to_string(100 - i)});
    }
    entries[10] = {"WWWWWWWWWW", "4294967295"}; // entry 11 heads the right column
    entries[11] = {"", "0"};
    dir.Write("HighScores.list", Table(entries));

    Script s;
    s.MenuTo(5).Do("screenshot hs.png").Do("dump h.json");
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    EXPECT_EQ(dir.Dump("h.json")["operationMode"], "HIGH");
    menutest::Picture pic(dir.path() / "hs.png");
    ASSERT_TRUE(pic.Ok());

    // Rows stand at y = 100 + 50 (k - 1); columns at x 100/250 and 400/550.
    for (int k = 0; k < 10; ++k) {
        const int y = 100 + 50 * k;
        EXPECT_GT(pic.Count(100, y, 400, y + 40, IsScoreRed), 8) << "left row " << k + 1;
        EXPECT_GT(pic.Count(400, y, 790, y + 40, IsScoreRed), 8) << "right row " << k + 1;
    }
    EXPECT_EQ(pic.Count(0, 0, 800, 95, IsScoreRed), 0) << "nothing above the first row";
    EXPECT_EQ(pic.Count(90, 600, 800, 640, IsScoreRed), 0) << "no eleventh row";

    // An empty entry shows its score "0" and no name.
    EXPECT_EQ(pic.Count(100, 150, 245, 190, IsScoreRed), 0) << "empty name drawn";
    EXPECT_EQ(pic.Count(400, 150, 545, 190, IsScoreRed), 0) << "empty name drawn";
    const int zeroEnd = pic.RightmostX(250, 150, 400, 190, IsScoreRed);
    ASSERT_GT(zeroEnd, 250);
    // Ten digits reach much further right than one.
    const int fullEnd = pic.RightmostX(250, 100, 400, 140, IsScoreRed);
    EXPECT_GT(fullEnd, zeroEnd + 50) << "the largest score is not drawn in full";
    const int rightFullEnd = pic.RightmostX(550, 100, 790, 140, IsScoreRed);
    EXPECT_GT(rightFullEnd, pic.RightmostX(550, 150, 790, 190, IsScoreRed) + 50);
}

struct LeaveCase
{
    const char* name;
    const char* event;
};

class HighScoreMenuLeave : public ::testing::TestWithParam<LeaveCase>
{
};

TEST_P(HighScoreMenuLeave, ReturnsToTheMainMenu)
{
    harness::GameDir dir;
    menutest::PutImage(dir, "res/opti/img/Return.png", 160, 55);
    Script s;
    s.MenuTo(5).Do("dump in.json").Do(GetParam().event).Do("dump out.json");
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    EXPECT_EQ(dir.Dump("in.json")["operationMode"], "HIGH");
    EXPECT_EQ(dir.Dump("out.json")["operationMode"], "MENU");
}

INSTANTIATE_TEST_SUITE_P(
    Ways, HighScoreMenuLeave,
    ::testing::Values(LeaveCase{"Escape", "press VK_ESCAPE"}, LeaveCase{"Enter", "press VK_RETURN"},
                      LeaveCase{"Space", "press VK_SPACE"}, LeaveCase{"Close", "close"},
                      LeaveCase{"ClickOnReturn", "click 150 660"}),
    [](const ::testing::TestParamInfo<LeaveCase>& info) { return std::string(info.param.name); });

TEST(HighScoreMenu, StaysForOtherInputAndRepaintsOnEveryKey)
{
    harness::GameDir dir;
    menutest::PutImage(dir, "res/opti/img/Return.png", 160, 55);
    const std::string script = "100 press VK_DOWN\n110 press VK_DOWN\n120 press VK_DOWN\n"
                               "130 press VK_RETURN\n"
                               "1000 keydown VK_UP\n1010 screenshot s1.png\n"
                               "2000 keydown VK_DOWN\n2010 screenshot s2.png\n"
                               "3000 keydown A\n3010 screenshot s3.png\n"
                               "4000 click 235 660\n4100 click 150 695\n"
                               "4200 lbuttondown 150 660\n4210 lbuttonup 300 660\n"
                               "5000 dump d.json\n5100 quit\n";
    const auto run = menutest::PlayTraced(dir, script);
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    EXPECT_EQ(dir.Dump("d.json")["operationMode"], "HIGH");
    const auto paints = menutest::TraceTimes(run.trace, "HIGH", "WM_PAINT");
    for (long t : {1000L, 2000L, 3000L}) {
        // The screenshot forces the paint that is due, if any.
        EXPECT_TRUE(menutest::AnyBetween(paints, t, t + 10)) << "no repaint after the key at " << t;
    }
    EXPECT_EQ(menutest::TraceTimes(run.trace, "HIGH", "END").size(), 0u);
}

} // namespace
