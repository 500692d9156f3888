// The level choice screen run as a whole program: typing, confirming,
// giving up, and the digits kept between visits.
#include <string>

#include <gtest/gtest.h>

#include "harness.h"
#include "menu_support.h"

namespace {

using menutest::Script;

struct Choice
{
    std::string mode;
    std::string typed;
    bool acceptInput;
    unsigned firstLevel;
};

Choice ChoiceIn(const harness::GameDir& dir, const std::string& dump)
{
    const auto d = dir.Dump(dump);
    return {d["operationMode"].get<std::string>(), d["levelChoice"]["try"].get<std::string>(),
            d["levelChoice"]["acceptInput"].get<bool>(), d["firstLevel"].get<unsigned>()};
}

// A level folder with 012.LVL and 000.LVL and without 987.LVL.
void PrepareLevels(const harness::GameDir& dir)
{
    dir.Write("data/012.LVL", "any\r\n");
    dir.Write("data/000.LVL", "any\r\n");
    menutest::RemoveFile(dir, "data/987.LVL");
}

TEST(LevelChoice, TheEnteringKeyDoesNotConfirm)
{
    harness::GameDir dir;
    Script s;
    s.MenuTo(3).Do("dump e.json").Do("press 1").Do("dump t.json");
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    const Choice e = ChoiceIn(dir, "e.json");
    EXPECT_EQ(e.mode, "LOAD") << "the Enter that chose Load must not leave at once";
    EXPECT_FALSE(e.acceptInput);
    EXPECT_EQ(e.firstLevel, 1u);
    const Choice t = ChoiceIn(dir, "t.json");
    EXPECT_TRUE(t.acceptInput);
    EXPECT_EQ(t.typed, "1");
}

struct TypingCase
{
    const char* name;
    const char* events; // on the screen, after entering it
    const char* typed;  // the text afterwards
};

class LevelChoiceTyping : public ::testing::TestWithParam<TypingCase>
{
};

TEST_P(LevelChoiceTyping, TakesDigitsOnly)
{
    harness::GameDir dir;
    Script s;
    s.MenuTo(3).Do("keydown VK_SHIFT");
    std::string events = GetParam().events;
    size_t start = 0;
    while (start < events.size()) {
        const size_t end = events.find('|', start);
        s.Do(events.substr(start, end - start));
        start = end == std::string::npos ? events.size() : end + 1;
    }
    s.Do("dump t.json");
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    const Choice c = ChoiceIn(dir, "t.json");
    EXPECT_EQ(c.mode, "LOAD");
    EXPECT_EQ(c.typed, GetParam().typed);
}

INSTANTIATE_TEST_SUITE_P(
    Input, LevelChoiceTyping,
    ::testing::Values(TypingCase{"ThreeDigits", "type 123", "123"},
                      TypingCase{"FourthDigitIgnored", "type 1234", "123"},
                      TypingCase{"BackspaceRemovesLast", "type 12|press VK_BACK|type 5", "15"},
                      TypingCase{"BackspaceOnEmpty", "press VK_BACK|press VK_BACK|type 7", "7"},
                      TypingCase{"LettersSignsSpacesIgnored", "type a-+ 4x.9", "49"},
                      TypingCase{"TabIgnored", "char 9|type 3", "3"}),
    [](const ::testing::TestParamInfo<TypingCase>& info) { return std::string(info.param.name); });

struct ConfirmCase
{
    const char* name;
    const char* digits; // typed on the second visit (after 12 was confirmed)
    const char* leave;  // how the second visit ends
    unsigned firstLevel;
};

class LevelChoiceConfirm : public ::testing::TestWithParam<ConfirmCase>
{
};

TEST_P(LevelChoiceConfirm, SetsTheFirstLevelOnlyForAnExistingFile)
{
    harness::GameDir dir;
    PrepareLevels(dir);
    Script s;
    s.MenuTo(3).Do("keydown VK_SHIFT").Do("type 12").Do("press VK_RETURN").Do("dump first.json");
    s.MenuTo(3).Do("keydown VK_SHIFT").Repeat("press VK_BACK", 3);
    if (*GetParam().digits) {
        s.Do(std::string("type ") + GetParam().digits);
    }
    s.Do(GetParam().leave).Do("dump second.json");
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    const Choice first = ChoiceIn(dir, "first.json");
    EXPECT_EQ(first.mode, "MENU");
    EXPECT_EQ(first.firstLevel, 12u);
    const Choice second = ChoiceIn(dir, "second.json");
    EXPECT_EQ(second.mode, "MENU");
    EXPECT_EQ(second.firstLevel, GetParam().firstLevel);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, LevelChoiceConfirm,
    ::testing::Values(ConfirmCase{"EmptyGivesOne", "", "press VK_RETURN", 1},
                      ConfirmCase{"NoLevelFileGivesOne", "987", "press VK_RETURN", 1},
                      ConfirmCase{"ZeroWithItsFile", "0", "press VK_RETURN", 0},
                      ConfirmCase{"DoubleZeroWithItsFile", "00", "press VK_RETURN", 0},
                      ConfirmCase{"LeadingZeros", "012", "press VK_RETURN", 12},
                      ConfirmCase{"LineFeedConfirms", "0", "char 10", 0},
                      ConfirmCase{"EscapeKeepsTheLevel", "0", "press VK_ESCAPE", 12},
                      ConfirmCase{"CloseKeepsTheLevel", "0", "close", 12}),
    [](const ::testing::TestParamInfo<ConfirmCase>& info) { return std::string(info.param.name); });

TEST(LevelChoice, DigitsSurviveLeavingAndComingBack)
{
    harness::GameDir dir;
    Script s;
    s.MenuTo(3).Do("keydown VK_SHIFT").Do("type 34").Do("press VK_ESCAPE").Do("dump out.json");
    s.MenuTo(3).Do("dump back.json");
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    EXPECT_EQ(ChoiceIn(dir, "out.json").mode, "MENU");
    const Choice back = ChoiceIn(dir, "back.json");
    EXPECT_EQ(back.mode, "LOAD");
    EXPECT_EQ(back.typed, "34");
    EXPECT_FALSE(back.acceptInput);
    // The level choice plays no music: only the two main-menu entries do.
    EXPECT_EQ(std::count(run.mci.begin(), run.mci.end(), "play BG repeat"), 2)
        << "the menu at start and after the first visit";
}

} // namespace

namespace {

TEST(LevelChoice, DrawsTheTypedDigitsInTheirColourAndPlace)
{
    harness::GameDir dir;
    menutest::PutImage(dir, "res/menu/img/BG.png", 800, 700, 0, 0, 0);
    Script s;
    s.MenuTo(3).Do("screenshot empty.png").Do("keydown VK_SHIFT").Do("type 808");
    s.Do("screenshot typed.png");
    const auto run = menutest::PlayTraced(dir, s.Text());
    ASSERT_EQ(run.result.exitCode, 0) << run.result.err;
    // (255, 128, 255) and its blends with black: red and blue well above green.
    auto pink = [](SDL_Color c) {
        return c.r > 120 && c.b > 120 && c.g + 40 < c.r && c.g + 40 < c.b;
    };
    auto white = [](SDL_Color c) { return c.r > 200 && c.g > 200 && c.b > 200; };
    menutest::Picture empty(dir.path() / "empty.png");
    menutest::Picture typed(dir.path() / "typed.png");
    ASSERT_TRUE(empty.Ok());
    ASSERT_TRUE(typed.Ok());
    EXPECT_EQ(empty.Count(0, 0, 800, 700, pink), 0);
    EXPECT_GT(typed.Count(120, 450, 740, 510, pink), 30) << "the digits";
    EXPECT_EQ(typed.Count(0, 0, 800, 445, pink), 0);
    EXPECT_EQ(typed.Count(0, 515, 800, 700, pink), 0);
    // Both instruction texts are white, in their boxes.
    EXPECT_GT(typed.Count(120, 300, 740, 450, white), 30);
    EXPECT_GT(typed.Count(120, 600, 740, 660, white), 30);
    EXPECT_EQ(typed.Count(0, 0, 800, 295, white), 0);
}

} // namespace
