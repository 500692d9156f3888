// The keys of the window itself: F11 and Alt+Enter for fullscreen, F6 for the
// scaling, F7/F8 music, F9/F10 effects and F12 mute. They change the settings
// kept in Window.cfg and never reach the game.
#include "window_controls.h"

#include <algorithm>
#include <set>
#include <string>

#include "host_api.h"

namespace w32 {

WindowKey WindowKeyOf(int32_t sdlKeycode, bool alt)
{
    switch (sdlKeycode) {
    case SDLK_F6:
        return WindowKey::Scaling;
    case SDLK_F7:
        return WindowKey::MusicDown;
    case SDLK_F8:
        return WindowKey::MusicUp;
    case SDLK_F9:
        return WindowKey::EffectsDown;
    case SDLK_F10:
        return WindowKey::EffectsUp;
    case SDLK_F11:
        return WindowKey::Fullscreen;
    case SDLK_F12:
        return WindowKey::Mute;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return alt ? WindowKey::Fullscreen : WindowKey::None;
    default:
        return WindowKey::None;
    }
}

Indication ApplyWindowKey(WindowKey key, WindowSettings& s)
{
    auto step = [](int& volume, int by) { volume = std::clamp(volume + by, 0, 100); };
    auto volume = [&](const char* label, int value) {
        return Indication{
            std::string(label) + " " + std::to_string(value) + (s.mute ? " MUTED" : ""), value};
    };
    switch (key) {
    case WindowKey::Fullscreen:
        s.fullscreen = !s.fullscreen;
        return {};
    case WindowKey::Scaling:
        s.sharp = !s.sharp;
        return {s.sharp ? "SCALING SHARP" : "SCALING SMOOTH", -1};
    case WindowKey::MusicDown:
    case WindowKey::MusicUp:
        step(s.music, key == WindowKey::MusicUp ? 10 : -10);
        return volume("MUSIC", s.music);
    case WindowKey::EffectsDown:
    case WindowKey::EffectsUp:
        step(s.effects, key == WindowKey::EffectsUp ? 10 : -10);
        return volume("EFFECTS", s.effects);
    case WindowKey::Mute:
        s.mute = !s.mute;
        return {s.mute ? "SOUND MUTED" : "SOUND ON", -1};
    case WindowKey::None:
        break;
    }
    return {};
}

namespace detail {

namespace {

struct Controls
{
    bool opened = false;
    WindowSettings settings;
    WindowSettings saved; // as the file holds them
    std::string path;     // where they are kept; empty: nowhere
    WindowView* view = nullptr;
    std::set<int> held; // scan codes of keys the window took, while they are down
};

// Never destroyed: a window still open at exit detaches itself in its destructor.
Controls& C()
{
    static auto* c = new Controls;
    return *c;
}

void Keep()
{
    Controls& c = C();
    if (c.path.empty() || c.settings == c.saved)
        return;
    if (SaveWindowSettings(c.path, c.settings))
        c.saved = c.settings;
}

void ApplyVolumes()
{
    const WindowSettings& s = C().settings;
    MciSetVolumes(s.music, s.effects, s.mute);
}

} // namespace

const WindowSettings& OpenWindowSettings()
{
    Controls& c = C();
    if (!c.opened) {
        c.opened = true;
        c.path = WindowSettingsPath();
        c.settings = c.saved = LoadWindowSettings(c.path);
        ApplyVolumes();
    }
    return c.settings;
}

void AttachWindowView(WindowView* view)
{
    C().view = view;
}

void DetachWindowView(WindowView* view)
{
    if (C().view == view)
        C().view = nullptr;
}

void NoteWindowSize(int width, int height)
{
    Controls& c = C();
    if (c.settings.fullscreen || width < kMinWindowW || height < kMinWindowH)
        return;
    c.settings.width = width;
    c.settings.height = height;
    Keep();
}

bool TakeWindowKey(const SDL_Event& ev)
{
    if (ev.type != SDL_KEYDOWN && ev.type != SDL_KEYUP)
        return false;
    Controls& c = C();
    const int scancode = ev.key.keysym.scancode;
    if (ev.type == SDL_KEYUP)
        return c.held.erase(scancode) != 0;
    const WindowKey key = WindowKeyOf(ev.key.keysym.sym, (ev.key.keysym.mod & KMOD_ALT) != 0);
    if (key == WindowKey::None)
        return c.held.count(scancode) != 0;
    c.held.insert(scancode);
    // A held volume key goes on stepping; a held toggle acts once.
    const bool toggle =
        key == WindowKey::Fullscreen || key == WindowKey::Scaling || key == WindowKey::Mute;
    if (ev.key.repeat && toggle)
        return true;
    const Indication shown = ApplyWindowKey(key, c.settings);
    ApplyVolumes();
    if (c.view) {
        c.view->Settle(c.settings);
        if (!shown.text.empty())
            c.view->Indicate(shown);
    }
    Keep();
    return true;
}

void IndicateInWindow(const std::string& text)
{
    if (C().view)
        C().view->Indicate(Indication{text, -1});
}

void ResetWindowControls()
{
    C() = Controls{};
    ApplyVolumes();
}

} // namespace detail

} // namespace w32
