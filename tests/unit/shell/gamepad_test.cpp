// Gamepads: what each control presses on each screen, and the game played
// with SDL's virtual joysticks opened as game controllers, in virtual time:
// held controls act as held keys, the pause screen, the menus, pads coming
// and going, and a recording of a pad game that replays exactly.
#include <SDL.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "common.h"
#include "enemydata.h"
#include "game.h"
#include "harness.h"
#include "keySettings.h"
#include "loadmenu.h"
#include "pad/pad.h"
#include "runmode.h"
#include "shell_testing.h"
#include "win32.h"
#include "win32_testing.h"
#include "winwrap.h"

namespace {

namespace fs = std::filesystem;
using w32::PadControl;
using w32::PadScreen;

w32::PadContext Context(PadScreen screen)
{
    w32::PadContext c;
    c.screen = screen;
    const UINT keys[12] = {100, 102, 97, 98, 99, 101, 38, 40, 37, 39, 32, 27};
    std::copy(std::begin(keys), std::end(keys), c.keys);
    return c;
}

TEST(PadKeys, EachControlPressesTheKeyOfItsActionOnTheScreenShown)
{
    struct Row
    {
        PadControl control;
        UINT play, paused, menu;
    };
    const Row rows[] = {
        {PadControl::Up, VK_UP, VK_UP, VK_UP},
        {PadControl::StickLeft, VK_LEFT, VK_LEFT, VK_LEFT},
        {PadControl::South, VK_SPACE, VK_SPACE, VK_RETURN},
        {PadControl::East, VK_NUMPAD1, VK_NUMPAD1, VK_ESCAPE}, // red
        {PadControl::West, VK_NUMPAD2, VK_NUMPAD2, 0},         // blue
        {PadControl::North, VK_NUMPAD5, VK_NUMPAD5, 0},        // yellow
        {PadControl::RightTrigger, VK_NUMPAD3, VK_NUMPAD3, 0}, // green
        {PadControl::LeftShoulder, VK_NUMPAD6, VK_NUMPAD6, 0}, // previous colour
        {PadControl::RightShoulder, VK_NUMPAD4, VK_NUMPAD4, 0},
        // Start pauses, and resumes with a key that is not Escape; Back
        // pauses too, and on the pause screen gives up.
        {PadControl::Start, VK_ESCAPE, VK_PAUSE, VK_RETURN},
        {PadControl::Back, VK_ESCAPE, VK_ESCAPE, VK_ESCAPE},
    };
    for (const Row& r : rows) {
        const int c = static_cast<int>(r.control);
        EXPECT_EQ(w32::PadKey(r.control, Context(PadScreen::Play)), r.play) << c;
        EXPECT_EQ(w32::PadKey(r.control, Context(PadScreen::Paused)), r.paused) << c;
        EXPECT_EQ(w32::PadKey(r.control, Context(PadScreen::Menu)), r.menu) << c;
    }
    // The keys follow the key settings: fire on F, pause on P (which then resumes too).
    w32::PadContext mine = Context(PadScreen::Paused);
    mine.keys[10] = 'F';
    mine.keys[11] = 'P';
    EXPECT_EQ(w32::PadKey(PadControl::South, mine), UINT('F'));
    EXPECT_EQ(w32::PadKey(PadControl::Start, mine), UINT('P'));

    // Past 16000 from rest, held until back within 10000.
    EXPECT_FALSE(w32::AxisHeld(15000, false, 16000, 10000));
    EXPECT_TRUE(w32::AxisHeld(17000, false, 16000, 10000));
    EXPECT_TRUE(w32::AxisHeld(12000, true, 16000, 10000));
    EXPECT_FALSE(w32::AxisHeld(9000, true, 16000, 10000));
    EXPECT_FALSE(w32::AxisHeld(-30000, true, 16000, 10000));
}

// A virtual pad shaped as a game controller, its triggers at rest.
class VirtualPad
{
  public:
    VirtualPad()
    {
        SDL_VirtualJoystickDesc d{};
        d.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        d.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        d.naxes = SDL_CONTROLLER_AXIS_MAX;
        d.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        d.name = "Virtual pad";
        const int index = SDL_JoystickAttachVirtualEx(&d);
        joystick_ = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
        if (joystick_) {
            Axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
            Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
        }
    }
    ~VirtualPad() { Unplug(); }
    bool Ok() const { return joystick_ != nullptr; }
    void Button(SDL_GameControllerButton b, bool down)
    {
        SDL_JoystickSetVirtualButton(joystick_, b, down ? 1 : 0);
    }
    void Axis(SDL_GameControllerAxis a, int value)
    {
        SDL_JoystickSetVirtualAxis(joystick_, a, static_cast<Sint16>(value));
    }
    void Unplug()
    {
        if (!joystick_)
            return;
        const SDL_JoystickID id = SDL_JoystickInstanceID(joystick_);
        SDL_JoystickClose(joystick_);
        joystick_ = nullptr;
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            if (SDL_JoystickGetDeviceInstanceID(i) == id)
                SDL_JoystickDetachVirtual(i);
        }
    }

  private:
    SDL_Joystick* joystick_ = nullptr;
};

// A mapping database is read in one pass: this platform's lines, the last
// of each pad; one larger than any real database is refused unread.
TEST(PadMappings, AHugeMappingFileIsRefusedAndAnOrdinaryOneReadInOnePass)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    const std::string platform = std::string(",platform:") + SDL_GetPlatform() + ",";
    auto line = [&](int pad, const std::string& name) {
        char guid[33];
        std::snprintf(guid, sizeof guid, "030000005e04%08x0000000000", pad);
        return std::string(guid) + "," + name + ",a:b0,b:b1,x:b2,y:b3" + platform;
    };
    harness::TempDir dir;
    const std::string ordinary = (dir / "ordinary.txt").string();
    harness::WriteFile(ordinary,
                       "# pads\r\n" + line(1, "One") + "\r\n" + line(2, "Two") + "\n" +
                           line(1, "One again") + "\n" +
                           "030000005e0400000300000000000000,Other,a:b0,platform:Nowhere,\n" +
                           line(3, "Three"));
    const int before = SDL_GameControllerNumMappings();
    std::string problem;
    EXPECT_TRUE(w32::detail::AddMappingsFile(ordinary, problem)) << problem;
    EXPECT_EQ(SDL_GameControllerNumMappings(), before + 3);
    char* again = SDL_GameControllerMappingForGUID(
        SDL_JoystickGetGUIDFromString("030000005e04000000010000000000"
                                      "00"));
    ASSERT_NE(again, nullptr);
    EXPECT_NE(std::string(again).find("One again"), std::string::npos) << again;
    SDL_free(again);

    // 4 MB of valid lines, once a start of minutes.
    std::string huge;
    for (int pad = 100; huge.size() < (4u << 20); ++pad)
        huge += line(pad, "Pad") + "\n";
    const std::string hugePath = (dir / "huge.txt").string();
    harness::WriteFile(hugePath, huge);
    EXPECT_FALSE(w32::detail::AddMappingsFile(hugePath, problem));
    EXPECT_NE(problem.find("huge.txt holds 4194"), std::string::npos) << problem;
    EXPECT_EQ(SDL_GameControllerNumMappings(), before + 3);
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void Heartbeat(HWND, UINT, UINT_PTR, DWORD) {}

// The program started as main() starts it, headless, with pads enabled, in a
// game folder whose first level lets no enemy in for ten minutes.
class PadGame : public ::testing::Test
{
  protected:
    void SetUp() override { Start(""); }
    void Start(const std::string& record)
    {
        dir.Write("data/001.LVL", harness::CrLf({"NORM", "600000", "SENTINEL", ""}));
        w32::testing::Reset(true);
        w32::RunConfig config;
        config.headless = true;
        config.recordPath = record;
        std::string error;
        ASSERT_TRUE(w32::Configure(config, error)) << error;
        w32::SetHashHook(StateHash);
        w32::SetPlayingHook([] { return OperationMode == opModeGAME; });
        w32::SetPadHook(PadContextNow);
        InitModules();
        static WNDCLASSA wc;
        RegisterWndClass(wc);
        CreateWindow(hwnd);
        LoadUserSettings();
        SwitchOpMode(hwnd, opModeINIT);
        DisplayWindow(hwnd);
        w32::testing::EnablePads();
        // Every virtual millisecond is an instant the loop can stop at.
        SetTimer(nullptr, 0, 1, Heartbeat);
        first = std::make_unique<VirtualPad>();
        ASSERT_TRUE(first->Ok()) << SDL_GetError();
    }
    void TearDown() override
    {
        if (first)
            first->Unplug();
        RunFor(1);
        w32::testing::Reset(true);
    }
    // Runs the message loop as the program does for `ms` virtual milliseconds.
    void RunFor(uint32_t ms)
    {
        const uint32_t until = w32::Now() + ms;
        MSG m;
        while (w32::Now() < until && GetMessageA(&m, nullptr, 0, 0)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    // Runs the message loop up to and including the game's next tick.
    void RunThroughTick()
    {
        MSG m;
        while (GetMessageA(&m, nullptr, 0, 0)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
            if (m.message == WM_TIMER && m.wParam == idTimer)
                return;
        }
    }
    void Tap(SDL_GameControllerButton b)
    {
        pad().Button(b, true);
        RunFor(50);
        pad().Button(b, false);
        RunFor(50);
    }
    // Play from the main menu, up to the end of the level's announcement.
    void Play()
    {
        RunFor(100);
        Tap(SDL_CONTROLLER_BUTTON_A);
        ASSERT_EQ(OperationMode, opModeGAME);
        RunFor(1600);
        ASSERT_FALSE(isLoading);
    }
    void Key(UINT vk, bool down)
    {
        w32::testing::InjectInput(hwnd, down ? WM_KEYDOWN : WM_KEYUP, vk,
                                  w32::KeyLParam(vk, false, !down));
    }

    // Walks the picker shown down through all its characters, adding each and
    // rubbing it out: each one shown is what the game's text then ends with.
    // Returns the characters typed, or stops at the first one the game refused.
    std::set<char> PickEveryCharacter(const std::function<std::string()>& text)
    {
        std::set<char> typed;
        for (int step = 0; step < 300; ++step) {
            const w32::PickerView shown = w32::detail::PickerNow();
            if (shown.chars.empty()) {
                ADD_FAILURE() << "no picker shown";
                break;
            }
            const char c = shown.chars[static_cast<size_t>(shown.selected)];
            Tap(SDL_CONTROLLER_BUTTON_A);
            if (text() != std::string(1, c)) {
                ADD_FAILURE() << "the game did not take '" << c << "' (" << int(c)
                              << "): " << text();
                break;
            }
            Tap(SDL_CONTROLLER_BUTTON_B);
            EXPECT_EQ(text(), "");
            if (!typed.insert(c).second)
                break; // round again
            Tap(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
        }
        return typed;
    }

    harness::GameDir dir;
    harness::ScopedCwd cwd{dir.path()};
    HWND hwnd = nullptr;
    std::unique_ptr<VirtualPad> first;
    VirtualPad& pad() { return *first; }
};

// The same, recording to a file.
class PadRecording : public PadGame
{
  protected:
    void SetUp() override { Start(record); }
    const std::string record = (dir / "pad.script").string();
};

TEST_F(PadGame, StickAndDpadMoveAndSouthFiresAsHeldKeysDo)
{
    Play();
    auto x = [] { return players[1].pos.x; };
    // Twenty ticks held: one step at once and one every second tick.
    int32_t from = x();
    pad().Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    RunFor(20 * 41);
    pad().Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);
    RunFor(41);
    EXPECT_EQ(x() - from, 55);
    from = x();
    Key(VK_RIGHT, true);
    RunFor(20 * 41);
    Key(VK_RIGHT, false);
    RunFor(41);
    EXPECT_EQ(x() - from, 55) << "keys and the d-pad move alike";
    // The stick: within the dead zone nothing, past it a held key; easing
    // back a little keeps it held.
    from = x();
    pad().Axis(SDL_CONTROLLER_AXIS_LEFTX, -12000);
    RunFor(5 * 41);
    EXPECT_EQ(x(), from);
    pad().Axis(SDL_CONTROLLER_AXIS_LEFTX, -30000);
    RunFor(10 * 41);
    pad().Axis(SDL_CONTROLLER_AXIS_LEFTX, -12000);
    RunFor(10 * 41);
    pad().Axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
    RunFor(41);
    EXPECT_EQ(x() - from, -55);

    // Fire held twelve ticks: one shot at once and one every fourth tick.
    auto shots = [] { return static_cast<int>(p1Bp.size()); };
    RemoveBulletChain(p1Bp);
    pad().Button(SDL_CONTROLLER_BUTTON_A, true);
    RunFor(12 * 41);
    pad().Button(SDL_CONTROLLER_BUTTON_A, false);
    RunFor(41);
    EXPECT_EQ(shots(), 4);
    RemoveBulletChain(p1Bp);
    Key(VK_SPACE, true);
    RunFor(12 * 41);
    Key(VK_SPACE, false);
    RunFor(41);
    EXPECT_EQ(shots(), 4);
}

TEST_F(PadGame, ButtonsChooseColoursPauseResumeAndGiveUp)
{
    Play();
    TPlayer& p = players[1];
    Tap(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
    EXPECT_EQ(p.col, green);
    Tap(SDL_CONTROLLER_BUTTON_LEFTSHOULDER);
    Tap(SDL_CONTROLLER_BUTTON_LEFTSHOULDER);
    EXPECT_EQ(p.col, neutral);
    Tap(SDL_CONTROLLER_BUTTON_X);
    EXPECT_EQ(p.col, blue);
    Tap(SDL_CONTROLLER_BUTTON_Y);
    EXPECT_EQ(p.col, yellow);
    Tap(SDL_CONTROLLER_BUTTON_B);
    EXPECT_EQ(p.col, red);
    pad().Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
    RunFor(50);
    pad().Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
    RunFor(50);
    EXPECT_EQ(p.col, green);

    Tap(SDL_CONTROLLER_BUTTON_START);
    EXPECT_TRUE(isPaused);
    const uint32_t time = level.time;
    RunFor(500);
    EXPECT_EQ(level.time, time);
    Tap(SDL_CONTROLLER_BUTTON_START);
    EXPECT_FALSE(isPaused);
    EXPECT_EQ(OperationMode, opModeGAME);
    // Back pauses like the pause key, and on the pause screen gives up.
    Tap(SDL_CONTROLLER_BUTTON_BACK);
    EXPECT_TRUE(isPaused);
    EXPECT_FALSE(isGameOver);
    Tap(SDL_CONTROLLER_BUTTON_BACK);
    EXPECT_EQ(OperationMode, opModeMENU) << "the game was not given up";
}

TEST_F(PadGame, TheDpadAndButtonsWorkTheMenus)
{
    RunFor(100);
    ASSERT_EQ(OperationMode, opModeMENU);
    for (int i = 0; i < 3; ++i)
        Tap(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    Tap(SDL_CONTROLLER_BUTTON_A);
    EXPECT_EQ(OperationMode, opModeHIGH);
    Tap(SDL_CONTROLLER_BUTTON_B);
    EXPECT_EQ(OperationMode, opModeMENU);
}

TEST_F(PadGame, PadsComeAndGoMidGameAndTheLastOneUsedDrives)
{
    Play();
    pad().Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    RunFor(100);
    ASSERT_TRUE(players[1].isMovingRight);
    VirtualPad second;
    ASSERT_TRUE(second.Ok());
    RunFor(100);
    EXPECT_TRUE(players[1].isMovingRight) << "a pad plugged in changes nothing";
    // The second pad is used: the first one's keys are let go.
    second.Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    RunFor(100);
    EXPECT_FALSE(players[1].isMovingRight);
    EXPECT_TRUE(players[1].isMovingLeft);
    pad().Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);
    RunFor(100);
    EXPECT_TRUE(players[1].isMovingLeft);
    // Pulled out while held: its key is let go and the game goes on.
    const uint32_t time = level.time;
    second.Unplug();
    RunFor(500);
    EXPECT_FALSE(players[1].isMovingLeft);
    EXPECT_EQ(OperationMode, opModeGAME);
    EXPECT_GT(level.time, time + 400);
    const int32_t y = players[1].pos.y;
    Tap(SDL_CONTROLLER_BUTTON_DPAD_UP);
    EXPECT_LT(players[1].pos.y, y) << "the first pad drives again";
}

std::set<char> TakenBy(bool (*takes)(WPARAM))
{
    std::set<char> taken;
    for (int c = 0; c < 256; ++c) {
        if (takes(static_cast<WPARAM>(c)))
            taken.insert(static_cast<char>(c));
    }
    return taken;
}

TEST_F(PadGame, ThePickersOfferEveryCharacterTheGameTakesAndNoOther)
{
    // The level choice: second in the menu.
    RunFor(100);
    Tap(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    Tap(SDL_CONTROLLER_BUTTON_A);
    ASSERT_EQ(OperationMode, opModeLOAD);
    const auto digits = PickEveryCharacter([] { return DumpLevelChoice()["try"]; });
    EXPECT_EQ(digits, TakenBy(LevelChoiceTakes));
    Tap(SDL_CONTROLLER_BUTTON_BACK);
    ASSERT_EQ(OperationMode, opModeMENU);
    EXPECT_TRUE(w32::detail::PickerNow().chars.empty()) << "a picker over the menu";

    // The name entry, after a game given up with a score for the table.
    Play();
    players[1].score = 500;
    Tap(SDL_CONTROLLER_BUTTON_BACK);
    Tap(SDL_CONTROLLER_BUTTON_BACK);
    ASSERT_TRUE(isGameOver && isHighScore);
    const auto letters = PickEveryCharacter([] { return playerStr; });
    EXPECT_EQ(letters, TakenBy(NameTakes));
}

TEST_F(PadRecording, ARecordingOfAPadGameReplaysExactlyWithoutAPad)
{
    Play();
    pad().Button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
    pad().Button(SDL_CONTROLLER_BUTTON_A, true);
    RunFor(1500);
    pad().Axis(SDL_CONTROLLER_AXIS_LEFTX, 25000);
    RunFor(700);
    pad().Button(SDL_CONTROLLER_BUTTON_DPAD_UP, false);
    Tap(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
    // Paused in the millisecond of a tick, after it: the replay pauses after that tick too.
    RunThroughTick();
    Tap(SDL_CONTROLLER_BUTTON_START);
    RunFor(600);
    Tap(SDL_CONTROLLER_BUTTON_START);
    pad().Axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
    pad().Button(SDL_CONTROLLER_BUTTON_A, false);
    RunFor(1200);
    const std::string text = harness::ReadFile(record);
    EXPECT_NE(text.find("keydown 38"), std::string::npos) << text;
    EXPECT_NE(text.find("keydown 19"), std::string::npos) << "no resume key recorded";
    EXPECT_NE(text.find(" check "), std::string::npos);
    const auto r = harness::Run(ZODUZOR_BINARY,
                                {"--dir", dir.str(), "--headless", "--replay", record}, dir.str());
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "ok\n");
}

} // namespace
