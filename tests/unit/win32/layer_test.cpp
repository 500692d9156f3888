// The Win32 layer: message order, sending, registered messages, timers,
// painting, keys, paths, sounds, scripts, the clock and the clock of a
// replay watched in a window.
#include <SDL.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <memory>
#include <sstream>
#include <vector>

#include "display/display.h"
#include "harness.h"
#include "shell_testing.h"
#include "win32_testing.h"
#include "window/replay_marks.h"

namespace {

struct Seen
{
    UINT msg;
    WPARAM wParam;
    uint32_t time;
};
std::vector<Seen> seen;
int depth = 0, maxDepth = 0;

LRESULT RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    seen.push_back({msg, wParam, w32::Now()});
    ++depth;
    maxDepth = std::max(maxDepth, depth);
    // 0x8001 sends itself once more, nested.
    if (msg == 0x8001 && wParam == 0)
        SendMessageA(hwnd, 0x8001, 1, 0);
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
    }
    --depth;
    return msg == 0x8001 ? static_cast<LRESULT>(wParam + 10)
                         : DefWindowProcA(hwnd, msg, wParam, lParam);
}

std::vector<std::pair<UINT_PTR, uint32_t>> ticks;
void TickProc(HWND, UINT, UINT_PTR id, DWORD)
{
    ticks.push_back({id, w32::Now()});
}

class Layer : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        w32::testing::Reset(true);
        seen.clear();
        ticks.clear();
        depth = maxDepth = 0;
        WNDCLASSA wc{};
        wc.lpfnWndProc = RecordingProc;
        wc.lpszClassName = "TestClass";
        ASSERT_NE(RegisterClassA(&wc), 0);
        hwnd = CreateWindowExA(0, "TestClass", "t", 0, 0, 0, 806, 729, nullptr, nullptr, nullptr,
                               nullptr);
        ASSERT_NE(hwnd, nullptr);
    }
    // Pumps one message as the game's loop does; false at the end of the run.
    bool Pump(MSG& m)
    {
        if (!GetMessageA(&m, nullptr, 0, 0))
            return false;
        TranslateMessage(&m);
        DispatchMessageA(&m);
        return true;
    }
    HWND hwnd = nullptr;
};

TEST_F(Layer, CreationAndDestructionReachTheProcedure)
{
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front().msg, static_cast<UINT>(WM_CREATE));
    DefWindowProcA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(seen.back().msg, static_cast<UINT>(WM_DESTROY));
    EXPECT_EQ(SendMessageA(hwnd, 0x8001, 0, 0), 0) << "a destroyed window takes no messages";
}

TEST_F(Layer, SendNestsAndReturnsTheResult)
{
    EXPECT_EQ(SendMessageA(hwnd, 0x8001, 0, 0), 10);
    EXPECT_EQ(maxDepth, 2);
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen[seen.size() - 2].wParam, 0u);
    EXPECT_EQ(seen.back().wParam, 1u);
}

TEST_F(Layer, RegisteredMessagesAreStableAndDistinct)
{
    const UINT a = RegisterWindowMessageA("Begin Operation Mode");
    const UINT b = RegisterWindowMessageA("End Operation Mode");
    EXPECT_EQ(a, 0xC000u);
    EXPECT_EQ(b, 0xC001u);
    EXPECT_EQ(RegisterWindowMessageA("Begin Operation Mode"), a);
    EXPECT_EQ(RegisterWindowMessageA(""), 0u);
}

TEST_F(Layer, OneInstantDeliversPostedThenInputThenPaintThenTick)
{
    MSG m;
    // Let the creation paint and a first tick happen, then line everything up at one instant.
    const UINT_PTR id = SetTimer(nullptr, 0, 50, TickProc);
    ASSERT_NE(id, 0u);
    w32::testing::AdvanceClock(50); // the tick is due now
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE);
    w32::testing::InjectInput(hwnd, WM_KEYDOWN, 'A', w32::KeyLParam('A', false, false));
    PostMessageA(hwnd, 0x8002, 7, 0);
    std::vector<UINT> order;
    for (int i = 0; i < 4 && GetMessageA(&m, nullptr, 0, 0); ++i) {
        order.push_back(m.message);
        DispatchMessageA(&m);
    }
    EXPECT_EQ(order, (std::vector<UINT>{0x8002, WM_KEYDOWN, WM_PAINT, WM_TIMER}));
    ASSERT_EQ(ticks.size(), 1u);
    EXPECT_EQ(ticks[0], std::make_pair(id, 50u));
    EXPECT_FALSE(w32::testing::IsInvalid(hwnd));
}

TEST_F(Layer, TicksComeAtMultiplesOfThePeriodUntilKilled)
{
    MSG m;
    const UINT_PTR a = SetTimer(nullptr, 0, 41, TickProc);
    const UINT_PTR b = SetTimer(nullptr, 0, 50, TickProc);
    EXPECT_NE(a, b);
    while (ticks.size() < 6 && Pump(m)) {
    }
    std::vector<std::pair<UINT_PTR, uint32_t>> want = {{a, 41},  {b, 50},  {a, 82},
                                                       {b, 100}, {a, 123}, {b, 150}};
    EXPECT_EQ(ticks, want);
    EXPECT_TRUE(KillTimer(nullptr, a));
    EXPECT_FALSE(KillTimer(nullptr, a));
    ticks.clear();
    while (ticks.size() < 2 && Pump(m)) {
    }
    for (auto& t : ticks)
        EXPECT_EQ(t.first, b);
}

TEST_F(Layer, AFailedTimerRequestGivesZero)
{
    w32::testing::FailSetTimer(true);
    EXPECT_EQ(SetTimer(nullptr, 0, 41, TickProc), 0u);
    w32::testing::FailSetTimer(false);
    EXPECT_NE(SetTimer(nullptr, 0, 41, TickProc), 0u);
}

TEST_F(Layer, AHeadlessRunEndsAtTheTimeLimitWhenNothingIsLeft)
{
    MSG m;
    while (Pump(m)) {
    }
    EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(w32::Now(), 600000u);
}

TEST_F(Layer, TheQuitMessageEndsTheLoopWithItsCode)
{
    MSG m;
    PostQuitMessage(3);
    PostMessageA(hwnd, 0x8002, 0, 0);
    EXPECT_FALSE(GetMessageA(&m, nullptr, 0, 0));
    EXPECT_EQ(m.wParam, 3u);
}

TEST_F(Layer, PresentKeepsTheWindowFrame)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    ASSERT_NE(dc, nullptr);
    std::vector<uint32_t> pixels(10 * 4, 0xFF112233u);
    pixels[1 * 10 + 2] = 0xFFABCDEFu;
    dc->target.present(dc, pixels.data(), 10, 4, 40);
    const auto& frame = w32::testing::WindowFrame();
    ASSERT_EQ(frame.size(), 800u * 700u);
    EXPECT_EQ(frame[0], 0xFF112233u);
    EXPECT_EQ(frame[1 * 800 + 2], 0xFFABCDEFu);
    EXPECT_EQ(frame[5 * 800], 0xFF000000u) << "outside the buffer stays black";
}

// ---------------------------------------------------------------- keys
TEST(Keys, SdlKeysBecomeVirtualKeys)
{
    struct Case
    {
        SDL_Keycode key;
        SDL_Scancode scan;
        UINT vk;
    };
    const Case cases[] = {
        {SDLK_a, SDL_SCANCODE_A, 'A'},
        {SDLK_z, SDL_SCANCODE_Z, 'Z'},
        {SDLK_0, SDL_SCANCODE_0, '0'},
        {SDLK_9, SDL_SCANCODE_9, '9'},
        {SDLK_KP_5, SDL_SCANCODE_KP_5, VK_NUMPAD5},
        {SDLK_END, SDL_SCANCODE_KP_1, VK_NUMPAD1},
        {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, VK_RETURN},
        {SDLK_RETURN, SDL_SCANCODE_RETURN, VK_RETURN},
        {SDLK_F1, SDL_SCANCODE_F1, VK_F1},
        {SDLK_F12, SDL_SCANCODE_F12, VK_F12},
        {SDLK_LEFT, SDL_SCANCODE_LEFT, VK_LEFT},
        {SDLK_DOWN, SDL_SCANCODE_DOWN, VK_DOWN},
        {SDLK_SPACE, SDL_SCANCODE_SPACE, VK_SPACE},
        {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, VK_ESCAPE},
        {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, VK_BACK},
        {SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, VK_SHIFT},
        {SDLK_LCTRL, SDL_SCANCODE_LCTRL, VK_CONTROL},
        {SDLK_COMMA, SDL_SCANCODE_COMMA, VK_OEM_COMMA},
    };
    for (const auto& c : cases)
        EXPECT_EQ(w32::VkFromSdl(c.key, c.scan), c.vk) << SDL_GetKeyName(c.key);
}

TEST(Keys, LParamCarriesCountScanCodeAndTransitionBits)
{
    const auto down = static_cast<uint32_t>(w32::KeyLParam('A', false, false));
    const auto again = static_cast<uint32_t>(w32::KeyLParam('A', true, false));
    const auto up = static_cast<uint32_t>(w32::KeyLParam('A', false, true));
    EXPECT_EQ(down & 0xFFFF, 1u);
    EXPECT_EQ((down >> 16) & 0xFF, 0x1Eu);
    EXPECT_EQ(down >> 30, 0u);
    EXPECT_EQ(again >> 30, 1u);
    EXPECT_EQ(up >> 30, 3u);
    EXPECT_EQ((static_cast<uint32_t>(w32::KeyLParam(VK_RETURN, false, false)) >> 16) & 0xFF, 0x1Cu);
}

TEST(Keys, ScriptKeyNames)
{
    EXPECT_EQ(w32::ParseKeyName("VK_RETURN"), VK_RETURN);
    EXPECT_EQ(w32::ParseKeyName("VK_NUMPAD7"), VK_NUMPAD7);
    EXPECT_EQ(w32::ParseKeyName("VK_F5"), VK_F1 + 4);
    EXPECT_EQ(w32::ParseKeyName("q"), 'Q');
    EXPECT_EQ(w32::ParseKeyName("7"), '7');
    EXPECT_EQ(w32::ParseKeyName("40"), VK_DOWN);
    EXPECT_EQ(w32::ParseKeyName("08"), VK_BACK);
    for (const char* bad : {"VK_NOPE", "VK_NUMPAD10", "VK_F0", "300", "256", "", "ab", "-5"})
        EXPECT_EQ(w32::ParseKeyName(bad), -1) << bad;
}

// A character keeps the lParam of its key-down, the repeat bit included.
TEST_F(Layer, TranslateMakesControlCharactersOnlyForUserKeys)
{
    MSG m;
    const UINT keys[] = {VK_BACK, VK_TAB, VK_RETURN, VK_ESCAPE, 'A', VK_LEFT};
    auto lParam = [](UINT k) { return w32::KeyLParam(k, k == VK_ESCAPE, false); };
    for (UINT k : keys)
        w32::testing::InjectInput(hwnd, WM_KEYDOWN, k, lParam(k));
    std::vector<std::pair<WPARAM, LPARAM>> chars;
    for (int i = 0; i < 10 && Pump(m); ++i) {
        if (m.message == WM_CHAR)
            chars.push_back({m.wParam, m.lParam});
        if (m.message == WM_PAINT)
            --i;
    }
    EXPECT_EQ(chars, (std::vector<std::pair<WPARAM, LPARAM>>{{8, lParam(VK_BACK)},
                                                             {9, lParam(VK_TAB)},
                                                             {13, lParam(VK_RETURN)},
                                                             {27, lParam(VK_ESCAPE)}}));
}

// ---------------------------------------------------------------- files
TEST(Files, PathsResolveWithoutRegardToCase)
{
    harness::TempDir dir;
    harness::WriteFile(dir / "res/menu/img/BG.png", "x");
    harness::WriteFile(dir / "data/b.NMI", "x");
    harness::WriteFile(dir / "data/A.nmi", "x");
    harness::WriteFile(dir / "data/c.nmi", "x");
    harness::WriteFile(dir / "data/d.blt", "x");
    std::filesystem::create_directories(dir / "data/folder.nmi");
    const std::string root = dir.str();
    EXPECT_EQ(w32::ResolvePath(root + "\\RES\\Menu\\IMG\\bg.PNG"), root + "/res/menu/img/BG.png");
    EXPECT_EQ(w32::ResolvePath(root + "\\res\\menu\\new.txt"), root + "/res/menu/new.txt");
    EXPECT_EQ(w32::ResolvePath(root + "\\NOPE\\x"), root + "/NOPE/x");
    EXPECT_EQ(GetFileAttributesA((root + "\\RES\\MENU").c_str()),
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesA((root + "\\res\\menu\\img\\bg.png").c_str()),
              static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesA((root + "\\res\\none.png").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA(""), INVALID_FILE_ATTRIBUTES);

    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((root + "\\DATA\\*.nmi").c_str(), &fd);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::vector<std::string> names = {fd.cFileName};
    while (FindNextFileA(h, &fd))
        names.push_back(fd.cFileName);
    EXPECT_TRUE(FindClose(h));
    EXPECT_EQ(names, (std::vector<std::string>{"A.nmi", "b.NMI", "c.nmi"}));
    EXPECT_EQ(FindFirstFileA((root + "\\data\\*.lvl").c_str(), &fd), INVALID_HANDLE_VALUE);
    EXPECT_EQ(FindFirstFileA((root + "\\nowhere\\*.nmi").c_str(), &fd), INVALID_HANDLE_VALUE);
}

// ---------------------------------------------------------------- sound
TEST_F(Layer, SoundCommandsKeepTrackWithoutADevice)
{
    harness::TempDir dir;
    harness::WriteFile(dir / "snd/Fire.wav", "not really a sound");
    harness::WriteFile(dir / "snd/bgm1.mp3", "x");
    const std::string root = dir.str();
    EXPECT_EQ(mciSendStringA(("open " + root + "\\SND\\fire.wav alias Fire").c_str(), nullptr, 0,
                             nullptr),
              0u);
    mciSendStringA(("play " + root + "\\snd\\bgm1.mp3 repeat").c_str(), nullptr, 0, nullptr);
    mciSendStringA("play Fire", nullptr, 0, nullptr);
    mciSendStringA("play Missing", nullptr, 0, nullptr);
    mciSendStringA("rewind everything", nullptr, 0, nullptr);
    auto sounds = w32::OpenSounds();
    ASSERT_EQ(sounds.size(), 2u);
    auto fire =
        std::find_if(sounds.begin(), sounds.end(), [](auto& s) { return s.alias == "Fire"; });
    ASSERT_NE(fire, sounds.end());
    EXPECT_EQ(fire->path, root + "/snd/Fire.wav");
    EXPECT_TRUE(fire->playing);
    EXPECT_FALSE(fire->repeat);
    auto music = std::find_if(sounds.begin(), sounds.end(), [](auto& s) { return s.onTheFly; });
    ASSERT_NE(music, sounds.end());
    EXPECT_TRUE(music->repeat);
    mciSendStringA("close fire", nullptr, 0, nullptr);
    EXPECT_EQ(w32::OpenSounds().size(), 1u);
    mciSendStringA("close all", nullptr, 0, nullptr);
    EXPECT_TRUE(w32::OpenSounds().empty());
}

// The window's keys set the volumes of music and effects and the mute, and
// never reach the game: no message for them, nor for the Enter of Alt+Enter.
TEST_F(Layer, WindowKeysSetTheVolumesAndNeverReachTheGame)
{
    harness::TempDir dir;
    harness::WriteFile(dir / "snd/Fire.wav", "x");
    harness::WriteFile(dir / "snd/Boss.mp3", "x");
    const std::string root = dir.str();
    mciSendStringA(("open " + root + "\\snd\\Fire.wav alias Fire").c_str(), nullptr, 0, nullptr);
    mciSendStringA("play Fire", nullptr, 0, nullptr);
    mciSendStringA(("play " + root + "\\snd\\Boss.mp3").c_str(), nullptr, 0, nullptr);
    auto key = [](SDL_Keycode sym, bool down, Uint16 mod = KMOD_NONE) {
        SDL_Event ev{};
        ev.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        ev.key.keysym.sym = sym;
        ev.key.keysym.scancode = SDL_GetScancodeFromKey(sym);
        ev.key.keysym.mod = mod;
        w32::testing::FeedSdlEvent(ev);
    };
    auto press = [&](SDL_Keycode sym, int times = 1) {
        for (int i = 0; i < times; ++i) {
            key(sym, true);
            key(sym, false);
        }
    };
    // Volume of each sound, music first (the boss track played by its file).
    auto volumes = [] {
        std::pair<int, int> v{-1, -1};
        for (const auto& s : w32::OpenSounds())
            (s.music ? v.first : v.second) = s.volume;
        return v;
    };
    EXPECT_EQ(volumes(), std::make_pair(128, 128));
    press(SDLK_F7, 3); // music 70
    press(SDLK_F10);   // effects stay at 100
    press(SDLK_F9, 2); // effects 80
    EXPECT_EQ(volumes(), std::make_pair(70 * 128 / 100, 80 * 128 / 100));
    press(SDLK_F12); // mute: both silent, whatever the volumes do meanwhile
    press(SDLK_F8);
    EXPECT_EQ(volumes(), std::make_pair(0, 0));
    press(SDLK_F12);
    EXPECT_EQ(volumes(), std::make_pair(80 * 128 / 100, 80 * 128 / 100));
    press(SDLK_F9, 12); // no lower than 0
    EXPECT_EQ(volumes().second, 0);
    press(SDLK_F6);
    press(SDLK_F11);
    key(SDLK_RETURN, true, KMOD_LALT);
    key(SDLK_RETURN, false); // Alt let go first: the Enter is still the window's
    press(SDLK_a);
    MSG m;
    while (Pump(m) && !(m.message == WM_KEYUP && m.wParam == 'A')) {
    }
    std::vector<std::pair<UINT, WPARAM>> keys;
    for (const Seen& s : seen) {
        if (s.msg == WM_KEYDOWN || s.msg == WM_KEYUP || s.msg == WM_CHAR)
            keys.push_back({s.msg, s.wParam});
    }
    EXPECT_EQ(keys, (std::vector<std::pair<UINT, WPARAM>>{{WM_KEYDOWN, 'A'}, {WM_KEYUP, 'A'}}));
}

TEST_F(Layer, MenuMusicPlaysOnWhenItsFileIsOpenedAgain)
{
    harness::TempDir dir;
    harness::WriteFile(dir / "snd/BG.mp3", "x");
    harness::WriteFile(dir / "snd/Fire.wav", "x");
    const std::string open = "open " + dir.str() + "\\snd\\BG.mp3 alias BG";
    auto send = [](const std::string& command) {
        mciSendStringA(command.c_str(), nullptr, 0, nullptr);
    };
    auto sound = [](const std::string& alias) {
        for (const auto& s : w32::OpenSounds())
            if (s.alias == alias)
                return s;
        return w32::SoundState{};
    };
    auto bg = [&] { return sound("BG"); };
    // Each menu screen opens and plays it; the main menu closes everything
    // when it ends, just before the next screen opens it again.
    send(open);
    send("play BG repeat");
    send(open);
    EXPECT_TRUE(bg().playing) << "opening the same file again stopped it";
    send("play BG repeat");
    send("close all");
    EXPECT_TRUE(w32::OpenSounds().empty());
    send(open);
    send("play BG repeat");
    EXPECT_TRUE(bg().playing);
    EXPECT_EQ(bg().starts, 1u) << "the music started over";
    // Any other command after the close stops it for good.
    send("close all");
    send("open " + dir.str() + "\\snd\\Fire.wav alias Fire");
    send(open);
    EXPECT_FALSE(bg().playing);
    // An effect played again still starts from its beginning.
    send("play Fire");
    send("play Fire");
    EXPECT_EQ(sound("Fire").starts, 2u);
}

TEST_F(Layer, APipeNamedLikeASoundIsNotWaitedFor)
{
    harness::TempDir dir;
    ASSERT_EQ(mkfifo((dir / "bgm1.mp3").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((dir / "Fire.wav").c_str(), 0600), 0);
    harness::ScopedEnv audio("SDL_AUDIODRIVER", "dummy");
    w32::detail::MciSetDeviceAllowed(true);
    // Music and effects: opening either would block until a writer came.
    mciSendStringA(("play " + dir.str() + "\\bgm1.mp3 repeat").c_str(), nullptr, 0, nullptr);
    mciSendStringA(("open " + dir.str() + "\\Fire.wav alias Fire").c_str(), nullptr, 0, nullptr);
    mciSendStringA("play Fire", nullptr, 0, nullptr);
    for (const auto& s : w32::OpenSounds())
        EXPECT_FALSE(s.playing) << s.alias;
    mciSendStringA("close all", nullptr, 0, nullptr);
    w32::detail::MciShutdown();
    w32::detail::MciSetDeviceAllowed(false);
}

// ---------------------------------------------------------------- scripts and clock
TEST(Script, EventsTimesAndArguments)
{
    std::istringstream in(
        "clock 2001-02-03T04:05:06.07\n# a comment\n"
        "100 keydown VK_LEFT repeat\n+50 keyup a  # trailing\n+0 char 'x'\n"
        "200 char 65\n200 type hi there\n300 click 10 20\n300 wheel -120\n"
        "400 screenshot a.png\n400 dump d.json\n400 check 00ff\n500 close\n600 quit\n");
    w32::Script s;
    std::string err;
    ASSERT_TRUE(w32::ParseScript(in, "s", s, err)) << err;
    EXPECT_EQ(s.clock, "2001-02-03T04:05:06.07");
    ASSERT_EQ(s.events.size(), 12u);
    EXPECT_EQ(s.events[0].kind, w32::ScriptKind::KeyDown);
    EXPECT_EQ(s.events[0].a, VK_LEFT);
    EXPECT_EQ(s.events[0].b, 1);
    EXPECT_EQ(s.events[1].time, 150u);
    EXPECT_EQ(s.events[1].a, 'A');
    EXPECT_EQ(s.events[2].time, 150u);
    EXPECT_EQ(s.events[2].a, 'x');
    EXPECT_EQ(s.events[4].text, "hi there");
    EXPECT_EQ(s.events[5].a, 10);
    EXPECT_EQ(s.events[5].b, 20);
    EXPECT_EQ(s.events[6].a, -120);
    EXPECT_EQ(s.events[11].kind, w32::ScriptKind::Quit);
    EXPECT_EQ(s.events[11].line, 14);
}

TEST(Script, MalformedLinesAreNamed)
{
    const std::pair<const char*, int> bad[] = {
        {"100 jump\n", 1},
        {"abc quit\n", 1},
        {"100 keydown VK_NOPE\n", 1},
        {"10 quit\n5 quit\n", 2},
        {"10 click 5\n", 1},
        {"10 wheel x\n", 1},
        {"10 check xyz\n", 1},
        {"10 close now\n", 1},
        {"10 quit\nclock 2000-01-01T00:00:00.00\n", 2},
        {"clock 2000-13-01T00:00:00.00\n", 1},
        {"\n\n10 keydown A sideways\n", 3},
        {"10\n", 1},
        {"10 char 'ab'\n", 1},
        {"10 screenshot\n", 1},
    };
    for (const auto& [text, line] : bad) {
        std::istringstream in(text);
        w32::Script s;
        std::string err;
        EXPECT_FALSE(w32::ParseScript(in, "my.script", s, err)) << text;
        EXPECT_EQ(err.rfind("my.script:" + std::to_string(line) + ":", 0), 0u)
            << text << " -> " << err;
    }
}

// Each character of a typed line joins the end of the input queue: a line
// of 300,000 characters is delivered in a moment (a scan of the queue per
// character would take minutes).
TEST_F(Layer, ALongTypedLineIsDeliveredInLinearTime)
{
    harness::TempDir dir;
    const std::string text(300000, 'x');
    harness::WriteFile(dir / "long.script", "100 type " + text + "\n200 quit\n");
    w32::RunConfig config;
    config.headless = true;
    config.scriptPath = (dir / "long.script").string();
    std::string error;
    ASSERT_TRUE(w32::Configure(config, error)) << error;
    const auto start = std::chrono::steady_clock::now();
    MSG m;
    size_t chars = 0;
    while (GetMessageA(&m, nullptr, 0, 0))
        chars += m.message == WM_CHAR;
    EXPECT_EQ(chars, text.size());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

TEST(Clock, ParsesAddsAndFormats)
{
    SYSTEMTIME t;
    ASSERT_TRUE(w32::ParseClock("2000-01-01T12:00:00.00", t));
    EXPECT_EQ(t.wDayOfWeek, 6) << "1 January 2000 was a Saturday";
    const SYSTEMTIME later = w32::AddMilliseconds(t, 12 * 3600 * 1000ull + 1234);
    EXPECT_EQ(w32::FormatClock(later), "2000-01-02T00:00:01.23");
    EXPECT_EQ(later.wDayOfWeek, 0);
    ASSERT_TRUE(w32::ParseClock("2004-02-29T23:59:59.99", t));
    EXPECT_EQ(w32::FormatClock(w32::AddMilliseconds(t, 10)), "2004-03-01T00:00:00.00");
    for (const char* bad :
         {"2001-02-29T00:00:00.00", "2000-01-01 12:00:00.00", "2000-01-01T24:00:00.00",
          "2000-01-01T12:00:00", "2000-01-01T12:00:00.000"})
        EXPECT_FALSE(w32::ParseClock(bad, t)) << bad;
}

TEST_F(Layer, LocalTimeFollowsTheVirtualClock)
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    EXPECT_EQ(w32::FormatClock(t), "2000-01-01T12:00:00.00");
    w32::testing::AdvanceClock(61500);
    GetLocalTime(&t);
    EXPECT_EQ(w32::FormatClock(t), "2000-01-01T12:01:01.50");
    EXPECT_EQ(GetTickCount(), 61500u);
}

// A display whose time and input the test sets, and which counts what it shows.
struct FakeScreen
{
    uint64_t now = 0;
    std::vector<uint64_t> waits;
    std::vector<std::array<uint64_t, 2>> keys; // WM_KEYDOWN of these keys, else a close
    int presents = 0;
    w32::detail::Rows shown;
};

class FakeDisplay final : public w32::detail::Display
{
  public:
    explicit FakeDisplay(FakeScreen& s) : s_(s) {}
    uint64_t Elapsed() const override { return s_.now; }
    void Wait(uint64_t ms) override { s_.waits.push_back(ms); }
    void Pump(w32::detail::InputSink& sink) override
    {
        for (const auto& k : s_.keys)
            sink.Input(k[0] ? WM_KEYDOWN : WM_CLOSE, k[0], static_cast<LPARAM>(k[1]));
        s_.keys.clear();
    }
    std::unique_ptr<w32::detail::Surface> CreateSurface(const char*, const char*, int, int,
                                                        bool) override
    {
        struct Shown final : w32::detail::Surface
        {
            explicit Shown(FakeScreen& s) : s(s) {}
            void Show() override {}
            void Present(const uint32_t*, w32::detail::Rows rows) override
            {
                ++s.presents;
                s.shown = rows;
            }
            FakeScreen& s;
        };
        return std::make_unique<Shown>(s_);
    }
    bool MessageBox(w32::detail::Surface*, const char*, const char*) override { return false; }
    std::string Problem() const override { return ""; }

  private:
    FakeScreen& s_;
};

struct Dropped final : w32::detail::InputSink
{
    void Input(UINT, WPARAM, LPARAM) override { ++count; }
    void Exposed() override {}
    int count = 0;
};

// The marks the window draws over a watched replay, as plates on a frame of 800 x 700.
std::vector<SDL_Rect> MarkPlates()
{
    std::vector<SDL_Rect> plates;
    for (const auto& p : w32::detail::LayOutReplayMarks(w32::detail::ReplayMarksNow(),
                                                        w32::FrameBox{0, 0, 800, 700}))
        plates.push_back(p.panel);
    return plates;
}

TEST(WatchingDisplay, RacesToTheGameThenKeepsItsPaceStandsStillWhenPausedAndStops)
{
    w32::testing::Reset(true);
    EXPECT_TRUE(MarkPlates().empty()) << "a replay's mark without a replay";
    FakeScreen screen;
    screen.now = 100;
    auto watch =
        w32::detail::CreateWatchingDisplay(std::make_unique<FakeDisplay>(screen), 5000, 20000, 2.0);
    auto surface = watch->CreateSurface("c", "t", 800, 700, false);
    const std::vector<uint32_t> frame(800 * 700);
    // Before the game: virtual time, nothing waited for, nothing shown.
    EXPECT_EQ(watch->Elapsed(), 0u);
    watch->Wait(3000);
    EXPECT_EQ(watch->Elapsed(), 3000u);
    surface->Present(frame.data(), {10, 11});
    EXPECT_TRUE(screen.waits.empty());
    EXPECT_EQ(screen.presents, 0);
    watch->Wait(10000);
    EXPECT_EQ(watch->Elapsed(), 5000u) << "the clock passed the game's beginning";
    // From the game on, the REPLAY mark stands small in the top right corner.
    ASSERT_EQ(MarkPlates().size(), 1u);
    EXPECT_GT(MarkPlates()[0].x, 700);
    EXPECT_LE(MarkPlates()[0].x + MarkPlates()[0].w, 800);
    EXPECT_LT(MarkPlates()[0].y + MarkPlates()[0].h, 30);
    // The game: real time at twice the pace, its first frame shown whole.
    screen.now += 1000;
    EXPECT_EQ(watch->Elapsed(), 7000u);
    watch->Wait(400);
    ASSERT_EQ(screen.waits.size(), 1u);
    EXPECT_EQ(screen.waits[0], 200u);
    surface->Present(frame.data(), {10, 11});
    EXPECT_EQ(screen.shown.first, 0);
    EXPECT_EQ(screen.shown.last, 700);
    surface->Present(frame.data(), {10, 11});
    EXPECT_EQ(screen.shown.first, 10);
    // Space pauses and resumes (its repeats do nothing); no key reaches the game.
    Dropped game;
    screen.keys = {{VK_SPACE, 0}, {VK_DOWN, 0}, {VK_SPACE, 1u << 30}};
    watch->Pump(game);
    screen.now += 5000;
    EXPECT_EQ(watch->Elapsed(), 7000u);
    EXPECT_TRUE(w32::detail::ReplayMarksNow().paused);
    EXPECT_EQ(MarkPlates().size(), 2u) << "no paused sign while paused";
    screen.keys = {{VK_SPACE, 0}};
    watch->Pump(game);
    screen.now += 500;
    EXPECT_EQ(watch->Elapsed(), 8000u);
    EXPECT_EQ(game.count, 0);
    EXPECT_EQ(MarkPlates().size(), 1u) << "a paused sign once resumed";
    // The clock stops at the last event; Escape ends the run.
    watch->Wait(100);
    EXPECT_FALSE(w32::detail::ReplayMarksNow().ended) << "the end before the last event";
    screen.now += 100000;
    EXPECT_EQ(watch->Elapsed(), 20000u);
    // At the end a line below the middle says how to leave, also when paused there.
    watch->Wait(100);
    screen.keys = {{VK_SPACE, 0}};
    watch->Pump(game);
    const auto marks = w32::detail::ReplayMarksNow();
    EXPECT_TRUE(marks.ended && !marks.paused);
    ASSERT_EQ(MarkPlates().size(), 2u);
    EXPECT_GT(MarkPlates()[1].y, 350);
    EXPECT_LE(MarkPlates()[1].x + MarkPlates()[1].w, 800);
    EXPECT_EQ(w32::RequestedExitCode(), -1);
    screen.keys = {{VK_ESCAPE, 0}};
    watch->Pump(game);
    EXPECT_EQ(w32::RequestedExitCode(), 0);
    watch.reset();
    EXPECT_TRUE(MarkPlates().empty()) << "the marks outlive the replay";
    w32::testing::Reset(true);
}

} // namespace
