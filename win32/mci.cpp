// MCI command strings over SDL2_mixer: sounds opened by alias or played by
// path, several at once. Without a device the commands only keep the book.
#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "host_api.h"
#include "layer_internal.h"
#include "regular_file.h"
#include "win32_testing.h"

namespace w32 {

namespace {

struct Sound
{
    SoundState state;
    Mix_Chunk* chunk = nullptr;
    bool music = false; // holds the one Mix_Music track
    int channel = -1;
};

struct Mci
{
    bool deviceAllowed = false;
    bool deviceTried = false;
    bool deviceOpen = false;
    Mix_Music* music = nullptr;
    std::string musicPath;
    std::map<std::string, Sound> sounds; // by lower-case alias
    // Looping sounds closed by the last command, still sounding: an `open`
    // of the same file next takes one over where it is; any other command
    // stops them.
    std::vector<Sound> closing;
    std::ofstream log;
    int musicVolume = 100, effectsVolume = 100; // 0 to 100
    bool mute = false;
};

Mci& M()
{
    static Mci m;
    return m;
}

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool EnsureDevice()
{
    Mci& m = M();
    if (!m.deviceAllowed)
        return false;
    if (!m.deviceTried) {
        m.deviceTried = true;
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0 &&
            Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) == 0) {
            Mix_Init(MIX_INIT_MP3);
            Mix_AllocateChannels(16);
            m.deviceOpen = true;
        }
    }
    return m.deviceOpen;
}

void Halt(Sound& s)
{
    if (!M().deviceOpen)
        return;
    if (s.music) {
        Mix_HaltMusic();
    } else if (s.channel >= 0 && Mix_GetChunk(s.channel) == s.chunk) {
        Mix_HaltChannel(s.channel);
    }
    s.channel = -1;
}

void Free(Sound& s)
{
    Halt(s);
    if (s.chunk)
        Mix_FreeChunk(s.chunk);
    s.chunk = nullptr;
    if (s.music && M().music) {
        Mix_FreeMusic(M().music);
        M().music = nullptr;
        M().musicPath.clear();
    }
    s.music = false;
}

// Notes which sounds have ended; frees what was opened on the fly.
void Reap()
{
    Mci& m = M();
    if (!m.deviceOpen)
        return;
    for (auto it = m.sounds.begin(); it != m.sounds.end();) {
        Sound& s = it->second;
        if (s.state.playing) {
            const bool on = s.music ? Mix_PlayingMusic() != 0
                                    : (s.channel >= 0 && Mix_Playing(s.channel) &&
                                       Mix_GetChunk(s.channel) == s.chunk);
            if (!on)
                s.state.playing = false;
        }
        if (!s.state.playing && s.state.onTheFly) {
            Free(s);
            it = m.sounds.erase(it);
        } else {
            ++it;
        }
    }
}

Sound& Open(const std::string& file, const std::string& alias, bool onTheFly)
{
    Mci& m = M();
    const std::string path = ResolvePath(file);
    Sound& s = m.sounds[Lower(alias)];
    // The alias is open on this file already: what it plays goes on.
    if (!s.state.path.empty() && s.state.path == path)
        return s;
    Free(s);
    s.state = {};
    auto going = std::find_if(m.closing.begin(), m.closing.end(),
                              [&](const Sound& c) { return c.state.path == path; });
    if (going != m.closing.end()) {
        // The same file, closed by the command before: it sounds on.
        s = *going;
        m.closing.erase(going);
    }
    s.state.alias = alias;
    s.state.path = path;
    s.state.onTheFly = onTheFly;
    return s;
}

// The volume of the sound's kind, in the mixer's units.
int MixerVolume(const Sound& s)
{
    const Mci& m = M();
    return m.mute ? 0 : (s.state.music ? m.musicVolume : m.effectsVolume) * MIX_MAX_VOLUME / 100;
}

// Gives the sound its kind's volume, on the mixer too when it sounds there.
void SetVolume(Sound& s)
{
    s.state.volume = MixerVolume(s);
    if (!M().deviceOpen)
        return;
    if (s.music)
        Mix_VolumeMusic(s.state.volume);
    if (s.chunk)
        Mix_VolumeChunk(s.chunk, s.state.volume);
}

void Play(Sound& s, bool repeat)
{
    Mci& m = M();
    // A loop that is playing plays on; anything else starts from the beginning.
    if (repeat && s.state.playing && s.state.repeat)
        return;
    s.state.playing = true;
    s.state.repeat = repeat;
    // Music loops, or is a track played by its file name; effects are opened
    // under an alias and played once.
    s.state.music = repeat || s.state.onTheFly;
    s.state.volume = MixerVolume(s);
    ++s.state.starts;
    if (!EnsureDevice())
        return;
    Halt(s); // playing again starts from the beginning
    // Only a regular file goes to the decoder: a pipe named like a sound
    // would stall the game in its open.
    if (!s.music && !s.chunk && !IsReadableFile(s.state.path)) {
        s.state.playing = false;
        return;
    }
    // One looping track streams as music; everything else is decoded once.
    if (repeat && (!m.music || s.music)) {
        if (!s.music) {
            m.music = Mix_LoadMUS(s.state.path.c_str());
            s.music = m.music != nullptr;
        }
        if (s.music) {
            Mix_VolumeMusic(s.state.volume);
            if (Mix_PlayMusic(m.music, -1) == 0)
                return;
        }
    }
    if (!s.chunk && !s.music)
        s.chunk = Mix_LoadWAV(s.state.path.c_str());
    if (s.chunk) {
        Mix_VolumeChunk(s.chunk, s.state.volume);
        s.channel = Mix_PlayChannel(-1, s.chunk, repeat ? -1 : 0);
        if (s.channel >= 0)
            return;
    }
    s.state.playing = false;
}

// Stops the looping sounds that the last command closed.
void StopClosing()
{
    Mci& m = M();
    for (Sound& s : m.closing)
        Free(s);
    m.closing.clear();
}

// `close all`: every sound is closed; a loop that is playing keeps sounding
// until the next command, which may open its file again.
void CloseAll()
{
    Mci& m = M();
    for (auto& [k, s] : m.sounds) {
        if (s.state.playing && s.state.repeat)
            m.closing.push_back(s);
        else
            Free(s);
    }
    m.sounds.clear();
}

} // namespace

std::vector<SoundState> OpenSounds()
{
    Reap();
    std::vector<SoundState> out;
    for (const auto& [key, s] : M().sounds)
        out.push_back(s.state);
    return out;
}

namespace detail {

void MciSetDeviceAllowed(bool allowed)
{
    M().deviceAllowed = allowed;
}

bool MciOpenLog(const std::string& path, std::string& error)
{
    Mci& m = M();
    if (m.log.is_open())
        m.log.close();
    if (path.empty())
        return true;
    m.log.open(path, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!m.log) {
        error = "cannot write the sound command log " + path;
        return false;
    }
    return true;
}

void MciSetVolumes(int music, int effects, bool mute)
{
    Mci& m = M();
    m.musicVolume = std::clamp(music, 0, 100);
    m.effectsVolume = std::clamp(effects, 0, 100);
    m.mute = mute;
    for (auto& [k, s] : m.sounds)
        SetVolume(s);
    for (Sound& s : m.closing)
        SetVolume(s);
}

void MciReset()
{
    Mci& m = M();
    StopClosing();
    for (auto& [k, s] : m.sounds)
        Free(s);
    m.sounds.clear();
}

void MciShutdown()
{
    MciReset();
    Mci& m = M();
    if (m.log.is_open())
        m.log.flush();
    if (m.deviceOpen) {
        Mix_CloseAudio();
        Mix_Quit();
        m.deviceOpen = false;
    }
}

} // namespace detail

} // namespace w32

DWORD mciSendStringA(LPCSTR command, LPSTR returnString, UINT returnLength, HWND)
{
    using namespace w32;
    if (returnString && returnLength > 0)
        returnString[0] = 0;
    if (!command)
        return 0;
    Mci& m = M();
    if (m.log.is_open()) {
        m.log << command << '\n';
        m.log.flush();
    }
    Reap();
    std::istringstream in(command);
    std::vector<std::string> w;
    for (std::string s; in >> s;)
        w.push_back(s);
    const std::string verb = w.empty() ? std::string() : Lower(w[0]);
    // Loops closed by the command before stop now, unless this opens one
    // of their files again.
    if (verb != "open")
        StopClosing();
    if (w.empty())
        return 0;
    if (verb == "open" && w.size() >= 2) {
        // open <file> [alias <name>]; the file name may hold spaces
        std::string file = w[1], alias;
        size_t i = 2;
        for (; i < w.size() && Lower(w[i]) != "alias"; ++i)
            file += " " + w[i];
        alias = i + 1 < w.size() ? w[i + 1] : file;
        Open(file, alias, false);
    } else if (verb == "play" && w.size() >= 2) {
        bool repeat = w.size() >= 3 && Lower(w.back()) == "repeat";
        std::string name = w[1];
        for (size_t i = 2; i + (repeat ? 1 : 0) < w.size(); ++i)
            name += " " + w[i];
        auto it = m.sounds.find(Lower(name));
        if (it == m.sounds.end()) {
            // Not an alias: a path opened on the fly, when such a file exists.
            if (GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES)
                return 0;
            Play(Open(name, name, true), repeat);
        } else {
            Play(it->second, repeat);
        }
    } else if (verb == "close" && w.size() >= 2) {
        if (Lower(w[1]) == "all") {
            CloseAll();
        } else if (auto it = m.sounds.find(Lower(w[1])); it != m.sounds.end()) {
            Free(it->second);
            m.sounds.erase(it);
        }
    } else if (verb == "stop") {
        for (auto& [k, s] : m.sounds) {
            if (w.size() < 2 || Lower(w[1]) == "all" || k == Lower(w[1])) {
                Halt(s);
                s.state.playing = false;
            }
        }
        Reap();
    }
    if (verb == "open")
        StopClosing(); // what the open did not take over
    return 0;
}
