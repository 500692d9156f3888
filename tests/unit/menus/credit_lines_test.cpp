// Splitting the credits file into screen lines.
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "credits.h"

namespace {

struct LinesCase
{
    const char* name;
    std::string text;
    std::vector<std::string> expected;
};

class CreditLines : public ::testing::TestWithParam<LinesCase>
{
};

TEST_P(CreditLines, SplitsAsTheFileRulesSay)
{
    std::istringstream in(GetParam().text);
    EXPECT_EQ(ReadCreditLines(in), GetParam().expected);
}

const std::string k40(40, 'x');
const std::string k45 = std::string(40, 'a') + "bcdef";

INSTANTIATE_TEST_SUITE_P(
    Files, CreditLines,
    ::testing::Values(LinesCase{"EmptyFileIsOneEmptyLine", "", {""}},
                      LinesCase{"NoFinalLineEnd", "one\r\ntwo", {"one", "two"}},
                      LinesCase{"FinalLineEndAddsEmptyLine", "one\r\ntwo\r\n", {"one", "two", ""}},
                      LinesCase{"LfOnly", "one\ntwo\n", {"one", "two", ""}},
                      LinesCase{"CtrlZEndsLine", std::string("one\x1Atwo"), {"one", "two"}},
                      LinesCase{"CrSkipsTheNextCharacter", "one\rXtwo", {"one", "two"}},
                      LinesCase{"EmptyLinesKept", "a\r\n\r\nb", {"a", "", "b"}},
                      LinesCase{"LongLineSplitAt40", k45, {std::string(40, 'a'), "bcdef"}},
                      LinesCase{"ExactFortyFollowedByEmptyLine", k40 + "\r\nend", {k40, "", "end"}},
                      LinesCase{"ExactFortyAtEndOfFile", k40, {k40, ""}},
                      LinesCase{"EightyOneCharacters",
                                std::string(81, 'z'),
                                {std::string(40, 'z'), std::string(40, 'z'), "z"}}),
    [](const ::testing::TestParamInfo<LinesCase>& info) { return std::string(info.param.name); });

TEST(CreditLinesCount, EighteenLinesWithoutFinalBreakGiveEighteen)
{
    std::string text;
    for (int i = 1; i <= 18; ++i) {
        text += "line " + std::to_string(i) + (i < 18 ? "\r\n" : "");
    }
    std::istringstream in(text);
    const auto lines = ReadCreditLines(in);
    ASSERT_EQ(lines.size(), 18u);
    EXPECT_EQ(lines.front(), "line 1");
    EXPECT_EQ(lines.back(), "line 18");

    std::istringstream withBreak(text + "\r\n");
    EXPECT_EQ(ReadCreditLines(withBreak).size(), 19u);
}

TEST(CreditLinesCount, AHugeFileIsReadOnlyUpToTheLimit)
{
    // Far more lines than the screen reads: reading stops at the limit, so
    // memory and the lines' positions stay bounded whatever the file holds.
    std::string text;
    for (size_t i = 0; i < kMaxCreditLines + 5000; ++i) {
        text += std::to_string(i) + "\n";
    }
    std::istringstream in(text);
    const auto lines = ReadCreditLines(in);
    ASSERT_EQ(lines.size(), kMaxCreditLines);
    EXPECT_EQ(lines.back(), std::to_string(kMaxCreditLines - 1));
}

TEST(CreditLinesCount, BinaryBytesDoNotStopTheReader)
{
    // High bytes and NULs are kept as characters; only line ends split.
    std::string text = std::string("a\0b", 3) + "\xff\xfe\r\nc";
    std::istringstream in(text);
    const auto lines = ReadCreditLines(in);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 5u);
    EXPECT_EQ(lines[1], "c");
}

} // namespace
