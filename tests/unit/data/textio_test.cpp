#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>

#include "harness.h"
#include "storage.h"
#include "textio.h"

namespace {

struct Input
{
    std::istringstream stream;
    TextReader reader;
    explicit Input(const std::string& text) : stream(text), reader(stream) {}
};

TEST(TextReader, TextReadStopsAtCapacityAndLeavesTheRestOfTheLine)
{
    Input in("ABCDEFGHIJKLMNOPQRSTUV\r\nNEXT\r\n");
    EXPECT_EQ(in.reader.ReadText(20), "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(in.reader.ReadText(20), "UV");
    EXPECT_EQ(in.reader.ReadText(20), "NEXT");
    EXPECT_FALSE(in.reader.Eof());
    EXPECT_EQ(in.reader.ReadText(20), "");
    EXPECT_TRUE(in.reader.Eof());
}

TEST(TextReader, LineOfExactlyTheCapacityLeavesItsLineEnd)
{
    Input in("ABCD\r\nXY\r\n");
    EXPECT_EQ(in.reader.ReadText(4), "ABCD");
    EXPECT_EQ(in.reader.ReadText(4), ""); // the line end of ABCD
    EXPECT_EQ(in.reader.ReadText(4), "XY");

    Input word("ABCD\r\n17\r\n");
    EXPECT_EQ(word.reader.ReadText(4), "ABCD");
    EXPECT_EQ(word.reader.ReadCard(), 17u); // a word read skips the line end
}

TEST(TextReader, LineEndsAreCrWithItsFollowerLfAndCtrlZ)
{
    Input in("A\rxB\nC\x1a"
             "D");
    EXPECT_EQ(in.reader.ReadText(20), "A"); // CR takes the next character with it
    EXPECT_EQ(in.reader.ReadText(20), "B");
    EXPECT_EQ(in.reader.ReadText(20), "C");
    EXPECT_EQ(in.reader.ReadText(20), "D");
    EXPECT_TRUE(in.reader.Eof()); // the last line had no line end
}

TEST(TextReader, TextAfterANumberSeesTheRestOfTheNumberLine)
{
    Input in("250\r\nBULLET\r\n");
    EXPECT_EQ(in.reader.ReadCard(), 250u);
    EXPECT_EQ(in.reader.ReadText(20), ""); // the LF after the CR that ended the word
    EXPECT_EQ(in.reader.ReadText(20), "BULLET");

    // With LF-only line ends the extra read swallows the following line.
    Input lf("250\nBULLET\nOTHER\n");
    EXPECT_EQ(lf.reader.ReadCard(), 250u);
    EXPECT_EQ(lf.reader.ReadText(20), "BULLET");
    EXPECT_EQ(lf.reader.ReadText(20), "OTHER");
}

TEST(TextReader, WordSkipsSeparatorsAndConsumesOneTerminator)
{
    Input in(" \t\r\n\x1a"
             "12 34\t\tX");
    EXPECT_EQ(in.reader.ReadWord(), "12");
    EXPECT_EQ(in.reader.ReadWord(), "34");
    EXPECT_EQ(in.reader.ReadText(5), "\tX"); // only one tab was consumed
    EXPECT_EQ(in.reader.ReadWord(), "");
    EXPECT_TRUE(in.reader.Eof());
}

TEST(TextReader, EndOfFileIsNoticedOnlyByAReadThatFindsNothing)
{
    Input in("7\r\n");
    EXPECT_EQ(in.reader.ReadCard(), 7u);
    EXPECT_FALSE(in.reader.Eof());
    EXPECT_EQ(in.reader.ReadCard(), 0u);
    EXPECT_TRUE(in.reader.Eof());
    EXPECT_EQ(in.reader.ReadText(20), "");
    EXPECT_FALSE(in.reader.ReadBool());
    EXPECT_EQ(in.reader.ReadReal(), 0.0f);
}

struct CardCase
{
    const char* word;
    uint32_t value;
};

class ParseCardTest : public ::testing::TestWithParam<CardCase>
{
};

TEST_P(ParseCardTest, LeadingDigitsAfterOneOptionalSign)
{
    EXPECT_EQ(TextReader::ParseCard(GetParam().word), GetParam().value) << GetParam().word;
}

INSTANTIATE_TEST_SUITE_P(
    Words, ParseCardTest,
    ::testing::Values(CardCase{"0", 0}, CardCase{"250", 250}, CardCase{"+12", 12},
                      CardCase{"-12", 12}, CardCase{"12abc", 12}, CardCase{"abc", 0},
                      CardCase{"", 0}, CardCase{"--5", 0}, CardCase{"+", 0}, CardCase{"007", 7},
                      CardCase{"4294967295", 4294967295u}, CardCase{"4294967296", 4294967295u},
                      CardCase{"99999999999999999999999", 4294967295u}, CardCase{"1.5", 1}));

TEST(TextReader, BooleansAreTrueOnlyForCapitalTrue)
{
    for (const char* word : {"true", "True", "TRUE1", "1", "", "FALSE", "YES"}) {
        EXPECT_FALSE(TextReader::ParseBool(word)) << word;
    }
    EXPECT_TRUE(TextReader::ParseBool("TRUE"));
}

struct RealCase
{
    const char* word;
    float value;
};

class ParseRealTest : public ::testing::TestWithParam<RealCase>
{
};

TEST_P(ParseRealTest, DecimalRealsElseZero)
{
    EXPECT_FLOAT_EQ(TextReader::ParseReal(GetParam().word), GetParam().value) << GetParam().word;
}

INSTANTIATE_TEST_SUITE_P(Words, ParseRealTest,
                         ::testing::Values(RealCase{"2.500", 2.5f}, RealCase{"-0.125", -0.125f},
                                           RealCase{"+3", 3.0f}, RealCase{"1e2", 100.0f},
                                           RealCase{"1.5E-1", 0.15f}, RealCase{".5", 0.5f},
                                           RealCase{"abc", 0.0f}, RealCase{"2.5x", 0.0f},
                                           RealCase{"inf", 0.0f}, RealCase{"nan", 0.0f},
                                           RealCase{"-", 0.0f}, RealCase{"", 0.0f},
                                           RealCase{"+-1", 0.0f}, RealCase{"1e999", 0.0f}));

TEST(TextReader, BinaryGarbageNeverReadsPastAField)
{
    std::string garbage;
    for (int i = 0; i < 5000; ++i) {
        garbage.push_back(static_cast<char>((i * 7919 + 13) % 256));
    }
    Input in(garbage);
    int reads = 0;
    while (!in.reader.Eof() && reads < 100000) {
        EXPECT_LE(in.reader.ReadText(20).size(), 20u);
        in.reader.ReadCard();
        in.reader.ReadReal();
        ++reads;
    }
    EXPECT_TRUE(in.reader.Eof());
    EXPECT_LT(reads, 100000);
}

// A file of one endless word cannot grow a field: a word keeps its first
// kWordCapacity characters, is read to its end, and the next word follows.
TEST(TextReader, AWordKeepsAtMostItsCapacity)
{
    const std::string huge(3'000'000, '7');
    Input in(huge + "\r\n" + "1.5" + std::string(80, '0') + " 12\r\nTRUE" + std::string(70, 'E'));
    const std::string word = in.reader.ReadWord();
    EXPECT_EQ(word, huge.substr(0, TextReader::kWordCapacity));
    EXPECT_EQ(in.reader.ReadReal(), 0.0f) << "a real longer than a word holds is malformed";
    EXPECT_EQ(in.reader.ReadCard(), 12u);
    EXPECT_FALSE(in.reader.ReadBool());
    EXPECT_TRUE(in.reader.Eof());
    Input digits(std::string(200, '9'));
    EXPECT_EQ(digits.reader.ReadCard(), 4294967295u) << "saturates as before";
}

TEST(TextWriter, WritesCrLfRightAlignedNumbersBooleansAndReals)
{
    std::ostringstream out;
    TextWriter w(out);
    w.WriteCard(120, 10);
    w.WriteLn();
    w.WriteCard(1234, 3); // wider than its field: written whole
    w.WriteCard(0);
    w.WriteLn();
    w.WriteBool(true);
    w.WriteBool(false);
    w.WriteLn();
    w.WriteReal(2.5f);
    w.WriteText(" ");
    w.WriteReal(0.125f);
    w.WriteText(" ");
    w.WriteReal(-1.0f);
    w.WriteText(" ");
    w.WriteReal(0.0004f);
    w.WriteText(" ");
    w.WriteReal(1.9996f);
    EXPECT_EQ(out.str(), "       120\r\n12340\r\nTRUEFALSE\r\n2.500 0.125 -1.000 0.000 2.000");
}

TEST(TextWriter, RealsReadBackToTheNearestThousandth)
{
    for (float v : {0.0f, 2.5f, -0.125f, 7.75f, 123.456f, -42.001f}) {
        std::ostringstream out;
        TextWriter(out).WriteReal(v);
        EXPECT_NEAR(TextReader::ParseReal(out.str()), v, 0.0005f) << out.str();
    }
}

int FilesIn(const std::filesystem::path& folder)
{
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++files;
    }
    return files;
}

TEST(SaveFile, ReplacesTheWholeFileAndLeavesNoTemporary)
{
    harness::TempDir dir;
    const auto path = (dir / "table.list").string();
    harness::WriteFile(path, "an old and rather longer content\r\n");
    std::string seen;
    ASSERT_TRUE(SaveFile(path, [&seen](std::istream* current) {
        seen = current ? std::string(std::istreambuf_iterator<char>(*current), {}) : "none";
        return std::string("new\r\n");
    }));
    EXPECT_EQ(seen, "an old and rather longer content\r\n") << "the present text, read under lock";
    EXPECT_EQ(harness::ReadFile(path), "new\r\n");
    EXPECT_EQ(FilesIn(dir.path()), 1);
    // A new file is made; an empty one counts as no text.
    const auto fresh = (dir / "fresh.list").string();
    ASSERT_TRUE(SaveFile(fresh, [&seen](std::istream* current) {
        seen = current ? "some" : "none";
        return std::string("x");
    }));
    EXPECT_EQ(seen, "none");
    EXPECT_EQ(harness::ReadFile(fresh), "x");
}

TEST(SaveFile, FailureLeavesTheOldThingUntouched)
{
    harness::TempDir dir;
    // A folder or a named pipe is never replaced, and a pipe never stalls the save.
    std::filesystem::create_directories(dir / "blocked.list" / "inner");
    EXPECT_FALSE(SaveFile((dir / "blocked.list").string(), "x"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "blocked.list" / "inner"));
    ASSERT_EQ(mkfifo((dir / "pipe.list").c_str(), 0666), 0);
    EXPECT_FALSE(SaveFile((dir / "pipe.list").string(), "x"));
    EXPECT_TRUE(std::filesystem::is_fifo(dir / "pipe.list"));
    EXPECT_EQ(FilesIn(dir.path()), 2) << "no temporary file is left";
    // A folder that does not exist cannot take the file.
    EXPECT_FALSE(SaveFile((dir / "missing" / "f.list").string(), "x"));
    // A link loop names no file.
    std::filesystem::create_symlink("loop.list", dir / "loop.list");
    EXPECT_FALSE(SaveFile((dir / "loop.list").string(), "x"));
}

TEST(SaveFile, WritesThroughSymbolicLinksAndKeepsThem)
{
    harness::TempDir dir;
    namespace fs = std::filesystem;
    fs::create_directories(dir / "real");
    fs::create_directories(dir / "links");
    harness::WriteFile(dir / "real" / "table.list", "old");
    // links/b -> ../real/table.list (relative), links/a -> links/b (absolute).
    fs::create_symlink("../real/table.list", dir / "links" / "b");
    fs::create_symlink(dir / "links" / "b", dir / "links" / "a");
    ASSERT_TRUE(SaveFile((dir / "links" / "a").string(), "new"));
    EXPECT_TRUE(fs::is_symlink(dir / "links" / "a"));
    EXPECT_TRUE(fs::is_symlink(dir / "links" / "b"));
    EXPECT_EQ(harness::ReadFile(dir / "real" / "table.list"), "new");
    EXPECT_EQ(FilesIn(dir / "real"), 1);
    EXPECT_EQ(FilesIn(dir / "links"), 2);
    // A link to a file not yet made makes it.
    fs::create_symlink("../real/later.list", dir / "links" / "c");
    ASSERT_TRUE(SaveFile((dir / "links" / "c").string(), "made"));
    EXPECT_TRUE(fs::is_symlink(dir / "links" / "c"));
    EXPECT_EQ(harness::ReadFile(dir / "real" / "later.list"), "made");
}

} // namespace
