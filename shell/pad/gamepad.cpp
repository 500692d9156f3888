// Gamepads through SDL's game controllers: each control of a pad presses the
// key the game would get from the keyboard for the same action, as the
// program's current key settings and screen say. A held control is a held
// key: one key-down when it is pressed, one key-up when it is let go. The
// stick and the triggers count as pressed past a threshold, with some
// hysteresis. Pads come and go at any time; the last one used drives. A
// script's pad is one more, made by its first event.
#include <SDL.h>

#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "host_api.h"
#include "pad.h"
#include "regular_file.h"
#include "shell_testing.h"
#include "window/window.h"

namespace w32 {

namespace {

// Thresholds of the axes (full scale 32767): a dead zone round the rest.
constexpr int kStickPress = 16000, kStickRelease = 10000;
constexpr int kTriggerPress = 20000, kTriggerRelease = 12000;
constexpr size_t kControls = static_cast<size_t>(PadControl::Count);
// The script's pad: an id SDL never gives a joystick.
constexpr SDL_JoystickID kScriptPad = -2;

struct Pad
{
    SDL_GameController* controller = nullptr;
    SDL_JoystickID id = -1;
    std::array<bool, kControls> held{};
};

struct Pads
{
    bool started = false;
    bool withoutScreen = false;
    bool pickerHidden = false;
    std::function<PadContext()> hook;
    std::vector<Pad> pads;
    SDL_JoystickID driver = -1;
    std::array<UINT, kControls> sent{}; // the key each control of the driver holds down
    std::map<UINT, int> down;           // how many controls hold each key
};

Pads& P()
{
    static Pads p;
    return p;
}

// Whether the key went down (it was not held by another control already).
bool Press(size_t control, UINT vk, detail::InputSink& sink)
{
    Pads& p = P();
    p.sent[control] = vk;
    if (p.down[vk]++ != 0)
        return false;
    sink.Input(WM_KEYDOWN, vk, KeyLParam(vk, false, false));
    return true;
}

void Release(size_t control, detail::InputSink& sink)
{
    Pads& p = P();
    const UINT vk = p.sent[control];
    if (!vk)
        return;
    p.sent[control] = 0;
    if (--p.down[vk] == 0)
        sink.Input(WM_KEYUP, vk, KeyLParam(vk, false, true));
}

// Whatever the driving pad holds is let go.
void ReleaseAll(detail::InputSink& sink)
{
    for (size_t c = 0; c < kControls; ++c)
        Release(c, sink);
}

// The picker takes a control: the character chosen is typed as a keyboard
// types it (its key, and the character after the key-down) unless the text
// is full, or another is chosen. False when the control is not the picker's.
bool Pick(PadControl control, const PadContext& now, detail::InputSink& sink)
{
    const detail::PickerMove move = detail::PickerMoveOf(control);
    if (move == detail::PickerMove::None)
        return false;
    if (move != detail::PickerMove::Add) {
        detail::MovePicker(now, move);
        detail::RedrawSurfaces();
    } else if (const PickerView v = detail::PickerViewOf(now); !now.full && !v.chars.empty()) {
        const char c = v.chars[static_cast<size_t>(v.selected)];
        const UINT vk = static_cast<UINT>(std::toupper(static_cast<unsigned char>(c)));
        if (Press(static_cast<size_t>(control), vk, sink))
            sink.Input(WM_CHAR, static_cast<WPARAM>(c), 1);
    }
    return true;
}

void SetControl(Pad& pad, PadControl control, bool held, detail::InputSink& sink)
{
    Pads& p = P();
    const auto c = static_cast<size_t>(control);
    if (pad.held[c] == held)
        return;
    pad.held[c] = held;
    if (!held) {
        if (pad.id == p.driver)
            Release(c, sink);
        return;
    }
    if (pad.id != p.driver) {
        ReleaseAll(sink);
        p.driver = pad.id;
    }
    const PadContext now = p.hook ? p.hook() : PadContext{};
    if (detail::PickerScreen(now.screen) && Pick(control, now, sink))
        return;
    if (const UINT vk = PadKey(control, now))
        Press(c, vk, sink);
}

Pad* Find(SDL_JoystickID id)
{
    for (Pad& pad : P().pads) {
        if (pad.id == id)
            return &pad;
    }
    return nullptr;
}

void Open(int deviceIndex)
{
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    if (Find(id) || !SDL_IsGameController(deviceIndex))
        return;
    if (SDL_GameController* gc = SDL_GameControllerOpen(deviceIndex)) {
        P().pads.push_back({gc, id, {}});
        detail::RedrawSurfaces();
    }
}

void Close(SDL_JoystickID id, detail::InputSink& sink)
{
    Pads& p = P();
    if (id == p.driver) {
        ReleaseAll(sink);
        p.driver = -1;
    }
    auto& pads = p.pads;
    for (auto it = pads.begin(); it != pads.end(); ++it) {
        if (it->id == id) {
            SDL_GameControllerClose(it->controller);
            pads.erase(it);
            detail::RedrawSurfaces();
            return;
        }
    }
}

// The pad's buttons as the controls they are.
constexpr std::pair<SDL_GameControllerButton, PadControl> kButtons[] = {
    {SDL_CONTROLLER_BUTTON_A, PadControl::South},
    {SDL_CONTROLLER_BUTTON_B, PadControl::East},
    {SDL_CONTROLLER_BUTTON_X, PadControl::West},
    {SDL_CONTROLLER_BUTTON_Y, PadControl::North},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, PadControl::LeftShoulder},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, PadControl::RightShoulder},
    {SDL_CONTROLLER_BUTTON_START, PadControl::Start},
    {SDL_CONTROLLER_BUTTON_BACK, PadControl::Back},
    {SDL_CONTROLLER_BUTTON_DPAD_UP, PadControl::Up},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, PadControl::Down},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, PadControl::Left},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, PadControl::Right},
};

bool ButtonControl(Uint8 button, PadControl& control)
{
    for (const auto& [b, c] : kButtons) {
        if (b == button) {
            control = c;
            return true;
        }
    }
    return false;
}

void Axis(Pad& pad, int axis, int value, detail::InputSink& sink)
{
    auto both = [&](PadControl negative, PadControl positive) {
        const bool wasNeg = pad.held[static_cast<size_t>(negative)];
        const bool wasPos = pad.held[static_cast<size_t>(positive)];
        SetControl(pad, negative, AxisHeld(-value, wasNeg, kStickPress, kStickRelease), sink);
        SetControl(pad, positive, AxisHeld(value, wasPos, kStickPress, kStickRelease), sink);
    };
    auto trigger = [&](PadControl control) {
        const bool was = pad.held[static_cast<size_t>(control)];
        SetControl(pad, control, AxisHeld(value, was, kTriggerPress, kTriggerRelease), sink);
    };
    switch (axis) {
    case SDL_CONTROLLER_AXIS_LEFTX:
        both(PadControl::StickLeft, PadControl::StickRight);
        break;
    case SDL_CONTROLLER_AXIS_LEFTY:
        both(PadControl::StickUp, PadControl::StickDown);
        break;
    case SDL_CONTROLLER_AXIS_TRIGGERLEFT:
        trigger(PadControl::LeftTrigger);
        break;
    case SDL_CONTROLLER_AXIS_TRIGGERRIGHT:
        trigger(PadControl::RightTrigger);
        break;
    default:
        break;
    }
}

// A mapping database beside the player's files or the content, when there is one.
void AddMappings()
{
    const std::string user = UserFolder();
    for (const std::string& file : {user.empty() ? std::string() : user + "/gamecontrollerdb.txt",
                                    ResolvePath("gamecontrollerdb.txt")}) {
        std::string problem;
        if (!file.empty() && IsReadableFile(file) && !detail::AddMappingsFile(file, problem))
            std::fprintf(stderr, "zoduzor: %s\n", problem.c_str());
    }
}

} // namespace

void SetPadHook(std::function<PadContext()> hook)
{
    P().hook = std::move(hook);
}

namespace testing {

void EnablePads()
{
    detail::StartPads();
    P().withoutScreen = true;
}

} // namespace testing

} // namespace w32

namespace w32::detail {

void StartPads()
{
    Pads& p = P();
    if (p.started)
        return;
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
        return;
    p.started = true;
    AddMappings();
    SDL_GameControllerEventState(SDL_ENABLE);
}

void PadEvent(const SDL_Event& ev, InputSink& sink)
{
    switch (ev.type) {
    case SDL_CONTROLLERDEVICEADDED:
        Open(ev.cdevice.which);
        break;
    case SDL_CONTROLLERDEVICEREMOVED:
        Close(ev.cdevice.which, sink);
        break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
        PadControl control;
        if (Pad* pad = Find(ev.cbutton.which); pad && ButtonControl(ev.cbutton.button, control))
            SetControl(*pad, control, ev.type == SDL_CONTROLLERBUTTONDOWN, sink);
        break;
    }
    case SDL_CONTROLLERAXISMOTION:
        if (Pad* pad = Find(ev.caxis.which))
            Axis(*pad, ev.caxis.axis, ev.caxis.value, sink);
        break;
    default:
        break;
    }
}

void PumpPads(InputSink& sink)
{
    if (!P().withoutScreen)
        return;
    SDL_PumpEvents();
    SDL_Event ev;
    while (SDL_PeepEvents(&ev, 1, SDL_GETEVENT, SDL_CONTROLLERAXISMOTION,
                          SDL_CONTROLLERDEVICEREMAPPED) > 0)
        PadEvent(ev, sink);
    // Nobody else reads SDL's events here: the joysticks' own are dropped.
    SDL_FlushEvents(SDL_JOYAXISMOTION, SDL_JOYBATTERYUPDATED);
}

// The script's pad, made when first used.
Pad& TheScriptPad()
{
    if (Pad* pad = Find(kScriptPad))
        return *pad;
    P().pads.push_back({nullptr, kScriptPad, {}});
    return P().pads.back();
}

void ScriptPadButton(int button, bool down, InputSink& sink)
{
    Pad& pad = TheScriptPad();
    PadControl control;
    if (button >= 0 && button <= UINT8_MAX && ButtonControl(static_cast<Uint8>(button), control))
        SetControl(pad, control, down, sink);
}

void ScriptPadAxis(int axis, int value, InputSink& sink)
{
    Axis(TheScriptPad(), axis, value, sink);
}

void HidePicker()
{
    P().pickerHidden = true;
}

PickerView PickerNow()
{
    const Pads& p = P();
    if (p.pads.empty() || !p.hook || p.pickerHidden)
        return {};
    return PickerViewOf(p.hook());
}

void ResetPads()
{
    Pads& p = P();
    for (Pad& pad : p.pads) {
        if (pad.controller)
            SDL_GameControllerClose(pad.controller);
    }
    p.pads.clear();
    p.driver = -1;
    p.sent = {};
    p.down.clear();
    p.hook = nullptr;
    p.withoutScreen = false;
    p.pickerHidden = false;
    ResetPicker();
}

} // namespace w32::detail
