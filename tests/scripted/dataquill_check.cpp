// dataquill --check: data folders built here with known faults, a clean one,
// and the game's own content.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "harness.h"

namespace {

namespace fs = std::filesystem;
using harness::CrLf;
using harness::TempDir;
using harness::WriteFile;

std::string Lines(const std::vector<std::string>& lines)
{
    std::string r;
    for (const auto& l : lines) {
        r += l + "\n";
    }
    return r;
}

// A game folder with data/ and the normal theme's class pictures.
class Folder : public TempDir
{
  public:
    void Data(const std::string& name, const std::string& text) const
    {
        WriteFile(path() / "data" / name, text);
    }
    void Enemy(const std::string& file, const std::string& id, const std::string& bullet,
               const std::string& shoot = "1", const std::string& move = "1",
               const std::string& freq = "5") const
    {
        Data(file, CrLf({id, "TRUE", "FALSE", "FALSE", "FALSE", "100", bullet, shoot, move, freq}));
        Picture("enemy", id + ".PNG");
    }
    void Bullet(const std::string& file, const std::string& id) const
    {
        Data(file, CrLf({id, "1", "2", "3", "4", "5", "2.500", "0.000"}));
        Picture("bullet", id + ".png");
    }
    void Picture(const std::string& type, const std::string& name) const
    {
        WriteFile(path() / "res" / "norm" / type / name, "png");
    }
    harness::RunResult Check() const
    {
        return harness::Run(DATAQUILL_BINARY, {"--check", "data"}, str());
    }
};

void AddCleanContent(const Folder& f)
{
    f.Bullet("a_good.blt", "AMMO");
    f.Enemy("a_grunt.nmi", "GRUNT", "AMMO");
    f.Enemy("king.bss", "KING", "AMMO", "2", "66", "3");
    f.Data("001.LVL", CrLf({"NORM", "100", "KING", "GRUNT", ""}));
}

TEST(DataquillCheck, CleanFolderPasses)
{
    Folder f;
    AddCleanContent(f);
    // Picture names are found without regard to case.
    fs::rename(f / "res/norm/enemy/GRUNT.PNG", f / "res/norm/enemy/grunt.png");
    fs::rename(f / "res/norm", f / "res/NORM");
    auto r = f.Check();
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, "0 findings in data\n");
    EXPECT_EQ(r.err, "");
}

TEST(DataquillCheck, EachFaultIsReportedOnItsLine)
{
    Folder f;
    AddCleanContent(f);
    f.Data("badreal.blt", CrLf({"SLOW", "1", "1", "1", "1", "1", "fast", "0.000"}));
    f.Picture("bullet", "SLOW.png");
    f.Data("emptyline.blt", CrLf({"GAP", "1", "1", "", "1", "1", "1.000", "0.000"}));
    f.Picture("bullet", "GAP.png");
    f.Data("lf.blt", Lines({"LFSHOT", "1", "1", "1", "1", "1", "1.000", "0.000"}));
    f.Picture("bullet", "LFSHOT.png");
    f.Data("nopic.blt", CrLf({"NOPIC", "1", "1", "1", "1", "1", "1.000", "0.000"}));

    f.Data("badbool.nmi",
           CrLf({"BOOLY", "TRUE", "true", "FALSE", "FALSE", "10", "AMMO", "1", "1", "5"}));
    f.Picture("enemy", "BOOLY.PNG");
    f.Data("badnum.nmi",
           CrLf({"NUMMY", "TRUE", "FALSE", "FALSE", "FALSE", "12abc", "AMMO", "1", "1", "5"}));
    f.Picture("enemy", "NUMMY.PNG");
    f.Enemy("dup.nmi", "GRUNT", "AMMO");
    f.Data("emptynum.nmi",
           CrLf({"HOLE", "TRUE", "FALSE", "FALSE", "FALSE", "", "AMMO", "1", "1", "5"}));
    f.Picture("enemy", "HOLE.PNG");
    f.Enemy("freq0.nmi", "IDLE", "AMMO", "2", "1", "0");
    f.Enemy("longid.nmi", "ABCDEFGHIJKLMNOPQRSTUVWXY", "AMMO");
    f.Picture("enemy", "ABCDEFGHIJKLMNOPQRST.PNG");
    f.Enemy("nobullet.nmi", "ROCKETEER", "MISSILE");
    f.Enemy("pattern.nmi", "ODD", "AMMO", "9");
    f.Enemy("sign.nmi", "MINUS", "AMMO", "1", "1", "-5");

    f.Data("002.LVL", CrLf({"BIKE", "100", "QUEEN", "KING", "GHOST", ""}));
    f.Data("003.LVL", CrLf({"NORMAL", "100", "KING", "GRUNT", ""}));
    f.Data("004.LVL", CrLf({"RUDI", "x100", "KING", "GRUNT", "ABCDEFGHIJKLMNOPQRSTUVWXY", ""}));
    f.Data("7.lvl", CrLf({"NORM", "100", "KING", ""}));
    f.Data("006.LVL", CrLf({"NORM", "100", "KING", ""}));

    auto r = f.Check();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(
        r.out,
        Lines({
            R"(data/badreal.blt:7: speed "fast" is not a real number: the game reads 0.0)",
            R"(data/emptyline.blt:4: blue damage line is empty: the game reads "1" from line 5 instead and later fields shift)",
            R"(data/lf.blt:1: line does not end with CR LF: the game misreads files without CR LF line ends)",
            R"(data/nopic.blt:1: no picture "NOPIC.png" in res/norm/bullet)",
            R"(data/badbool.nmi:3: green "true" is neither TRUE nor FALSE: the game reads FALSE)",
            R"(data/badnum.nmi:6: health "12abc" is not a plain whole number: the game reads 12)",
            R"(data/dup.nmi:1: identifier "GRUNT" is also used by a_grunt.nmi, which the game finds first)",
            R"(data/emptynum.nmi:6: health line is empty: the game reads "AMMO" from line 7 instead and later fields shift)",
            R"(data/freq0.nmi:10: shooting frequency is 0: the class never fires)",
            R"(data/longid.nmi:1: identifier "ABCDEFGHIJKLMNOPQRSTUVWXY" is longer than 20 characters: the game reads "ABCDEFGHIJKLMNOPQRST" and takes the rest as the next field)",
            R"(data/nobullet.nmi:7: bullet class "MISSILE" does not exist: the game takes "AMMO" (the first bullet class read))",
            R"(data/pattern.nmi:8: shooting pattern 9 does not exist: the game uses pattern 1)",
            R"(data/sign.nmi:10: shooting frequency "-5" is not a plain whole number: the game reads 5)",
            R"(data/002.LVL:3: boss "QUEEN" does not exist: the game takes "GRUNT" (the first enemy class read))",
            R"(data/002.LVL:4: allowed enemy "KING" is a boss: the game passes over it)",
            R"(data/002.LVL:5: allowed enemy "GHOST" does not exist: the game enables "GRUNT" (the first enemy class read) instead)",
            R"(data/003.LVL:1: play mode "NORMAL" is longer than 4 characters: the game reads "NORM" and takes the rest as the boss delay)",
            R"(data/004.LVL:2: boss delay "x100" is not a plain whole number: the game reads 0)",
            R"(data/004.LVL:5: identifier "ABCDEFGHIJKLMNOPQRSTUVWXY" is longer than 20 characters: the game reads "ABCDEFGHIJKLMNOPQRST" and takes the rest as the next field)",
            R"(data/004.LVL:5: allowed enemy "UVWXY" does not exist: the game enables "GRUNT" (the first enemy class read) instead)",
            R"(data/006.LVL: no 005.LVL before it: a game from level 1 never reaches this level)",
            R"(data/7.lvl: the game never loads this file: level files are named by their number, as 001.LVL)",
            "22 findings in data",
        }));
}

// The class the game falls back on is the first one read, and files are read
// in alphabetical order without regard to case; bosses come after enemies.
TEST(DataquillCheck, FallbackNamesTheFirstClassReadWithoutRegardToCase)
{
    Folder f;
    f.Bullet("Zeta.blt", "ZETA");
    f.Bullet("alpha.blt", "ALPHA");
    f.Enemy("Zed.nmi", "ZED", "NONE");
    f.Enemy("ant.nmi", "ANT", "ZETA");
    f.Enemy("aaa.bss", "BOSS", "ZETA", "2", "66", "3");
    f.Data("001.LVL", CrLf({"NORM", "1", "WHO", ""}));
    auto r = f.Check();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(
        r.out,
        Lines({
            R"(data/Zed.nmi:7: bullet class "NONE" does not exist: the game takes "ALPHA" (the first bullet class read))",
            R"(data/001.LVL:3: boss "WHO" does not exist: the game takes "ANT" (the first enemy class read))",
            "2 findings in data",
        }));
}

TEST(DataquillCheck, FolderWithoutBulletsOrEnemies)
{
    Folder f;
    f.Enemy("boss.bss", "BOSS", "SHOT", "2", "66", "3");
    f.Data("002.LVL", CrLf({"NORM", "1", "NOBODY", "ALSO", ""}));
    auto r = f.Check();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(
        r.out,
        Lines({
            R"(data/boss.bss:7: bullet class "SHOT" does not exist and no bullet class is loaded: the class never fires)",
            R"(data/001.LVL: missing: a game started at level 1 ends at once)",
            R"(data/002.LVL:3: boss "NOBODY" does not exist: the game takes "BOSS" (the first enemy class read))",
            R"(data/002.LVL:4: allowed enemy "ALSO" does not exist: the game passes over it)",
            "4 findings in data",
        }));
}

// Names that differ only in letter case: the game opens one level file of
// the two and never the other, and loads both class files.
TEST(DataquillCheck, NamesThatDifferOnlyInCaseAreReported)
{
    Folder f;
    AddCleanContent(f);
    f.Enemy("A_Grunt.nmi", "GRUNT2", "AMMO");
    f.Data("001.lvl", CrLf({"NORM", "100", "KING", "GRUNT", ""}));
    auto r = f.Check();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(
        r.out,
        Lines({
            R"(data/a_grunt.nmi: the name differs from A_Grunt.nmi only in letter case: the game loads both files)",
            R"(data/001.lvl: the name differs from 001.LVL only in letter case: the game reads 001.LVL and never this file)",
            "2 findings in data",
        }));
}

// Without a folder, from outside any data folder or from the game's own
// folder, the game's data is checked as the game plays it: its content
// folder with the user's files over it, matched without regard to case.
TEST(DataquillCheck, WithoutAFolderTheGameDataIsCheckedWithTheUsersFilesOverIt)
{
    Folder content;
    AddCleanContent(content);
    content.Data("002.LVL", CrLf({"NORM", "100", "QUEEN", "GRUNT", ""}));
    TempDir home;
    const fs::path user = home / "zoduzor";
    WriteFile(user / "data" / "queen.bss",
              CrLf({"QUEEN", "TRUE", "TRUE", "FALSE", "FALSE", "900", "AMMO", "3", "66", "4"}));
    WriteFile(user / "res" / "norm" / "enemy" / "QUEEN.PNG", "png");
    WriteFile(user / "data" / "A_GRUNT.NMI",
              CrLf({"GRUNT", "TRUE", "FALSE", "FALSE", "FALSE", "12abc", "AMMO", "1", "1", "5"}));
    TempDir elsewhere;
    for (const std::string& cwd : {elsewhere.str(), content.str()}) {
        auto r = harness::Run("/usr/bin/env",
                              {"ZODUZOR_DIR=" + content.str(), "XDG_DATA_HOME=" + home.str(),
                               DATAQUILL_BINARY, "--check"},
                              cwd);
        EXPECT_EQ(r.exitCode, 1) << cwd;
        // The verdict follows the findings on standard output.
        EXPECT_EQ(r.out, (user / "data" / "A_GRUNT.NMI").string() +
                             R"(:6: health "12abc" is not a plain whole number: the game reads 12)"
                             "\n1 finding in " +
                             (content / "data").string() + " and " + (user / "data").string() +
                             "\n")
            << cwd;
        EXPECT_EQ(r.err, "") << cwd;
    }
}

struct Truncated
{
    const char* name;
    std::vector<std::string> lines;
    const char* finding;
};

class TruncatedFile : public ::testing::TestWithParam<Truncated>
{
};

// A file that ends early: the missing fields read as empty values.
TEST_P(TruncatedFile, NamesTheFirstMissingField)
{
    Folder f;
    AddCleanContent(f);
    f.Picture("enemy", "CUT.PNG");
    f.Picture("bullet", "CUT.png");
    f.Data(GetParam().name, CrLf(GetParam().lines));
    auto r = f.Check();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, std::string("data/") + GetParam().name + GetParam().finding +
                         "\n1 finding in data\n");
}

INSTANTIATE_TEST_SUITE_P(
    Files, TruncatedFile,
    ::testing::Values(
        Truncated{"cut.nmi",
                  {"CUT", "TRUE", "FALSE", "FALSE", "FALSE", "1", "AMMO", "1", "1"},
                  ":10: shooting frequency is missing"},
        Truncated{
            "cut.blt", {"CUT", "1", "2", "3", "4", "5", "1.000"}, ":8: acceleration is missing"},
        Truncated{"cut.bss", {"CUT", "TRUE", "FALSE"}, ":4: blue is missing"},
        Truncated{"002.LVL", {"NORM", "100"}, ":3: boss is missing"},
        Truncated{"cut.nmi",
                  {"CUT", "TRUE", "FALSE", "FALSE", "FALSE", "1 and some words that run on", "AMMO",
                   "1", "1", "1"},
                  ":7: bullet class should be on line 7 but the game reads \"run on\" from line "
                  "6 and later fields shift"},
        Truncated{"cut.nmi",
                  {"CUT", "TRUE FALSE", "FALSE", "FALSE", "FALSE", "1", "AMMO", "1", "1", "1"},
                  ":3: green should be on line 3 but the game reads \"FALSE\" from line 2 and "
                  "later fields shift"}));

TEST(DataquillCheck, MissingFolderFails)
{
    TempDir dir;
    auto r = harness::Run(DATAQUILL_BINARY, {"--check", "nothere"}, dir.str());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "nothere: no such data folder\n");
}

TEST(DataquillCheck, DefaultFolderIsDataOfTheWorkingDirectory)
{
    Folder f;
    AddCleanContent(f);
    EXPECT_EQ(harness::Run(DATAQUILL_BINARY, {"--check"}, f.str()).exitCode, 0);
    f.Data("001.LVL", CrLf({"NORM", "100", "NOBOSS", ""}));
    auto r = harness::Run(DATAQUILL_BINARY, {"--check"}, f.str());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("data/001.LVL:3: boss \"NOBOSS\""), std::string::npos) << r.out;
}

TEST(DataquillCheck, UsageOnHelpAndOnUnknownArguments)
{
    TempDir dir;
    auto help = harness::Run(DATAQUILL_BINARY, {"--help"}, dir.str());
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Usage: dataquill\n", 0), 0u) << help.out;
    auto bad = harness::Run(DATAQUILL_BINARY, {"--frobnicate"}, dir.str());
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err.rfind("Usage: dataquill", 0), 0u);
}

TEST(DataquillCheck, DefaultContentPasses)
{
    const fs::path data = fs::path(ZODUZOR_SOURCE_DIR) / "game" / "data";
    ASSERT_TRUE(fs::is_directory(data)) << "no default content at " << data;
    auto r = harness::Run(DATAQUILL_BINARY, {"--check", data.string()});
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, "0 findings in " + data.string() + "\n");
}

} // namespace
