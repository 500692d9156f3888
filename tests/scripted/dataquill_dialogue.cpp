// Dataquill's console dialogue: answers are piped in, and the whole output
// and every file written are compared byte for byte.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "harness.h"

namespace {

namespace fs = std::filesystem;
using harness::CrLf;
using harness::ReadFile;
using harness::Run;
using harness::TempDir;
using harness::WriteFile;

const std::string kBanner = "\n\n"
                            "***************************************************************\n"
                            "*                                                             *\n"
                            "*            ZODUZOR               DATA WRITER                *\n"
                            "*                                                             *\n"
                            "***************************************************************\n"
                            "\n\n";

const std::string kMenu = "\n"
                          "  Enter a number to choose (any other to exit)\n"
                          "    1) ENEMY                                  \n"
                          "    2) BULLET                                 \n"
                          "    3) LEVEL                                  \n"
                          "\n";

const std::string kExit = "\n";

std::string Str(const std::string& q)
{
    return q + "\n > \n";
}
std::string Bool(const std::string& q)
{
    return q + " (TRUE|FALSE) \n > \n";
}
std::string Card(const std::string& q)
{
    return q + " (whole number) \n > \n";
}
std::string Real(const std::string& q)
{
    return q + " (real number) \n > \n";
}

const std::string kEnemyDialogue =
    "\n**************\nENTERING ENEMY\n\n" + Str("FILENAME:") + Str("IDENTIFICATION:") +
    Bool("RED COLOR:") + Bool("GREEN COLOR:") + Bool("BLUE COLOR:") + Bool("YELLOW COLOR:") +
    Card("HEALTH:") + Str("BULLET TYPE:") + Card("SHOOT PATTERN") + Card("MOVE PATTERN") +
    Card("SHOOT FREQUENCY") + "\n**************\n";

const std::string kBulletDialogue =
    "\n***************\nENTERING BULLET\n\n" + Str("FILENAME:") + Str("IDENTIFICATION:") +
    Card("RED DAMAGE:") + Card("GREEN DAMAGE:") + Card("BLUE DAMAGE:") + Card("YELLOW DAMAGE:") +
    Card("NEUTRAL DAMAGE:") + Real("SPEED:") + Real("ACCELERATION");

const std::string kLevelHead = "\n***************\nENTERING LEVEL \n\n" + Str("FILENAME:") +
                               Str("PLAY MODE: (BIKE|NORM|EEGG|RUDI)") + Card("BOSS DELAY:") +
                               Str("BOSS ID:");

const std::string kAllowed = Str("ALLOWED ENEMY: (to stop enter an empty string)");

std::string Repeat(const std::string& s, int n)
{
    std::string r;
    for (int i = 0; i < n; ++i) {
        r += s;
    }
    return r;
}

std::string Lines(const std::vector<std::string>& lines)
{
    std::string r;
    for (const auto& l : lines) {
        r += l + "\n";
    }
    return r;
}

std::vector<std::string> Listing(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

harness::RunResult Quill(const TempDir& dir, const std::string& input)
{
    return Run(DATAQUILL_BINARY, {}, dir.str(), input, 30);
}

TEST(DataquillDialogue, FixedTextsHaveTheirWidths)
{
    // The banner lines are 63 characters wide and the menu lines 46.
    size_t start = 2;
    for (int i = 0; i < 5; ++i) {
        size_t end = kBanner.find('\n', start);
        EXPECT_EQ(end - start, 63u) << "banner line " << i;
        start = end + 1;
    }
    start = 1;
    for (int i = 0; i < 4; ++i) {
        size_t end = kMenu.find('\n', start);
        EXPECT_EQ(end - start, 46u) << "menu line " << i;
        start = end + 1;
    }
}

class MenuExit : public ::testing::TestWithParam<const char*>
{
};

TEST_P(MenuExit, AnyOtherAnswerEndsWithOneEmptyLine)
{
    TempDir dir;
    auto r = Quill(dir, GetParam());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, kBanner + kMenu + kExit);
    EXPECT_TRUE(Listing(dir.path()).empty());
}

INSTANTIATE_TEST_SUITE_P(Answers, MenuExit,
                         ::testing::Values("0\n", "4\n", "word\n", "\n", "", "   \n", "-0\n",
                                           "4294967297\n", "0\n1\n"));

TEST(DataquillDialogue, EnemyEntryWritesTenLines)
{
    TempDir dir;
    auto r = Quill(dir, Lines({"1", "GRUNT.nmi", "GRUNT", "TRUE", "false", "yes", "TRUE", "-250",
                               "PELLET", "2", "1", "7", "0"}));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, kBanner + kMenu + kEnemyDialogue + kMenu + kExit);
    EXPECT_EQ(ReadFile(dir / "GRUNT.nmi"),
              CrLf({"GRUNT", "TRUE", "FALSE", "FALSE", "TRUE", "250", "PELLET", "2", "1", "7"}));
}

TEST(DataquillDialogue, BossFileIsAnEnemyEntryUnderItsOwnName)
{
    TempDir dir;
    auto r = Quill(dir, Lines({"1", "KING.bss", "KING", "TRUE TRUE", "TRUE", "TRUE", "FALSE",
                               "5000", "ORB", "5", "66", "3", "x"}));
    EXPECT_EQ(r.out, kBanner + kMenu + kEnemyDialogue + kMenu + kExit);
    EXPECT_EQ(ReadFile(dir / "KING.bss"),
              CrLf({"KING", "TRUE", "TRUE", "TRUE", "FALSE", "5000", "ORB", "5", "66", "3"}));
}

TEST(DataquillDialogue, BulletEntryWritesEightLines)
{
    TempDir dir;
    auto r = Quill(dir, Lines({"2", "PELLET.blt", "PELLET", "10", "20", "+30", "40abc", "", "2.5",
                               "1.23456", "9"}));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, kBanner + kMenu + kBulletDialogue + kMenu + kExit);
    EXPECT_EQ(ReadFile(dir / "PELLET.blt"),
              CrLf({"PELLET", "10", "20", "30", "40", "0", "2.500", "1.235"}));
}

struct NumberCase
{
    const char* answer;
    const char* written;
};

class RealAnswer : public ::testing::TestWithParam<NumberCase>
{
};

TEST_P(RealAnswer, IsWrittenWithThreeDecimals)
{
    TempDir dir;
    Quill(dir, Lines({"2", "b.blt", "B", "0", "0", "0", "0", "0", GetParam().answer, "0", "0"}));
    EXPECT_EQ(ReadFile(dir / "b.blt"),
              CrLf({"B", "0", "0", "0", "0", "0", GetParam().written, "0.000"}));
}

INSTANTIATE_TEST_SUITE_P(
    Reals, RealAnswer,
    ::testing::Values(NumberCase{"2.5", "2.500"}, NumberCase{"1.23456", "1.235"},
                      NumberCase{"-1", "-1.000"}, NumberCase{"0.125", "0.125"},
                      NumberCase{"-0.0001", "0.000"}, NumberCase{"abc", "0.000"},
                      NumberCase{"", "0.000"}, NumberCase{"2.5x", "0.000"},
                      NumberCase{"1e2", "100.000"}, NumberCase{"  7.25  more", "7.250"},
                      NumberCase{"inf", "0.000"}, NumberCase{"1e99", "0.000"},
                      NumberCase{"+.5", "0.500"}));

class CardAnswer : public ::testing::TestWithParam<NumberCase>
{
};

TEST_P(CardAnswer, IsWrittenAsBareDigits)
{
    TempDir dir;
    Quill(dir, Lines({"1", "e.nmi", "E", "", "", "", "", GetParam().answer, "B", "0", "0", "1"}));
    EXPECT_EQ(ReadFile(dir / "e.nmi"), CrLf({"E", "FALSE", "FALSE", "FALSE", "FALSE",
                                             GetParam().written, "B", "0", "0", "1"}));
}

INSTANTIATE_TEST_SUITE_P(Cards, CardAnswer,
                         ::testing::Values(NumberCase{"7", "7"}, NumberCase{"+7", "7"},
                                           NumberCase{"-5", "5"}, NumberCase{"12abc", "12"},
                                           NumberCase{"abc", "0"}, NumberCase{"", "0"},
                                           NumberCase{"007", "7"}, NumberCase{"  42 9", "42"},
                                           NumberCase{"4294967295", "4294967295"},
                                           NumberCase{"99999999999", "4294967295"},
                                           NumberCase{"--3", "0"}));

TEST(DataquillDialogue, LevelWithoutAllowedEnemiesEndsWithAnEmptyLine)
{
    TempDir dir;
    auto r = Quill(dir, Lines({"3", "001.LVL", "NORMAL", "30000", "KING", "", "0"}));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, kBanner + kMenu + kLevelHead + kAllowed + kMenu + kExit);
    EXPECT_EQ(ReadFile(dir / "001.LVL"), CrLf({"NORM", "30000", "KING", ""}));
}

TEST(DataquillDialogue, LevelListsAllowedEnemiesUntilAnEmptyAnswer)
{
    TempDir dir;
    auto r = Quill(dir, Lines({"3", "002.LVL", "rudi", "100", "KING", "GRUNT",
                               "ABCDEFGHIJKLMNOPQRSTUVWXYZ", "GRUNT", "", "0"}));
    EXPECT_EQ(r.out, kBanner + kMenu + kLevelHead + Repeat(kAllowed, 4) + kMenu + kExit);
    EXPECT_EQ(ReadFile(dir / "002.LVL"),
              CrLf({"rudi", "100", "KING", "GRUNT", "ABCDEFGHIJKLMNOPQRST", "GRUNT", ""}));
}

TEST(DataquillDialogue, ThreeEntriesInOneRunShowTheMenuFourTimes)
{
    TempDir dir;
    auto r = Quill(dir, Lines({"1", "a.nmi", "A", "TRUE",    "",     "",  "",  "10", "P", "1",
                               "0", "4",     "2", "p.blt",   "P",    "1", "1", "1",  "1", "1",
                               "3", "0",     "3", "003.LVL", "EEGG", "5", "A", "A",  "",  "0"}));
    EXPECT_EQ(r.out, kBanner + kMenu + kEnemyDialogue + kMenu + kBulletDialogue + kMenu +
                         kLevelHead + Repeat(kAllowed, 2) + kMenu + kExit);
    EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"003.LVL", "a.nmi", "p.blt"}));
    EXPECT_EQ(ReadFile(dir / "a.nmi"),
              CrLf({"A", "TRUE", "FALSE", "FALSE", "FALSE", "10", "P", "1", "0", "4"}));
    EXPECT_EQ(ReadFile(dir / "p.blt"), CrLf({"P", "1", "1", "1", "1", "1", "3.000", "0.000"}));
    EXPECT_EQ(ReadFile(dir / "003.LVL"), CrLf({"EEGG", "5", "A", "A", ""}));
}

TEST(DataquillDialogue, CrLfAnswersReadAsTyped)
{
    TempDir dir;
    std::string input = CrLf({"2", "q.blt", "Q", "1", "2", "3", "4", "5", "0.5", "-0.25", "0"});
    auto r = Quill(dir, input);
    EXPECT_EQ(r.out, kBanner + kMenu + kBulletDialogue + kMenu + kExit);
    EXPECT_EQ(ReadFile(dir / "q.blt"), CrLf({"Q", "1", "2", "3", "4", "5", "0.500", "-0.250"}));
}

TEST(DataquillDialogue, TextAnswersAreCutToTheirCapacity)
{
    TempDir dir;
    const std::string longName = "abcdefghijklmnopqrstuvwxyz0123456789.nmi"; // 40 characters
    const std::string longId = "IDENTIFIER_OF_TWENTY_FIVE";                  // 25 characters
    Quill(dir, Lines({"1", longName, longId, "", "", "", "", "1", longId + "X", "1", "1", "1"}));
    EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{longName.substr(0, 30)}));
    EXPECT_EQ(ReadFile(dir / longName.substr(0, 30)),
              CrLf({longId.substr(0, 20), "FALSE", "FALSE", "FALSE", "FALSE", "1",
                    longId.substr(0, 20), "1", "1", "1"}));
}

TEST(DataquillDialogue, AnExistingLongerFileIsReplacedWhole)
{
    TempDir dir;
    std::vector<std::string> old;
    for (int i = 0; i < 40; ++i) {
        old.push_back("OLD LINE " + std::to_string(i));
    }
    WriteFile(dir / "001.LVL", CrLf(old));
    auto r = Quill(dir, Lines({"3", "001.LVL", "BIKE", "10", "KING", "", "0"}));
    EXPECT_EQ(r.out, kBanner + kMenu + kLevelHead + kAllowed + kMenu + kExit);
    EXPECT_EQ(ReadFile(dir / "001.LVL"), CrLf({"BIKE", "10", "KING", ""}));
    EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"001.LVL"}));
}

TEST(DataquillDialogue, BackslashesNameFolders)
{
    TempDir dir;
    fs::create_directory(dir / "data");
    Quill(dir, Lines({"3", "data\\004.LVL", "NORM", "1", "K", "", "0"}));
    EXPECT_EQ(ReadFile(dir / "data" / "004.LVL"), CrLf({"NORM", "1", "K", ""}));
    // The folder is found in any letter case, as the game finds it.
    auto r = Quill(dir, Lines({"3", "DATA\\005.LVL", "BIKE", "2", "Q", "", "0"}));
    EXPECT_EQ(r.out, kBanner + kMenu + kLevelHead + kAllowed + kMenu + kExit);
    EXPECT_EQ(ReadFile(dir / "data" / "005.LVL"), CrLf({"BIKE", "2", "Q", ""}));
    EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"data"}));
}

std::string OtherCaseWarning(const std::string& written)
{
    return "Warning: " + written +
           " is written: its name differs from the typed one only in letter case, and the game "
           "reads it under that name.\n";
}

// A typed name in another letter case writes over the file the game reads
// under it, not a second file beside it, and says so; of two names that
// differ only in case, the first in the game's listing order.
TEST(DataquillDialogue, ANameInAnotherCaseWritesOverTheFileTheGameReads)
{
    TempDir dir;
    WriteFile(dir / "data" / "007.LVL", CrLf({"NORM", "1", "OLD", ""}));
    auto r = Quill(dir, Lines({"3", "data/007.lvl", "RUDI", "9", "NEW", "", "0"}));
    EXPECT_EQ(r.out, kBanner + kMenu + kLevelHead + OtherCaseWarning("data/007.LVL") + kAllowed +
                         kMenu + kExit);
    EXPECT_EQ(Listing(dir / "data"), (std::vector<std::string>{"007.LVL"}));
    EXPECT_EQ(ReadFile(dir / "data" / "007.LVL"), CrLf({"RUDI", "9", "NEW", ""}));

    WriteFile(dir / "data" / "b.blt", "lower");
    WriteFile(dir / "data" / "B.blt", "upper");
    r = Quill(dir, Lines({"2", "DATA\\b.BLT", "B", "1", "1", "1", "1", "1", "1", "1", "0"}));
    EXPECT_EQ(r.out,
              kBanner + kMenu + kBulletDialogue + OtherCaseWarning("data/B.blt") + kMenu + kExit);
    EXPECT_EQ(ReadFile(dir / "data" / "B.blt"),
              CrLf({"B", "1", "1", "1", "1", "1", "1.000", "1.000"}));
    EXPECT_EQ(ReadFile(dir / "data" / "b.blt"), "lower");
    EXPECT_EQ(Listing(dir / "data"), (std::vector<std::string>{"007.LVL", "B.blt", "b.blt"}));
}

// A data file kept as a symbolic link is written through the link: its
// target gets the new text, and the link stays a link.
TEST(DataquillDialogue, ALinkedFileIsWrittenThroughTheLink)
{
    TempDir dir;
    WriteFile(dir / "shared" / "GRUNT.nmi", "old");
    fs::create_directory(dir / "data");
    fs::create_symlink("../shared/GRUNT.nmi", dir / "data" / "GRUNT.nmi");
    fs::create_symlink("GRUNT.nmi", dir / "data" / "ALIAS.nmi");
    auto r = Quill(dir, Lines({"1", "data/alias.nmi", "GRUNT", "TRUE", "", "", "", "5", "P", "1",
                               "1", "2", "0"}));
    EXPECT_EQ(r.out, kBanner + kMenu + kEnemyDialogue + OtherCaseWarning("data/ALIAS.nmi") + kMenu +
                         kExit);
    EXPECT_TRUE(fs::is_symlink(dir / "data" / "ALIAS.nmi"));
    EXPECT_TRUE(fs::is_symlink(dir / "data" / "GRUNT.nmi"));
    EXPECT_EQ(ReadFile(dir / "shared" / "GRUNT.nmi"),
              CrLf({"GRUNT", "TRUE", "FALSE", "FALSE", "FALSE", "5", "P", "1", "1", "2"}));
    EXPECT_EQ(Listing(dir / "data"), (std::vector<std::string>{"ALIAS.nmi", "GRUNT.nmi"}));
    EXPECT_EQ(Listing(dir / "shared"), (std::vector<std::string>{"GRUNT.nmi"}));
}

struct Unwritable
{
    const char* name;
    const char* reason;
};

class UnwritableName : public ::testing::TestWithParam<Unwritable>
{
};

TEST_P(UnwritableName, IsReportedAndTheMenuComesBack)
{
    TempDir dir;
    fs::create_directory(dir / "folder");
    WriteFile(dir / "folder" / "keep.txt", "kept");
    const std::string report =
        std::string("Could not write \"") + GetParam().name + "\": " + GetParam().reason + "\n";

    // The enemy entry asks everything first and then reports.
    auto r = Quill(dir, Lines({"1",    GetParam().name,
                               "E",    "",
                               "",     "",
                               "",     "1",
                               "B",    "1",
                               "1",    "1",
                               "2",    GetParam().name,
                               "B",    "1",
                               "1",    "1",
                               "1",    "1",
                               "1",    "1",
                               "3",    GetParam().name,
                               "NORM", "1",
                               "K",    "0"}));
    EXPECT_EQ(r.exitCode, 0);
    // The level entry reports before asking for the allowed enemies, so the
    // next answer goes to the menu.
    EXPECT_EQ(r.out, kBanner + kMenu + kEnemyDialogue + report + kMenu + kBulletDialogue + report +
                         kMenu + kLevelHead + report + kMenu + kExit);
    EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"folder"}));
    EXPECT_EQ(Listing(dir / "folder"), (std::vector<std::string>{"keep.txt"}));
}

INSTANTIATE_TEST_SUITE_P(Names, UnwritableName,
                         ::testing::Values(Unwritable{"nowhere/x.nmi", "No such file or directory"},
                                           Unwritable{"", "no file name given"},
                                           Unwritable{"folder", "Is a directory"}));

TEST(DataquillDialogue, ReadOnlyFileIsReportedAndKept)
{
    if (geteuid() == 0) {
        GTEST_SKIP() << "file permissions do not bind the superuser";
    }
    TempDir dir;
    WriteFile(dir / "ro.blt", "old");
    fs::permissions(dir / "ro.blt", fs::perms::owner_read);
    auto r = Quill(dir, Lines({"2", "ro.blt", "B", "1", "1", "1", "1", "1", "1", "1", "0"}));
    EXPECT_EQ(r.out, kBanner + kMenu + kBulletDialogue +
                         "Could not write \"ro.blt\": Permission denied\n" + kMenu + kExit);
    EXPECT_EQ(ReadFile(dir / "ro.blt"), "old");
}

// A shared install: the folder takes no new file from the user, but the data
// file itself is writable. It is rewritten where it is, whole.
TEST(DataquillDialogue, AWritableFileInAFolderThatTakesNoNewFileIsRewrittenInPlace)
{
    const bool root = geteuid() == 0;
    if (root && access("/usr/bin/setpriv", X_OK) != 0) {
        GTEST_SKIP() << "no setpriv to leave root";
    }
    TempDir dir;
    std::vector<std::string> old;
    for (int i = 0; i < 40; ++i) {
        old.push_back("OLD LINE " + std::to_string(i));
    }
    const fs::path file = dir / "locked" / "b.blt";
    WriteFile(file, CrLf(old));
    const auto all = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                     fs::perms::others_read | fs::perms::others_exec;
    const auto readable = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    const auto writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    const std::string input =
        Lines({"2", "locked/b.blt", "B", "1", "2", "3", "4", "5", "0.5", "0", "0"});
    auto runLocked = [&] {
        if (root) {
            // Permission bits do not bind root: run as an unprivileged user,
            // for whom the folder (root's) takes no new file.
            fs::permissions(dir.path(), all);
            return harness::Run(
                "/usr/bin/setpriv",
                {"--reuid=65534", "--regid=65534", "--clear-groups", DATAQUILL_BINARY}, dir.str(),
                input, 30);
        }
        fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec);
        auto r = Quill(dir, input);
        fs::permissions(dir / "locked", fs::perms::owner_all);
        return r;
    };
    struct stat before = {};
    ASSERT_EQ(stat(file.c_str(), &before), 0);
    fs::permissions(file, readable | writable);
    auto r = runLocked();
    EXPECT_EQ(r.out, kBanner + kMenu + kBulletDialogue + kMenu + kExit);
    const std::string written = CrLf({"B", "1", "2", "3", "4", "5", "0.500", "0.000"});
    EXPECT_EQ(ReadFile(file), written);
    struct stat after = {};
    ASSERT_EQ(stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "rewritten where it is";
    EXPECT_EQ(Listing(dir / "locked"), (std::vector<std::string>{"b.blt"}));

    // A file that cannot be written there either: the failure is reported
    // and the file is kept.
    fs::permissions(file, readable);
    r = runLocked();
    EXPECT_EQ(r.out, kBanner + kMenu + kBulletDialogue +
                         "Could not write \"locked/b.blt\": Permission denied\n" + kMenu + kExit);
    EXPECT_EQ(ReadFile(file), written);
}

class EndOfInput : public ::testing::TestWithParam<int>
{
};

// Input that stops after n answers of an entry ends the tool cleanly and
// leaves no file behind, not even a temporary one.
TEST_P(EndOfInput, MidEntryEndsWithoutAFile)
{
    const std::vector<std::string> level = {"3", "005.LVL", "NORM", "10", "KING", "A", "B"};
    const int n = GetParam();
    TempDir dir;
    auto r = Quill(dir, Lines(std::vector<std::string>(level.begin(), level.begin() + n)));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(Listing(dir.path()).empty());
    std::vector<std::string> prompts = {Str("FILENAME:"),
                                        Str("PLAY MODE: (BIKE|NORM|EEGG|RUDI)"),
                                        Card("BOSS DELAY:"),
                                        Str("BOSS ID:"),
                                        kAllowed,
                                        kAllowed,
                                        kAllowed};
    std::string expected = kBanner + kMenu + "\n***************\nENTERING LEVEL \n\n";
    // The first answer is the menu's; the prompts after it get n - 1.
    for (int i = 0; i + 1 < n; ++i) {
        expected += prompts[static_cast<size_t>(i)];
    }
    // The unanswered prompt, then the one empty line of the exit.
    std::string last = prompts[static_cast<size_t>(n - 1)];
    expected += last.substr(0, last.size() - 1) + kExit;
    EXPECT_EQ(r.out, expected);
}

INSTANTIATE_TEST_SUITE_P(Answers, EndOfInput, ::testing::Values(1, 2, 4, 5, 6, 7));

TEST(DataquillDialogue, LastAnswerWithoutLineEndCounts)
{
    TempDir dir;
    auto r = Quill(dir, "3\n006.LVL\nNORM\n1\nK\nA\n\n0");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(ReadFile(dir / "006.LVL"), CrLf({"NORM", "1", "K", "A", ""}));
    EXPECT_EQ(r.out, kBanner + kMenu + kLevelHead + Repeat(kAllowed, 2) + kMenu + kExit);
}

} // namespace
