// The game as a player installs it: `cmake --install` into a temporary root
// (DESTDIR), the installed game run from another folder with a home of its
// own, a file of the player's folder overriding the installed one, the
// desktop entry and metadata, and the command line's own answers.
#include <unistd.h>

#include <SDL.h>
#include <SDL_image.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "harness.h"

namespace {

namespace fs = std::filesystem;
using harness::TempDir;

const std::string kRecording = std::string(ZODUZOR_SOURCE_DIR) + "/tests/replays/whole_game.script";
// The table the recorded game ends with.
const std::string kTableStart = "ace\r\n       115\r\n\r\n         0\r\n";

// A program on the PATH, or empty.
std::string Which(const std::string& name)
{
    std::istringstream path(std::getenv("PATH") ? std::getenv("PATH") : "");
    for (std::string dir; std::getline(path, dir, ':');) {
        const fs::path candidate = fs::path(dir) / name;
        if (!dir.empty() && access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
    }
    return "";
}

// Every file under `dir`, relative to it.
std::vector<std::string> FilesUnder(const fs::path& dir)
{
    std::vector<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        if (!e.is_directory())
            files.push_back(fs::relative(e.path(), dir).string());
    }
    return files;
}

// The game installed under /usr in a temporary root.
class Installed : public ::testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        root_ = new TempDir;
        harness::ScopedEnv destdir("DESTDIR", root_->str().c_str());
        const auto r = harness::Run(
            CMAKE_COMMAND_PATH, {"--install", ZODUZOR_BUILD_DIR, "--prefix", "/usr"}, "", "", 120);
        ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    }
    static void TearDownTestSuite()
    {
        delete root_;
        root_ = nullptr;
    }
    static fs::path Usr(const std::string& rel) { return root_->path() / "usr" / rel; }
    static fs::path Game() { return Usr(INSTALL_BINDIR "/zoduzor"); }
    static fs::path Share() { return Usr(INSTALL_DATADIR "/zoduzor"); }

    // Runs a program as the player does: from a folder of its own, with
    // HOME and XDG_DATA_HOME in a temporary folder and no ZODUZOR_DIR.
    harness::RunResult RunAsPlayer(const fs::path& program,
                                   const std::vector<std::string>& args) const
    {
        harness::ScopedEnv h("HOME", home_.str());
        harness::ScopedEnv xdg("XDG_DATA_HOME", (home_ / "data").string());
        harness::ScopedEnv noDir("ZODUZOR_DIR", std::nullopt);
        return harness::Run(program.string(), args, work_.str());
    }
    // Runs the installed game headless with a script, as the player does.
    harness::RunResult Play(const std::string& script) const
    {
        harness::WriteFile(home_ / "test.script", script);
        return RunAsPlayer(Game(), {"--headless", "--script", (home_ / "test.script").string()});
    }
    fs::path Mine(const std::string& rel) const { return home_ / "data/zoduzor" / rel; }

    // The player's files are in the user folder and nowhere else.
    void ExpectTheListFilesInTheUserFolderOnly() const
    {
        EXPECT_EQ(harness::ReadFile(Mine("HighScores.list")).rfind(kTableStart, 0), 0u)
            << harness::ReadFile(Mine("HighScores.list"));
        EXPECT_TRUE(fs::exists(Mine("UserSettings.list")));
        for (const auto& f : FilesUnder(root_->path()))
            EXPECT_EQ(f.find(".list"), std::string::npos) << "written into the install: " << f;
        EXPECT_TRUE(FilesUnder(work_.path()).empty()) << "written into the working folder";
    }

    static TempDir* root_;
    TempDir home_, work_;
};
TempDir* Installed::root_ = nullptr;

TEST_F(Installed, EveryFileIsInItsPlace)
{
    std::vector<fs::path> files = {
        Game(),
        Usr(INSTALL_BINDIR "/dataquill"),
        Usr(INSTALL_LIBDIR "/zoduzor/librastrum.so"),
        Share() / "data/001.LVL",
        Share() / "data/credits.txt",
        Share() / "res/menu/img/BG.png",
        Share() / "res/norm/hero.png",
        Usr(INSTALL_DATADIR "/applications/" APP_ID ".desktop"),
        Usr(INSTALL_DATADIR "/metainfo/" APP_ID ".metainfo.xml"),
        Usr(INSTALL_DATADIR "/icons/hicolor/scalable/apps/" APP_ID ".svg"),
        Usr(INSTALL_MANDIR "/man6/zoduzor.6.gz"),
        Usr(INSTALL_MANDIR "/man6/dataquill.6.gz"),
    };
    for (const fs::path& f : files)
        EXPECT_TRUE(fs::is_regular_file(f)) << f;
    // The icons, each of the size its folder names.
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const std::string dim = std::to_string(size) + "x" + std::to_string(size);
        const fs::path png = Usr(INSTALL_DATADIR "/icons/hicolor/" + dim + "/apps/" APP_ID ".png");
        SDL_Surface* s = IMG_Load(png.c_str());
        ASSERT_NE(s, nullptr) << png;
        EXPECT_EQ(s->w, size) << png;
        EXPECT_EQ(s->h, size) << png;
        SDL_FreeSurface(s);
    }
}

TEST_F(Installed, TheGameKeepsThePlayersFilesInTheUserFolder)
{
    const auto r = Play(harness::ReadFile(kRecording));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ExpectTheListFilesInTheUserFolderOnly();
}

TEST_F(Installed, AFileInTheUserFolderReplacesTheInstalledOne)
{
    // The main menu's background, named in other letter cases than installed.
    const Uint32 magenta = 0xFFFF00FFu;
    SDL_Surface* bg = SDL_CreateRGBSurfaceWithFormat(0, 800, 700, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_FillRect(bg, nullptr, magenta);
    fs::create_directories(Mine("RES/Menu/IMG"));
    ASSERT_EQ(IMG_SavePNG(bg, Mine("RES/Menu/IMG/bg.PNG").c_str()), 0);
    SDL_FreeSurface(bg);

    // The recorded game, with a picture of the main menu taken at its start.
    std::string script = harness::ReadFile(kRecording);
    const size_t firstEvent = script.find('\n') + 1;
    ASSERT_EQ(script.rfind("clock ", 0), 0u);
    const fs::path shot = home_ / "menu.png";
    script.insert(firstEvent, "100 screenshot " + shot.string() + "\n");
    const auto r = Play(script);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ExpectTheListFilesInTheUserFolderOnly();

    SDL_Surface* s = IMG_Load(shot.c_str());
    ASSERT_NE(s, nullptr);
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_ARGB8888, 0);
    const auto* px = static_cast<const Uint32*>(argb->pixels);
    const int pitch = argb->pitch / 4;
    EXPECT_EQ(px[2 * pitch + 2], magenta);
    EXPECT_EQ(px[690 * pitch + 790], magenta);
    SDL_FreeSurface(argb);
    SDL_FreeSurface(s);
}

TEST_F(Installed, TheDesktopEntryValidates)
{
    const fs::path entry = Usr(INSTALL_DATADIR "/applications/" APP_ID ".desktop");
    const std::string text = harness::ReadFile(entry);
    EXPECT_NE(text.find("\nStartupWMClass=Zoduzor\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nIcon=" APP_ID "\n"), std::string::npos) << text;
    const std::string tool = Which("desktop-file-validate");
    if (tool.empty())
        GTEST_SKIP() << "desktop-file-validate is missing (desktop-file-utils)";
    const auto r = harness::Run(tool, {entry.string()});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.out + r.err, "") << "warnings";
}

TEST_F(Installed, TheMetadataValidatesAndShowsOurScreens)
{
    const fs::path meta = Usr(INSTALL_DATADIR "/metainfo/" APP_ID ".metainfo.xml");
    const std::string text = harness::ReadFile(meta);
    const std::regex image("<image>[^<]*/([^/<]+)</image>");
    int shots = 0;
    for (std::sregex_iterator it(text.begin(), text.end(), image), end; it != end; ++it, ++shots)
        EXPECT_TRUE(fs::exists(fs::path(ZODUZOR_SOURCE_DIR) / "docs/screens" / (*it)[1].str()))
            << (*it)[1];
    EXPECT_GE(shots, 1);
    EXPECT_NE(text.find("<release version=\"" PROJECT_VERSION_TEXT "\""), std::string::npos);
    const std::string tool = Which("appstreamcli");
    if (tool.empty())
        GTEST_SKIP() << "appstreamcli is missing (appstream)";
    const auto r = harness::Run(tool, {"validate", "--no-net", meta.string()});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
}

TEST_F(Installed, WithoutContentAnywhereTheGameSaysWhereItLookedAndWritesNothing)
{
    // The program and its library without the content beside them.
    TempDir bare;
    const fs::path bin = bare / INSTALL_BINDIR;
    fs::create_directories(bin);
    fs::copy_file(Game(), bin / "zoduzor");
    fs::create_directories(bare / INSTALL_LIBDIR "/zoduzor");
    fs::copy_file(Usr(INSTALL_LIBDIR "/zoduzor/librastrum.so"),
                  bare / INSTALL_LIBDIR "/zoduzor/librastrum.so");
    const auto r = RunAsPlayer(bin / "zoduzor", {"--headless"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find("looked in " + bin.string() + ", "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find((bare / INSTALL_DATADIR "/zoduzor").string()), std::string::npos) << r.err;
    EXPECT_TRUE(FilesUnder(home_.path()).empty()) << "written into the home folder";
    EXPECT_TRUE(FilesUnder(work_.path()).empty()) << "written into the working folder";
    EXPECT_EQ(FilesUnder(bare.path()).size(), 2u) << "written beside the program";
}

// A library in the folder the game is started from is never loaded, by the
// game built in its build folder or the installed one.
TEST_F(Installed, TheGameLoadsNoLibraryFromTheFolderItIsStartedIn)
{
    harness::WriteFile(work_ / "libX11.so.6", "");
    for (const fs::path& game : {fs::path(ZODUZOR_BINARY), Game()}) {
        const auto r = RunAsPlayer(game, {"--version"});
        EXPECT_EQ(r.exitCode, 0) << game << ": " << r.err;
    }
}

TEST(CommandLine, HelpAndVersionAnswerAndExitZero)
{
    const auto help = harness::Run(ZODUZOR_BINARY, {"--help"});
    EXPECT_EQ(help.exitCode, 0) << help.err;
    EXPECT_EQ(help.out.rfind("usage: zoduzor [--dir DIR]", 0), 0u) << help.out;
    // Every option has its line here and in the manual page.
    const std::string page =
        harness::ReadFile(fs::path(ZODUZOR_SOURCE_DIR) / "packaging/man/zoduzor.6.in");
    for (std::string opt :
         {"--dir", "--headless", "--script", "--record", "--trace", "--mci-log", "--clock",
          "--max-time", "--replay", "--speed", "--help", "--version"}) {
        EXPECT_NE(help.out.find("\n  " + opt + " "), std::string::npos) << opt;
        const std::string escaped = std::regex_replace(opt, std::regex("-"), "\\-");
        EXPECT_NE(page.find(escaped), std::string::npos) << "the manual page lacks " << opt;
    }
    // So are the window's own keys and its settings file, and in the README too.
    const std::string readme = harness::ReadFile(fs::path(ZODUZOR_SOURCE_DIR) / "README.md");
    for (const char* key :
         {"F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12", "Alt+Enter", "Window.cfg"}) {
        EXPECT_NE(help.out.find(key), std::string::npos) << "--help lacks " << key;
        EXPECT_NE(page.find(key), std::string::npos) << "the manual page lacks " << key;
        EXPECT_NE(readme.find(key), std::string::npos) << "the README lacks " << key;
    }

    std::string expected = "zoduzor " PROJECT_VERSION_TEXT;
    if (!Which("git").empty()) {
        const auto git =
            harness::Run(Which("git"), {"-C", ZODUZOR_SOURCE_DIR, "log", "-1", "--format=%h"});
        if (git.exitCode == 0 && !git.out.empty())
            expected += " (commit " + git.out.substr(0, git.out.find('\n')) + ")";
    }
    const auto version = harness::Run(ZODUZOR_BINARY, {"--version"});
    EXPECT_EQ(version.exitCode, 0) << version.err;
    EXPECT_EQ(version.out, expected + "\n");

    const auto bad = harness::Run(ZODUZOR_BINARY, {"--versio"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.err.find("usage: zoduzor"), std::string::npos) << bad.err;
}

// The options named in `text`, sorted.
std::vector<std::string> Options(const std::string& text)
{
    static const std::regex option("(^|[ [|])(--?[a-z][a-z-]*)");
    std::vector<std::string> found;
    for (std::sregex_iterator it(text.begin(), text.end(), option), end; it != end; ++it)
        found.push_back((*it)[2]);
    std::sort(found.begin(), found.end());
    return found;
}

// The options of each usage line of a `--help`: the lines before the first
// empty one, where a line that does not start with the program's name
// continues the one before.
std::vector<std::vector<std::string>> UsageLines(const std::string& help,
                                                 const std::string& program)
{
    std::vector<std::string> lines;
    const std::regex start("^(usage: |Usage: | +)" + program + "( |$)");
    std::istringstream in(help);
    for (std::string line; std::getline(in, line) && !line.empty();) {
        if (std::regex_search(line, start) || lines.empty())
            lines.emplace_back();
        lines.back() += line + "\n";
    }
    std::vector<std::vector<std::string>> options;
    for (const std::string& line : lines)
        options.push_back(Options(line));
    return options;
}

// The same of a manual page's synopsis, whose lines are parted by .br.
std::vector<std::vector<std::string>> SynopsisLines(const std::string& page)
{
    const size_t from = page.find(".SH SYNOPSIS\n");
    const size_t to = page.find("\n.SH", from + 1);
    const std::string synopsis =
        std::regex_replace(page.substr(from, to - from) + "\n.br\n", std::regex(R"(\\-)"), "-");
    std::vector<std::vector<std::string>> options;
    for (size_t at = synopsis.find('\n'), br;
         (br = synopsis.find("\n.br\n", at)) != std::string::npos; at = br + 4)
        options.push_back(Options(synopsis.substr(at, br - at)));
    return options;
}

// Each usage line of --help shows every option it takes, and the manual
// page's synopsis shows the same lines; a replay takes exactly the options
// of its line.
TEST(CommandLine, EachUsageLineShowsEveryOptionItTakesAsTheManualPageDoes)
{
    const fs::path man = fs::path(ZODUZOR_SOURCE_DIR) / "packaging/man";
    for (const auto& [program, binary] :
         {std::pair<std::string, std::string>{"zoduzor", ZODUZOR_BINARY},
          {"dataquill", ZODUZOR_BUILD_DIR "/dataquill"}}) {
        const auto help = harness::Run(binary, {"--help"});
        ASSERT_EQ(help.exitCode, 0) << help.err;
        const auto lines = UsageLines(help.out, program);
        EXPECT_GE(lines.size(), 3u) << help.out;
        EXPECT_EQ(lines, SynopsisLines(harness::ReadFile(man / (program + ".6.in")))) << program;
    }

    const auto lines = UsageLines(harness::Run(ZODUZOR_BINARY, {"--help"}).out, "zoduzor");
    ASSERT_EQ(lines.size(), 3u);
    const std::vector<std::string>& replay = lines[1];
    TempDir dir;
    const std::string file = (dir / "file").string();
    const std::map<std::string, std::string> values = {{"--dir", dir.str()},
                                                       {"--speed", "1"},
                                                       {"--max-time", "100"},
                                                       {"--clock", "2000-01-01T12:00:00.00"}};
    for (const std::string& opt : lines[0]) {
        std::vector<std::string> args = {"--replay", (dir / "none.replay").string(), opt};
        if (opt != "--headless")
            args.push_back(values.count(opt) ? values.at(opt) : file);
        const auto r = harness::Run(ZODUZOR_BINARY, args, dir.str());
        const bool taken = r.err.find("usage: zoduzor") == std::string::npos;
        EXPECT_EQ(taken, std::count(replay.begin(), replay.end(), opt) == 1)
            << opt << ": " << r.err;
    }
}

} // namespace
