// The user folder laid over the content folder: its data and res files win
// file by file, folders list the files of both, the two .list files live in
// it, and changes to either folder are seen at once.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "harness.h"
#include "host_api.h"
#include "shell.h"
#include "win32.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> List(const char* pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(pattern, &data);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        names.push_back(data.cFileName);
    } while (FindNextFileA(h, &data));
    FindClose(h);
    return names;
}

// The content folder as the working folder, with a user folder over it.
class UserFolder : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(w32::UseUserFolder(user_.str()));
        mine_ = fs::absolute(user_.path()).lexically_normal().string();
    }
    void TearDown() override { w32::UseUserFolder(""); }

    harness::TempDir content_, user_;
    harness::ScopedCwd cwd_{content_.path()};
    std::string mine_; // the user folder as the layer names it
};

TEST_F(UserFolder, UserFilesWinOneByOneAndFoldersListBoth)
{
    for (const char* f : {"data/001.LVL", "data/A.nmi", "data/B.nmi", "res/norm/osd/BG.png",
                          "res/bike/osd/BG.png", "res/norm/snd/Fire.wav"})
        harness::WriteFile(content_ / f, "install");
    for (const char* f : {"DATA/b.NMI", "DATA/C.nmi", "Res/NORM/osd/bg.PNG"})
        harness::WriteFile(user_ / f, "mine");

    EXPECT_EQ(w32::ResolvePath(".\\data\\001.LVL"), "./data/001.LVL");
    EXPECT_EQ(w32::ResolvePath(".\\data\\B.nmi"), mine_ + "/DATA/b.NMI");
    EXPECT_EQ(w32::ResolvePath(".\\data\\c.nmi"), mine_ + "/DATA/C.nmi");
    EXPECT_EQ(w32::ResolvePath(".\\RES\\norm\\osd\\BG.png"), mine_ + "/Res/NORM/osd/bg.PNG");
    EXPECT_EQ(w32::ResolvePath(".\\res\\bike\\osd\\BG.png"), "./res/bike/osd/BG.png");
    EXPECT_EQ(w32::ResolvePath(".\\res\\norm\\snd\\fire.WAV"), "./res/norm/snd/Fire.wav");
    EXPECT_EQ(w32::ResolvePath("shot.png"), "shot.png") << "other files stay in the working folder";

    EXPECT_EQ(GetFileAttributesA(".\\data\\C.NMI"), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(GetFileAttributesA(".\\res\\norm\\osd"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesA(".\\data\\D.nmi"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(List(".\\data\\*.NMI"), (std::vector<std::string>{"A.nmi", "b.NMI", "C.nmi"}));
    EXPECT_EQ(List(".\\data\\*.LVL"), (std::vector<std::string>{"001.LVL"}));
}

TEST_F(UserFolder, TheListFilesLiveInTheUserFolderOnly)
{
    harness::WriteFile(content_ / "HighScores.list", "install");
    harness::WriteFile(user_ / "USERSETTINGS.LIST", "mine");
    EXPECT_EQ(w32::ResolvePath("UserSettings.list"), mine_ + "/USERSETTINGS.LIST");
    EXPECT_EQ(w32::ResolvePath(".\\HighScores.list"), mine_ + "/HighScores.list");
    EXPECT_EQ(GetFileAttributesA("HighScores.list"), INVALID_FILE_ATTRIBUTES);

    w32::UseUserFolder(""); // portable: everything in the content folder
    EXPECT_EQ(w32::ResolvePath("UserSettings.list"), "UserSettings.list");
    EXPECT_EQ(w32::ResolvePath(".\\data\\A.nmi"), "./data/A.nmi");
    EXPECT_EQ(GetFileAttributesA("HighScores.list"), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(UserFolder, OverridesAddedAndRemovedWhileRunningAreSeenAtOnce)
{
    harness::WriteFile(content_ / "res/norm/enemy/SCOUT.PNG", "install");
    harness::WriteFile(user_ / "res/norm/osd/BG.png", "mine");
    usleep(120'000); // old enough for the folders' listings to be kept
    const char* scout = ".\\res\\norm\\enemy\\scout.png";
    ASSERT_EQ(w32::ResolvePath(scout), "./res/norm/enemy/SCOUT.PNG");

    // A new folder in the user folder's tree, then a file in it.
    harness::WriteFile(user_ / "res/norm/enemy/Scout.png", "mine");
    EXPECT_EQ(w32::ResolvePath(scout), mine_ + "/res/norm/enemy/Scout.png");
    EXPECT_EQ(List(".\\res\\norm\\enemy\\*.png"), (std::vector<std::string>{"Scout.png"}));

    usleep(120'000);
    ASSERT_EQ(w32::ResolvePath(scout), mine_ + "/res/norm/enemy/Scout.png");
    fs::remove(user_ / "res/norm/enemy/Scout.png");
    EXPECT_EQ(w32::ResolvePath(scout), "./res/norm/enemy/SCOUT.PNG") << "back to the install";
}

TEST(UserDataFolder, FollowsXdgDataHomeElseTheHomeFolder)
{
    harness::ScopedEnv home("HOME", "/home/ann");
    {
        harness::ScopedEnv xdg("XDG_DATA_HOME", "/srv/ann/data");
        EXPECT_EQ(w32::UserDataFolder(), "/srv/ann/data/zoduzor");
    }
    {
        harness::ScopedEnv xdg("XDG_DATA_HOME", "relative/data"); // to be ignored
        EXPECT_EQ(w32::UserDataFolder(), "/home/ann/.local/share/zoduzor");
    }
    harness::ScopedEnv xdg("XDG_DATA_HOME", std::nullopt);
    EXPECT_EQ(w32::UserDataFolder(), "/home/ann/.local/share/zoduzor");

    harness::TempDir dir;
    ASSERT_EQ(chmod(dir.path().c_str(), 0500), 0);
    if (geteuid() != 0) {
        EXPECT_FALSE(w32::UseUserFolder(dir.str() + "/zoduzor")) << "a folder that cannot be made";
        EXPECT_EQ(w32::UserFolder(), "");
    }
    ASSERT_EQ(chmod(dir.path().c_str(), 0700), 0);
    ASSERT_TRUE(w32::UseUserFolder(dir.str() + "/a/zoduzor"));
    EXPECT_EQ(fs::status(dir / "a/zoduzor").permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(w32::UserFolder(), (dir.path() / "a/zoduzor").lexically_normal().string());
    w32::UseUserFolder("");
}

} // namespace
