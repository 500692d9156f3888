// Case-insensitive path lookups stay exact while folders change under them
// (their listings are cached), and a presented frame replaces the last one
// wholly, however the two differ in size.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "harness.h"
#include "shell_testing.h"
#include "win32_testing.h"

namespace {

namespace fs = std::filesystem;

// Waits until a folder's last change is old enough for its listing to be reused.
void Settle()
{
    usleep(120'000);
}

timespec ModTime(const fs::path& dir)
{
    struct stat st
    {
    };
    stat(dir.c_str(), &st);
    return st.st_mtim;
}

void SetModTime(const fs::path& dir, const timespec& t)
{
    timespec times[2] = {t, t};
    ASSERT_EQ(utimensat(AT_FDCWD, dir.c_str(), times, 0), 0);
}

TEST(FolderCache, ChangesToAFolderAreSeenAtOnce)
{
    harness::TempDir dir;
    const fs::path folder = dir / "res";
    harness::WriteFile(folder / "Keep.png", "x");
    harness::WriteFile(folder / "Gone.PNG", "x");
    const std::string root = dir.str() + "/res/";
    Settle();
    // Listed once (missing names make the lookup scan the folder).
    ASSERT_EQ(w32::ResolvePath(root + "keep.PNG"), root + "Keep.png");
    ASSERT_EQ(w32::ResolvePath(root + "new.png"), root + "new.png");

    harness::WriteFile(folder / "NEW.png", "x");
    EXPECT_EQ(w32::ResolvePath(root + "new.png"), root + "NEW.png") << "a created file";

    Settle();
    ASSERT_EQ(w32::ResolvePath(root + "gone.png"), root + "Gone.PNG");
    fs::remove(folder / "Gone.PNG");
    EXPECT_EQ(w32::ResolvePath(root + "gone.png"), root + "gone.png") << "a removed file";

    // A file written aside and renamed over the name, as settings are saved.
    Settle();
    ASSERT_EQ(w32::ResolvePath(root + "settings.list"), root + "settings.list");
    harness::WriteFile(folder / "Settings.tmp", "x");
    fs::rename(folder / "Settings.tmp", folder / "Settings.LIST");
    EXPECT_EQ(w32::ResolvePath(root + "SETTINGS.list"), root + "Settings.LIST") << "a rename";

    // A change whose folder time was put back is still seen (the change time moves).
    Settle();
    ASSERT_EQ(w32::ResolvePath(root + "hidden.png"), root + "hidden.png");
    const timespec before = ModTime(folder);
    harness::WriteFile(folder / "Hidden.png", "x");
    SetModTime(folder, before);
    EXPECT_EQ(w32::ResolvePath(root + "hidden.png"), root + "Hidden.png");
}

TEST(FolderCache, AFolderReplacedUnderTheSamePathIsListedAfresh)
{
    harness::TempDir dir;
    const std::string root = dir.str() + "/data/";
    harness::WriteFile(dir / "data/Old.nmi", "x");
    Settle();
    ASSERT_EQ(w32::ResolvePath(root + "old.nmi"), root + "Old.nmi");
    fs::remove_all(dir / "data");
    harness::WriteFile(dir / "data/OLD.NMI", "x");
    Settle();
    EXPECT_EQ(w32::ResolvePath(root + "old.nmi"), root + "OLD.NMI");
}

TEST(FolderCache, RelativePathsFollowTheWorkingFolder)
{
    harness::TempDir a, b;
    harness::WriteFile(a / "res/Ship.png", "x");
    harness::WriteFile(b / "res/SHIP.PNG", "x");
    Settle();
    const fs::path old = fs::current_path();
    for (int round = 0; round < 2; ++round) {
        fs::current_path(a.path());
        EXPECT_EQ(w32::ResolvePath(".\\RES\\ship.png"), "./res/Ship.png");
        fs::current_path(b.path());
        EXPECT_EQ(w32::ResolvePath(".\\RES\\ship.png"), "./res/SHIP.PNG");
    }
    fs::current_path(old);
}

TEST(FolderCache, NamesDifferingOnlyInCaseResolveToTheFirstInOrder)
{
    struct Case
    {
        std::vector<std::string> files;
        std::string asked;
        std::string found;
    };
    const Case cases[] = {
        {{"data.TXT", "DATA.txt"}, "Data.Txt", "DATA.txt"},
        {{"b.png", "B.PNG", "B.png"}, "b.Png", "B.PNG"},
        {{"only.dat"}, "ONLY.DAT", "only.dat"},
        {{"x.dat"}, "y.dat", "y.dat"},
    };
    for (const Case& c : cases) {
        harness::TempDir dir;
        for (const auto& f : c.files)
            harness::WriteFile(dir / f, "x");
        for (int settled = 0; settled < 2; ++settled) {
            if (settled)
                Settle();
            // Twice each: once listing the folder, once from its listing.
            for (int again = 0; again < 2; ++again) {
                EXPECT_EQ(w32::ResolvePath(dir.str() + "/" + c.asked), dir.str() + "/" + c.found)
                    << c.asked;
            }
        }
    }
}

TEST(Present, AFrameReplacesTheLastOneWhateverItsSize)
{
    w32::testing::Reset(true);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "PresentTest";
    ASSERT_NE(RegisterClassA(&wc), 0);
    HWND hwnd = CreateWindowExA(0, "PresentTest", "t", 0, 0, 0, 806, 729, nullptr, nullptr, nullptr,
                                nullptr);
    ASSERT_NE(hwnd, nullptr);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    ASSERT_NE(dc, nullptr);
    const auto& frame = w32::testing::WindowFrame();

    std::vector<uint32_t> full(900 * 750, 0xFFFFFFFFu); // larger than the window: cut
    dc->target.present(dc, full.data(), 900, 750, 900 * 4);
    ASSERT_EQ(frame.size(), 800u * 700u);
    EXPECT_EQ(frame[699 * 800 + 799], 0xFFFFFFFFu);

    // A smaller buffer with rows longer than its width (a wider pitch).
    std::vector<uint32_t> small(16 * 3, 0xFF0000FFu);
    for (int y = 0; y < 3; ++y) {
        for (int x = 10; x < 16; ++x)
            small[y * 16 + x] = 0xFFFF0000u; // beyond the width
    }
    dc->target.present(dc, small.data(), 10, 3, 16 * 4);
    EXPECT_EQ(frame[2 * 800 + 9], 0xFF0000FFu);
    EXPECT_EQ(frame[2 * 800 + 10], 0xFF000000u) << "right of the buffer is black again";
    EXPECT_EQ(frame[3 * 800], 0xFF000000u) << "below the buffer is black again";
    EXPECT_EQ(frame[699 * 800 + 799], 0xFF000000u);

    // The same frame once more, then one pixel changed.
    dc->target.present(dc, small.data(), 10, 3, 16 * 4);
    EXPECT_EQ(frame[0], 0xFF0000FFu);
    small[1 * 16 + 4] = 0xFF00FF00u;
    dc->target.present(dc, small.data(), 10, 3, 16 * 4);
    EXPECT_EQ(frame[1 * 800 + 4], 0xFF00FF00u);
    EndPaint(hwnd, &ps);
    DestroyWindow(hwnd);
}

} // namespace
