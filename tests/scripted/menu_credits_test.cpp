// The credits screen run as a whole program: scrolling, coming to rest,
// long lines, a missing file, and leaving.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness.h"
#include "menu_support.h"

namespace {

using menutest::Script;

std::vector<std::string> Numbered(int n)
{
    std::vector<std::string> lines;
    for (int i = 1; i <= n; ++i) {
        lines.push_back("Credit line " + std::to_string(i));
    }
    return lines;
}

struct Line
{
    std::string str;
    int x, y;
};

std::vector<Line> LinesIn(const nlohmann::json& dump)
{
    std::vector<Line> out;
    for (const auto& l : dump["credits"]["lines"]) {
        out.push_back(
            {l["str"].get<std::string>(), l["pos"][0].get<int>(), l["pos"][1].get<int>()});
    }
    return out;
}

TEST(Credits, EighteenLinesComeToRestOnScreen)
{
    harness::GameDir dir;
    dir.Write("data/credits.txt", harness::CrLf(Numbered(18), false));
    Script s;
    s.MenuTo(6).Do("dump start.json").Wait(1000).Do("dump moving.json").Wait(20000);
    s.Do("dump rest.json").Wait(2000).Do("dump later.json");
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;

    const auto start = dir.Dump("start.json");
    EXPECT_EQ(start["operationMode"], "CRED");
    EXPECT_EQ(start["credits"]["numOfLines"], 18);
    const auto first = LinesIn(start);
    ASSERT_EQ(first.size(), 18u);
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].x, 11);
        EXPECT_EQ(first[i].y, 700 + 40 * static_cast<int>(i)) << "line " << i;
        EXPECT_EQ(first[i].str, "Credit line " + std::to_string(i + 1));
    }

    // 100 pixels a second: after about a second the text has risen by about 100.
    const auto moving = LinesIn(dir.Dump("moving.json"));
    EXPECT_FALSE(dir.Dump("moving.json")["credits"]["done"].get<bool>());
    EXPECT_GE(700 - moving[0].y, 90);
    EXPECT_LE(700 - moving[0].y, 115);
    EXPECT_EQ(moving[17].y - moving[0].y, 680) << "all lines move together";

    const auto rest = dir.Dump("rest.json");
    EXPECT_TRUE(rest["credits"]["done"].get<bool>());
    const auto restLines = LinesIn(rest);
    EXPECT_EQ(restLines.front().y, 15);
    EXPECT_EQ(restLines.back().y, 695);
    EXPECT_EQ(LinesIn(dir.Dump("later.json")).front().y, 15) << "the text stays at rest";
}

TEST(Credits, NineteenLinesScrollThroughAndStopAboveTheTop)
{
    harness::GameDir dir;
    dir.Write("data/credits.txt", harness::CrLf(Numbered(18), true)); // the break adds line 19
    Script s;
    s.MenuTo(6).Wait(12000).Do("dump mid.json").Wait(20000).Do("dump end.json");
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    const auto mid = dir.Dump("mid.json");
    EXPECT_EQ(mid["credits"]["numOfLines"], 19);
    EXPECT_EQ(LinesIn(mid).back().str, "");
    const auto end = dir.Dump("end.json");
    EXPECT_FALSE(end["credits"]["done"].get<bool>());
    for (const Line& l : LinesIn(end)) {
        EXPECT_EQ(l.y, -5) << l.str;
    }
}

TEST(Credits, LongLinesAreSplitAtFortyCharacters)
{
    harness::GameDir dir;
    const std::string long45 = std::string(40, 'A') + "BCDEF";
    const std::string exact40(40, 'Z');
    dir.Write("data/credits.txt", harness::CrLf({long45, exact40, "end"}, false));
    Script s;
    s.MenuTo(6).Do("dump l.json");
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    const auto lines = LinesIn(dir.Dump("l.json"));
    std::vector<std::string> texts;
    for (const Line& l : lines) {
        texts.push_back(l.str);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{std::string(40, 'A'), "BCDEF", exact40, "", "end"}));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[4].y, 700 + 4 * 40);
}

TEST(Credits, MissingFileShowsTheMessageAndTheScreenStillWorks)
{
    harness::GameDir dir;
    menutest::RemoveFile(dir, "data/credits.txt");
    Script s;
    s.MenuTo(6).Do("dump c.json").Wait(500).Do("press A").Do("dump m.json");
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    EXPECT_NE(run.result.err.find("Error: No credits file found."), std::string::npos)
        << run.result.err;
    const auto c = dir.Dump("c.json");
    EXPECT_EQ(c["operationMode"], "CRED");
    EXPECT_EQ(c["credits"]["numOfLines"], 0);
    EXPECT_TRUE(c["credits"]["lines"].empty());
    EXPECT_EQ(dir.Dump("m.json")["operationMode"], "MENU");
    bool boxTraced = false;
    for (const std::string& line : run.trace) {
        boxTraced |= line.find("MSGBOX Error: No credits file found.") != std::string::npos;
    }
    EXPECT_TRUE(boxTraced);
}

struct LeaveCase
{
    const char* name;
    const char* event;
};

class CreditsLeave : public ::testing::TestWithParam<LeaveCase>
{
};

TEST_P(CreditsLeave, ReturnsToTheMainMenuAndStartsAgainNextTime)
{
    harness::GameDir dir;
    dir.Write("data/credits.txt", harness::CrLf(Numbered(5), false));
    Script s;
    s.MenuTo(6).Wait(1500).Do(GetParam().event).Do("dump out.json").Wait(1000);
    s.MenuTo(6).Do("dump again.json");
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    const auto out = dir.Dump("out.json");
    EXPECT_EQ(out["operationMode"], "MENU");
    EXPECT_EQ(out["credits"]["numOfLines"], 0) << "lines freed on leaving";
    EXPECT_TRUE(out["credits"]["lines"].empty());
    const auto again = LinesIn(dir.Dump("again.json"));
    ASSERT_EQ(again.size(), 5u);
    EXPECT_EQ(again[0].y, 700) << "a second visit starts from below the screen";
    // While away no timer ticks reach any screen.
    const auto ticks = menutest::TraceTimes(run.trace, "MENU", "WM_TIMER");
    EXPECT_TRUE(ticks.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Ways, CreditsLeave,
    ::testing::Values(LeaveCase{"AnyKey", "keydown Q"}, LeaveCase{"Escape", "press VK_ESCAPE"},
                      LeaveCase{"ButtonRelease", "lbuttonup 5 5"}, LeaveCase{"Close", "close"}),
    [](const ::testing::TestParamInfo<LeaveCase>& info) { return std::string(info.param.name); });

TEST(Credits, FirstKeyLeavesBeforeAnyLineShows)
{
    harness::GameDir dir;
    dir.Write("data/credits.txt", harness::CrLf(Numbered(3), false));
    Script s;
    s.MenuTo(6).Do("keydown VK_SPACE").Do("dump m.json");
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    EXPECT_EQ(dir.Dump("m.json")["operationMode"], "MENU");
}

} // namespace
