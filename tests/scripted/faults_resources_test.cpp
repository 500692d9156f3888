// Faults of the resources: no images, no sounds, no fonts, no sound device.
// Every screen must still work and the program must end normally.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness.h"

namespace {

namespace fs = std::filesystem;
using harness::GameDir;
using nlohmann::json;

// A walk through every screen with a screenshot and a dump on each.
std::string EveryScreen()
{
    std::string s;
    int t = 200;
    auto at = [&](const std::string& e, int step = 100) {
        s += std::to_string(t) + " " + e + "\n";
        t += step;
    };
    auto shot = [&](const std::string& name) {
        at("screenshot " + name + ".png");
        at("dump " + name + ".json");
    };
    shot("menu");
    at("press VK_RETURN", 3000); // play
    at("keydown VK_SPACE", 2000);
    at("keyup VK_SPACE");
    at("mousemove 500 400");
    shot("game");
    at("close", 300);
    at("press VK_DOWN");
    at("press VK_RETURN"); // level choice
    at("press 2");
    shot("load");
    at("press VK_ESCAPE");
    for (int i = 0; i < 2; ++i) {
        at("press VK_DOWN");
    }
    at("press VK_RETURN"); // options
    shot("opti");
    for (int i = 0; i < 3; ++i) {
        at("press VK_DOWN");
    }
    at("press VK_RETURN"); // key settings
    at("press VK_RETURN");
    at("press Q");
    shot("keys");
    at("close");
    at("close");
    for (int i = 0; i < 3; ++i) {
        at("press VK_DOWN");
    }
    at("press VK_RETURN"); // high scores
    shot("high");
    at("press VK_ESCAPE");
    for (int i = 0; i < 4; ++i) {
        at("press VK_DOWN");
    }
    at("press VK_RETURN", 2000); // credits
    shot("cred");
    at("press VK_ESCAPE");
    shot("back");
    at("quit");
    return s;
}

// Width and height of a PNG file, from its header.
std::pair<int, int> PngSize(const std::string& png)
{
    if (png.size() < 24 || png.compare(1, 3, "PNG") != 0) {
        return {0, 0};
    }
    auto be = [&](size_t at) {
        return (static_cast<unsigned char>(png[at]) << 24) |
               (static_cast<unsigned char>(png[at + 1]) << 16) |
               (static_cast<unsigned char>(png[at + 2]) << 8) |
               static_cast<unsigned char>(png[at + 3]);
    };
    return {be(16), be(20)};
}

void ExpectEveryScreenWorked(const GameDir& dir, const harness::RunResult& r)
{
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<std::pair<std::string, std::string>> screens = {
        {"menu", "MENU"}, {"game", "GAME"}, {"load", "LOAD"}, {"opti", "OPTI"},
        {"keys", "KEYS"}, {"high", "HIGH"}, {"cred", "CRED"}, {"back", "MENU"}};
    for (const auto& [name, mode] : screens) {
        EXPECT_EQ(dir.Dump(name + ".json")["operationMode"], mode) << name;
        EXPECT_EQ(PngSize(dir.Read(name + ".png")), std::make_pair(800, 700)) << name;
    }
    const json game = dir.Dump("game.json")["game"];
    EXPECT_GT(game["level"]["time"].get<int>(), 1500) << "the level did not run";
    EXPECT_EQ(dir.Dump("load.json")["levelChoice"]["try"], "2");
    EXPECT_EQ(dir.Dump("keys.json")["settings"]["keys"][0], 81) << "rebinding failed";
}

TEST(Faults, NoImagesAtAllEveryScreenStillWorks)
{
    GameDir dir;
    fs::remove_all(dir / "res");
    ExpectEveryScreenWorked(dir, dir.Play(EveryScreen()));
}

TEST(Faults, DamagedImagesEveryScreenStillWorks)
{
    GameDir dir;
    // Every picture replaced: some by nothing, some by text, some cut short.
    int n = 0;
    for (const auto& e : fs::recursive_directory_iterator(dir / "res")) {
        if (e.is_regular_file() && e.path().extension() == ".png") {
            const std::string png = harness::ReadFile(e.path());
            const std::string spoilt = n % 3 == 0   ? ""
                                       : n % 3 == 1 ? "not a picture"
                                                    : png.substr(0, png.size() / 2);
            harness::WriteFile(e.path(), spoilt);
            ++n;
        }
    }
    ASSERT_GT(n, 20);
    ExpectEveryScreenWorked(dir, dir.Play(EveryScreen()));
}

TEST(Faults, NoSoundsThePlayGoesOnWithTheSameCommands)
{
    GameDir dir;
    int removed = 0;
    for (const auto& theme : fs::directory_iterator(dir / "res")) {
        for (const auto& sub : fs::directory_iterator(theme.path())) {
            if (sub.is_directory() && sub.path().filename() == "snd") {
                removed += static_cast<int>(fs::remove_all(sub.path()));
            }
        }
    }
    ASSERT_GT(removed, 0);
    const auto r = dir.Play(EveryScreen(), {"--mci-log", dir.str() + "/mci.log"});
    ExpectEveryScreenWorked(dir, r);
    const std::string log = dir.Read("mci.log");
    EXPECT_NE(log.find("play BG repeat"), std::string::npos) << "menu music was not even asked for";
}

using harness::ScopedEnv;

TEST(Faults, NoFontsTextsAreLeftOutWithOneWarning)
{
    GameDir dir;
    fs::remove_all(dir / "res/fonts");
    dir.Write("fonts.conf", "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n");
    ScopedEnv conf("FONTCONFIG_FILE", (dir / "fonts.conf").string());
    ScopedEnv cache("XDG_CACHE_HOME", (dir / "cache").string());
    const auto r = dir.Play(EveryScreen());
    ExpectEveryScreenWorked(dir, r);
    const std::string warning = "texts are not drawn";
    const size_t first = r.err.find(warning);
    EXPECT_NE(first, std::string::npos) << r.err;
    EXPECT_EQ(r.err.find(warning, first + 1), std::string::npos) << "warned more than once:\n"
                                                                 << r.err;
}

// ---------------------------------------------------------------- no sound device

// A virtual X server for the life of the object, on a display it picks.
class VirtualDisplay
{
  public:
    VirtualDisplay()
    {
        if (access("/usr/bin/Xvfb", X_OK) != 0) {
            return;
        }
        int fds[2];
        if (pipe(fds) != 0) {
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds[1], 3);
            const int devnull = open("/dev/null", O_WRONLY);
            dup2(devnull, 1);
            dup2(devnull, 2);
            execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24",
                  "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        char buf[16] = {};
        const ssize_t n = read(fds[0], buf, sizeof buf - 1);
        close(fds[0]);
        if (n > 0) {
            display_ = ":" + std::string(buf, static_cast<size_t>(n));
            while (!display_.empty() && (display_.back() == '\n' || display_.back() == ' ')) {
                display_.pop_back();
            }
        }
    }
    ~VirtualDisplay()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;
    const std::string& Name() const { return display_; }

  private:
    pid_t pid_ = -1;
    std::string display_;
};

class NoSoundDevice : public ::testing::TestWithParam<const char*>
{
};

// In a real window, with a sound driver that gives no device, the game
// plays silently: music and effects are asked for and the play goes on.
TEST_P(NoSoundDevice, TheGameRunsSilently)
{
    VirtualDisplay x;
    if (x.Name().empty()) {
        GTEST_SKIP() << "no virtual X server";
    }
    GameDir dir;
    ScopedEnv display("DISPLAY", x.Name());
    ScopedEnv audio("SDL_AUDIODRIVER", GetParam());
    ScopedEnv video("SDL_VIDEODRIVER", "x11");
    // The system's D-Bus library keeps one buffer to the end; not ours.
    dir.Write("lsan.supp", "leak:libdbus-1.so\n");
    ScopedEnv lsan("LSAN_OPTIONS", "suppressions=" + (dir / "lsan.supp").string());
    dir.Write("test.script",
              "300 click 340 313\n2500 keydown VK_SPACE\n3500 dump a.json\n3600 close\n"
              "3800 dump b.json\n3900 quit\n");
    const auto r = harness::Run(ZODUZOR_BINARY,
                                {"--dir", dir.str(), "--script", (dir / "test.script").string(),
                                 "--mci-log", (dir / "mci.log").string(), "--max-time", "10000"},
                                dir.str(), "", 60);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const json a = dir.Dump("a.json");
    EXPECT_EQ(a["operationMode"], "GAME");
    EXPECT_GT(a["game"]["level"]["time"].get<int>(), 1500);
    EXPECT_FALSE(a["game"]["playerBullets"].empty()) << "fire did nothing";
    EXPECT_EQ(dir.Dump("b.json")["operationMode"], "MENU");
    const std::string log = dir.Read("mci.log");
    EXPECT_NE(log.find("bgm1.mp3"), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(Faults, NoSoundDevice, ::testing::Values("dummy", "nosuchdriver"));

} // namespace
