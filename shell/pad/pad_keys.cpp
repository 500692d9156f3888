// What a pad's control does on the screen shown: in play the key of its
// action in the key settings, in the menus the keys that work them, and
// where a name or a level number is typed, the picker of characters.
#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "pad.h"

namespace w32 {

namespace {

constexpr size_t kControls = static_cast<size_t>(PadControl::Count);

// The slots of the key settings, by their role.
enum Slot {
    kNextColour = 0,
    kPrevColour = 1,
    kRed = 2,
    kBlue = 3,
    kGreen = 4,
    kYellow = 5,
    kUp = 6,
    kDown = 7,
    kLeft = 8,
    kRight = 9,
    kFire = 10,
    kPause = 11
};

// The character chosen on each picker, by its place among the characters
// offered: a name's first (A), a level number's second (1, after 0).
struct Picker
{
    int name = 0;
    int level = 1;
};

Picker& Chosen()
{
    static Picker p;
    return p;
}

// Capitals, small letters, digits, the rest.
int Kind(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return std::isupper(u) ? 0 : std::islower(u) ? 1 : std::isdigit(u) ? 2 : 3;
}

// The chosen character's place on the screen's picker, kept among its characters.
int& ChosenOn(const PadContext& now, int count)
{
    int& i = now.screen == PadScreen::LevelChoice ? Chosen().level : Chosen().name;
    if (i >= count)
        i = 0;
    return i;
}

} // namespace

UINT PadKey(PadControl control, const PadContext& now)
{
    const auto c = static_cast<size_t>(control);
    if (detail::PickerScreen(now.screen)) {
        // Left and east rub out, Start confirms, Back leaves the level
        // choice; the picker takes the rest.
        switch (control) {
        case PadControl::Left:
        case PadControl::StickLeft:
        case PadControl::East:
            return VK_BACK;
        case PadControl::Start:
            return VK_RETURN;
        case PadControl::Back:
            return now.screen == PadScreen::LevelChoice ? VK_ESCAPE : 0;
        default:
            return 0;
        }
    }
    // In menus, by the order of PadControl: the d-pad and the stick move the
    // selection, south and Start are Enter, east and Back are Escape.
    static constexpr UINT kMenuKey[kControls] = {
        VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT,  VK_RETURN, VK_ESCAPE, 0,       0,       0,
        0,     0,       0,       VK_RETURN, VK_ESCAPE, VK_UP,     VK_DOWN, VK_LEFT, VK_RIGHT};
    if (now.screen == PadScreen::Menu)
        return kMenuKey[c];
    if (now.screen == PadScreen::Paused) {
        // On the pause screen Escape gives up and any other key resumes.
        if (control == PadControl::Back)
            return VK_ESCAPE;
        if (control == PadControl::Start)
            return now.keys[kPause] != VK_ESCAPE ? now.keys[kPause] : VK_PAUSE;
    }
    // In play, by the order of PadControl: the d-pad, the face buttons (south
    // fires; west, north and east choose the colours printed on them on the
    // common pads: blue, yellow, red), the shoulders (previous and next
    // colour), the triggers (green), Start and Back (the pause key), the stick.
    static constexpr Slot kSlot[kControls] = {
        kUp,         kDown,  kLeft,  kRight, kFire,  kRed, kBlue, kYellow, kPrevColour,
        kNextColour, kGreen, kGreen, kPause, kPause, kUp,  kDown, kLeft,   kRight};
    return now.keys[kSlot[c]];
}

bool AxisHeld(int value, bool wasHeld, int press, int release)
{
    return wasHeld ? value > release : value > press;
}

} // namespace w32

namespace w32::detail {

bool PickerScreen(PadScreen screen)
{
    return screen == PadScreen::NameEntry || screen == PadScreen::LevelChoice;
}

PickerMove PickerMoveOf(PadControl control)
{
    switch (control) {
    case PadControl::Up:
    case PadControl::StickUp:
        return PickerMove::Previous;
    case PadControl::Down:
    case PadControl::StickDown:
        return PickerMove::Next;
    case PadControl::LeftShoulder:
        return PickerMove::PreviousKind;
    case PadControl::RightShoulder:
        return PickerMove::NextKind;
    case PadControl::Right:
    case PadControl::StickRight:
    case PadControl::South:
        return PickerMove::Add;
    default:
        return PickerMove::None;
    }
}

std::string PickerChars(const PadContext& now)
{
    std::string chars;
    if (!PickerScreen(now.screen) || !now.takes)
        return chars;
    for (int c = 1; c < 256; ++c) {
        if (now.takes(static_cast<WPARAM>(c)))
            chars.push_back(static_cast<char>(c));
    }
    std::stable_sort(chars.begin(), chars.end(), [](char a, char b) { return Kind(a) < Kind(b); });
    return chars;
}

void MovePicker(const PadContext& now, PickerMove move)
{
    const std::string chars = PickerChars(now);
    const int n = static_cast<int>(chars.size());
    if (n == 0)
        return;
    int& i = ChosenOn(now, n);
    // Where each kind begins, and the kind of the chosen character.
    std::vector<int> starts;
    for (int k = 0; k < n; ++k) {
        if (k == 0 ||
            Kind(chars[static_cast<size_t>(k)]) != Kind(chars[static_cast<size_t>(k - 1)]))
            starts.push_back(k);
    }
    const int kinds = static_cast<int>(starts.size());
    const int kind =
        static_cast<int>(std::upper_bound(starts.begin(), starts.end(), i) - starts.begin()) - 1;
    switch (move) {
    case PickerMove::Previous:
        i = (i + n - 1) % n;
        break;
    case PickerMove::Next:
        i = (i + 1) % n;
        break;
    case PickerMove::PreviousKind:
    case PickerMove::NextKind:
        if (kinds > 1)
            i = starts[static_cast<size_t>((kind + (move == PickerMove::NextKind ? 1 : kinds - 1)) %
                                           kinds)];
        break;
    default:
        break;
    }
}

PickerView PickerViewOf(const PadContext& now)
{
    PickerView v;
    v.chars = PickerChars(now);
    if (v.chars.empty())
        return v;
    v.selected = ChosenOn(now, static_cast<int>(v.chars.size()));
    v.full = now.full;
    // Left of the text typed (the level's digits, the name under its prompt),
    // level with it, clear of the box the default content draws around it.
    const bool level = now.screen == PadScreen::LevelChoice;
    v.x = level ? 92 : 258;
    v.y = level ? 460 : 535;
    return v;
}

void ResetPicker()
{
    Chosen() = {};
}

} // namespace w32::detail
