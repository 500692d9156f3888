// The whole program started headless: start-up order, leaving, time limits,
// bad scripts and options, screenshots, sound commands, fatal errors,
// state checks and replays of recordings.
#include <SDL.h>
#include <SDL_image.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "harness.h"

namespace {

using harness::GameDir;
using harness::Lines;
namespace fs = std::filesystem;

// "<ms> <MODE> <MESSAGE> ..." split into words.
std::vector<std::vector<std::string>> TraceWords(const std::string& text)
{
    std::vector<std::vector<std::string>> out;
    for (const auto& l : Lines(text)) {
        std::istringstream in(l);
        std::vector<std::string> w;
        for (std::string s; in >> s;)
            w.push_back(s);
        out.push_back(w);
    }
    return out;
}

int Count(const std::vector<std::vector<std::string>>& t, const std::string& mode,
          const std::string& msg)
{
    int n = 0;
    for (const auto& w : t)
        n += w.size() >= 3 && w[1] == mode && w[2] == msg;
    return n;
}

TEST(Shell, StartUpEndsInitTwiceAndBeginsTheMenuOnce)
{
    GameDir g;
    auto r = g.Play("100 dump d.json\n200 quit\n", {"--trace", g.str() + "/trace.txt"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto t = TraceWords(g.Read("trace.txt"));
    ASSERT_GE(t.size(), 4u);
    EXPECT_EQ(Count(t, "INIT", "END"), 2);
    EXPECT_EQ(Count(t, "INIT", "BEGIN"), 1);
    EXPECT_EQ(Count(t, "MENU", "BEGIN"), 1);
    EXPECT_EQ(t[0][2], "END");
    EXPECT_EQ(t[1][2], "BEGIN");
    EXPECT_EQ(t[2][2], "END");
    EXPECT_EQ((std::vector<std::string>{t[3][1], t[3][2]}),
              (std::vector<std::string>{"MENU", "BEGIN"}));
    for (const auto& w : t) {
        ASSERT_GE(w.size(), 5u);
        EXPECT_NE(w[2], "WM_CREATE");
        EXPECT_NE(w[2], "WM_DESTROY");
        // The play-mode messages are the third and fourth registered numbers.
        EXPECT_NE(w[2], "0xC002");
        EXPECT_NE(w[2], "0xC003");
    }
    const auto d = g.Dump("d.json");
    EXPECT_EQ(d["operationMode"], "MENU");
    EXPECT_EQ(d["playMode"], "menu");
    EXPECT_EQ(d["time"], 100);
}

TEST(Shell, ClosingTheMainMenuEndsTheProgram)
{
    GameDir g;
    auto r = g.Play("500 close\n900000 dump never.json\n",
                    {"--trace", g.str() + "/trace.txt", "--mci-log", g.str() + "/mci.txt"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_FALSE(g.Exists("never.json"));
    const auto t = TraceWords(g.Read("trace.txt"));
    ASSERT_GE(t.size(), 3u);
    const auto& last = t.back();
    const auto& beforeLast = t[t.size() - 2];
    EXPECT_EQ((std::vector<std::string>{beforeLast[0], beforeLast[1], beforeLast[2]}),
              (std::vector<std::string>{"500", "MENU", "END"}));
    EXPECT_EQ((std::vector<std::string>{last[1], last[2]}),
              (std::vector<std::string>{"INIT", "BEGIN"}));
    // The menu's music command comes first, and leaving the menu closes every sound.
    const auto mci = Lines(g.Read("mci.txt"));
    ASSERT_FALSE(mci.empty());
    EXPECT_NE(std::find(mci.begin(), mci.end(), "play BG repeat"), mci.end());
    EXPECT_EQ(mci.back(), "close all");
}

TEST(Shell, TheTimeLimitEndsAnIdleRun)
{
    GameDir g;
    auto r = g.Play("4000 dump early.json\n6000 dump late.json\n", {"--max-time", "5000"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(g.Exists("early.json"));
    EXPECT_FALSE(g.Exists("late.json"));
}

TEST(Shell, BadScriptsAndOptionsStopBeforeTheStart)
{
    GameDir g;
    auto r =
        g.Play("100 press VK_DOWN\n200 fly away\n300 quit\n", {"--trace", g.str() + "/trace.txt"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("test.script:2"), std::string::npos) << r.err;
    EXPECT_TRUE(g.Read("trace.txt").empty()) << "no screen may have begun";
    for (const char* pad : {"pad down", "pad down turbo", "pad press a", "pad axis leftx",
                            "pad axis leftx 32768", "pad axis +leftx 100", "pad axis a 100"}) {
        auto bad = g.Play(std::string("100 pad down a\n200 ") + pad + "\n300 quit\n");
        EXPECT_EQ(bad.exitCode, 2) << pad;
        EXPECT_NE(bad.err.find("test.script:2"), std::string::npos) << pad << ": " << bad.err;
    }

    auto opt = g.Play("100 quit\n", {"--sideways"});
    EXPECT_EQ(opt.exitCode, 2);
    EXPECT_NE(opt.err.find("--sideways"), std::string::npos) << opt.err;
    EXPECT_EQ(g.Play("100 quit\n", {"--max-time", "soon"}).exitCode, 2);
    EXPECT_EQ(g.Play("100 quit\n", {"--clock", "yesterday"}).exitCode, 2);

    // A folder is no script: it is refused as an unreadable file is.
    fs::create_directory(g / "folder.script");
    auto folder = harness::Run(
        ZODUZOR_BINARY, {"--dir", g.str(), "--headless", "--script", g.str() + "/folder.script"},
        g.str());
    EXPECT_EQ(folder.exitCode, 2);
    EXPECT_NE(folder.err.find("folder.script:0: cannot read the script"), std::string::npos)
        << folder.err;
}

TEST(Shell, AScreenshotIsTheWholeClientArea)
{
    GameDir g;
    auto r = g.Play("100 screenshot shot.png\n200 quit\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    SDL_Surface* s = IMG_Load((g.path() / "shot.png").c_str());
    ASSERT_NE(s, nullptr) << IMG_GetError();
    EXPECT_EQ(s->w, 800);
    EXPECT_EQ(s->h, 700);
    // The menu is painted: not every pixel is the black of an empty window.
    SDL_Surface* c = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_ARGB8888, 0);
    ASSERT_NE(c, nullptr);
    bool drawn = false;
    const auto* px = static_cast<const uint32_t*>(c->pixels);
    for (int i = 0; i < c->w * c->h && !drawn; ++i)
        drawn = (px[i] & 0xFFFFFF) != 0;
    EXPECT_TRUE(drawn);
    SDL_FreeSurface(c);
    SDL_FreeSurface(s);
}

// Without a display, a window that would show nowhere counts as a window
// that could not be made, unless the user named that video driver. The
// message says in plain words why, naming the variables only when unset.
struct NoDisplayCase
{
    const char* name;
    std::optional<std::string> videoDriver; // SDL_VIDEODRIVER
    bool fails;
    std::optional<std::string> x = std::nullopt; // DISPLAY
};

class NoDisplay : public ::testing::TestWithParam<NoDisplayCase>
{
};

TEST_P(NoDisplay, TheWindowFailsFatallyUnlessAnInvisibleDriverIsNamed)
{
    GameDir g;
    harness::ScopedEnv display("DISPLAY", GetParam().x);
    harness::ScopedEnv wayland("WAYLAND_DISPLAY", std::nullopt);
    harness::ScopedEnv video("SDL_VIDEODRIVER", GetParam().videoDriver);
    harness::ScopedEnv audio("SDL_AUDIODRIVER", "dummy");
    g.Write("test.script", "2500 quit\n");
    const auto start = std::chrono::steady_clock::now();
    auto r = harness::Run(
        ZODUZOR_BINARY,
        {"--dir", g.str(), "--script", g.str() + "/test.script", "--max-time", "10000"}, g.str());
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    if (!GetParam().fails) {
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return;
    }
    EXPECT_EQ(r.exitCode, 9) << r.err;
    EXPECT_NE(r.err.find("Fatal Error: Window Creation failed (no display: "), std::string::npos)
        << r.err;
    const std::string why = GetParam().x ? "" : ": DISPLAY and WAYLAND_DISPLAY are unset";
    EXPECT_NE(r.err.find(")\nNo graphical display was found" + why + ".\n"), std::string::npos)
        << r.err;
    EXPECT_LT(ms, 2000) << "the program did not give up at once";
}

INSTANTIATE_TEST_SUITE_P(Shell, NoDisplay,
                         ::testing::Values(NoDisplayCase{"X11", "x11", true},
                                           NoDisplayCase{"X11ServerGone", "x11", true, ":4242"},
                                           NoDisplayCase{"WhateverSdlPicks", std::nullopt, true},
                                           NoDisplayCase{"OffscreenByName", "offscreen", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Shell, AWrongCheckStopsTheRunNamingTheTime)
{
    GameDir g;
    auto r = g.Play("1234 check 0123456789abcdef\n2000 dump after.json\n");
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_NE(r.err.find("1234"), std::string::npos) << r.err;
    EXPECT_FALSE(g.Exists("after.json"));
}

TEST(Shell, ARecordingReplaysToTheSameState)
{
    GameDir g;
    const std::string session = "100 press VK_DOWN\n200 press VK_DOWN\n300 press VK_UP\n"
                                "400 mousemove 5 5\n500 dump first.json\n600 quit\n";
    auto r =
        g.Play(session, {"--record", g.str() + "/rec.script", "--clock", "2003-04-05T06:07:08.09"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string rec = g.Read("rec.script");
    ASSERT_EQ(rec.rfind("clock 2003-04-05T06:07:08.09\n", 0), 0u) << rec;
    EXPECT_NE(rec.find("100 keydown"), std::string::npos) << rec;
    EXPECT_NE(rec.find("400 mousemove 5 5"), std::string::npos) << rec;
    g.Write("replay.script", rec + "500 dump second.json\n600 quit\n");
    auto again = harness::Run(
        ZODUZOR_BINARY, {"--dir", g.str(), "--headless", "--script", g.str() + "/replay.script"},
        g.str());
    ASSERT_EQ(again.exitCode, 0) << again.err;
    auto a = g.Dump("first.json"), b = g.Dump("second.json");
    EXPECT_EQ(a["menu"], b["menu"]);
    EXPECT_EQ(a, b);
}

// Without --dir, the files a script writes and a replay's own name are taken
// from the folder the program was started in, as the option files are, not
// from the content folder.
TEST(Shell, FilesOfAScriptAreTakenFromTheStartFolder)
{
    GameDir content;
    harness::TempDir start;
    harness::ScopedEnv dir("ZODUZOR_DIR", content.str());
    harness::WriteFile(start / "shots.script", "100 screenshot shot.png\n100 dump state.json\n"
                                               "200 quit\n");
    auto r = harness::Run(ZODUZOR_BINARY, {"--headless", "--script", "shots.script"}, start.str());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::exists(start / "shot.png"));
    EXPECT_TRUE(fs::exists(start / "state.json"));
    EXPECT_FALSE(content.Exists("shot.png") || content.Exists("state.json"));
    harness::WriteFile(start / "menu.script", "100 press VK_DOWN\n");
    auto replay =
        harness::Run(ZODUZOR_BINARY, {"--headless", "--replay", "menu.script"}, start.str());
    EXPECT_EQ(replay.exitCode, 0) << replay.err;
    EXPECT_EQ(replay.out, "ok\n");
}

} // namespace

namespace {

// A repaint asked for at one instant is delivered at that instant, before
// script input of a later one; input of the same instant goes first.
TEST(Shell, ARepaintComesAtItsOwnInstantBeforeLaterInput)
{
    GameDir g;
    auto r = g.Play("100 keydown VK_DOWN\n100 keydown VK_DOWN\n250 keydown VK_UP\n300 quit\n",
                    {"--trace", g.str() + "/trace.txt"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> order;
    for (const auto& w : TraceWords(g.Read("trace.txt"))) {
        if (w.size() >= 3 && w[0] != "0")
            order.push_back(w[0] + " " + w[2]);
    }
    const std::vector<std::string> expected = {"100 WM_KEYDOWN", "100 WM_KEYDOWN", "100 WM_PAINT",
                                               "250 WM_KEYDOWN", "250 WM_PAINT"};
    EXPECT_EQ(order, expected);
}

} // namespace

namespace {

// The pid of a process that has ended (and been reaped).
pid_t EndedPid()
{
    const pid_t pid = fork();
    if (pid == 0)
        _exit(0);
    waitpid(pid, nullptr, 0);
    return pid;
}

} // namespace

// SIGINT, SIGTERM and SIGHUP end a run at once, as its own end does, on a
// screen where nothing else would end it for hours.
TEST(Shell, SignalsEndTheRunFromAnyScreenWithinASecond)
{
    GameDir g;
    g.Write("test.script",
            "500 keydown 13\n500 keyup 13\n600 dump ready.json\n36000000 dump late.json\n");
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        fs::remove(g / "ready.json");
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            execl(ZODUZOR_BINARY, ZODUZOR_BINARY, "--dir", g.str().c_str(), "--headless",
                  "--script", (g / "test.script").c_str(), nullptr);
            _exit(127);
        }
        // In play: the game has begun (the dump is whole once it reads).
        nlohmann::json ready;
        for (int i = 0; i < 3000 && ready.is_null(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (g.Exists("ready.json"))
                ready = nlohmann::json::parse(g.Read("ready.json"), nullptr, false, false);
            if (ready.is_discarded())
                ready = nullptr;
        }
        EXPECT_EQ(ready["operationMode"], "GAME");
        kill(pid, sig);
        const auto sent = std::chrono::steady_clock::now();
        int status = 0;
        while (waitpid(pid, &status, WNOHANG) == 0 &&
               std::chrono::steady_clock::now() - sent < std::chrono::seconds(5))
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const auto took = std::chrono::steady_clock::now() - sent;
        if (kill(pid, 0) == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << strsignal(sig) << ": " << status;
        EXPECT_LT(took, std::chrono::seconds(1)) << strsignal(sig);
        EXPECT_FALSE(g.Exists("late.json"));
        EXPECT_TRUE(g.Exists("UserSettings.list")) << "the player's files stay whole";
    }
}

// What a killed run left, its own by name and by a process that has ended,
// is removed at the next start; a live run's files, links and other files stay.
TEST(Shell, AKilledRunsLeftoversAreRemovedAtTheNextStart)
{
    GameDir g;
    harness::TempDir temp;
    harness::ScopedEnv tmpdir("TMPDIR", temp.str());
    const std::string dead = std::to_string(EndedPid()), live = std::to_string(getpid());
    const std::vector<std::string> gone = {
        "UserSettings.list." + dead + "-1-3fa9.tmp", "HighScores.list." + dead + "-2-0.tmp",
        "replays/2026-01-01_12-00-00_score-5_level-1.replay." + dead + "-1-ab.tmp"};
    const std::vector<std::string> kept = {"UserSettings.list." + live + "-1-3fa9.tmp",
                                           "notes.txt." + dead + "-1-ab.tmp", "HighScores.list.tmp",
                                           "HighScores.list." + dead + "-x-ab.tmp"};
    for (const std::string& f : gone)
        g.Write(f, "half");
    for (const std::string& f : kept)
        g.Write(f, "mine");
    harness::WriteFile(temp / "elsewhere.txt", "not the game's");
    fs::create_symlink(temp / "elsewhere.txt", g / ("Window.cfg." + dead + "-1-ab.tmp"));
    fs::create_directories(temp / ("zoduzor-replay-" + dead + "-Ab12Cd") / "data");
    fs::create_directories(temp / ("zoduzor-replay-" + live + "-Ab12Cd"));
    fs::create_directories(temp / ("zoduzor-replay-" + dead + "-toolong"));

    auto r = g.Play("100 quit\n");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    for (const std::string& f : gone)
        EXPECT_FALSE(g.Exists(f)) << f;
    for (const std::string& f : kept)
        EXPECT_EQ(g.Read(f), "mine") << f;
    EXPECT_TRUE(fs::is_symlink(g / ("Window.cfg." + dead + "-1-ab.tmp")));
    EXPECT_EQ(harness::ReadFile(temp / "elsewhere.txt"), "not the game's");
    EXPECT_FALSE(fs::exists(temp / ("zoduzor-replay-" + dead + "-Ab12Cd")));
    EXPECT_TRUE(fs::exists(temp / ("zoduzor-replay-" + live + "-Ab12Cd")));
    EXPECT_TRUE(fs::exists(temp / ("zoduzor-replay-" + dead + "-toolong")));
}
