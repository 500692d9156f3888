// Scripts of input events: their lines read into events.
#include <SDL.h>

#include <cctype>
#include <charconv>
#include <sstream>

#include "host_api.h"
#include "shell_testing.h"

namespace w32 {

namespace {

bool ToInt(const std::string& s, int& v)
{
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool ToUint32(const std::string& s, uint32_t& v)
{
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool IsHex(const std::string& s)
{
    if (s.empty() || s.size() > 16)
        return false;
    for (char c : s) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

// The characters of a line after `count` words and one separating space.
std::string RestAfterWords(const std::string& line, int count)
{
    size_t i = 0;
    for (int w = 0; w < count; ++w) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
    }
    if (i < line.size())
        ++i;
    return line.substr(i);
}

// A pad's event, `pad down|up <button>` or `pad axis <axis> <value>` with
// SDL's names (and triggerleft, triggerright for its triggers' axes); the
// reason when it is malformed, else empty.
std::string ParsePad(const std::vector<std::string>& w, ScriptEvent& ev)
{
    const bool button = w.size() == 4 && (w[2] == "down" || w[2] == "up");
    const bool axis = w.size() == 5 && w[2] == "axis";
    if (!button && !axis)
        return "pad wants down or up and a button, or axis, an axis and a value";
    // SDL reads a sign before an axis's name; a script names it plainly.
    const std::string& name = w[3];
    if (!std::isalpha(static_cast<unsigned char>(name[0])))
        return "unknown pad control '" + name + "'";
    if (button) {
        ev.kind = ScriptKind::PadButton;
        ev.a = SDL_GameControllerGetButtonFromString(name.c_str());
        ev.b = w[2] == "down" ? 1 : 0;
        return ev.a == SDL_CONTROLLER_BUTTON_INVALID ? "unknown pad button '" + name + "'" : "";
    }
    ev.kind = ScriptKind::PadAxis;
    const std::string sdlName = name == "triggerleft"    ? "lefttrigger"
                                : name == "triggerright" ? "righttrigger"
                                                         : name;
    ev.a = SDL_GameControllerGetAxisFromString(sdlName.c_str());
    if (ev.a == SDL_CONTROLLER_AXIS_INVALID)
        return "unknown pad axis '" + name + "'";
    if (!ToInt(w[4], ev.b) || ev.b < -32768 || ev.b > 32767)
        return "pad axis wants a value from -32768 to 32767";
    return "";
}

} // namespace

bool ParseScript(std::istream& in, const std::string& name, Script& out, std::string& error)
{
    out = {};
    std::string line;
    int lineNo = 0;
    uint32_t previous = 0;
    bool sawEvent = false;
    auto fail = [&](const std::string& why) {
        error = name + ":" + std::to_string(lineNo) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::string full = line;
        if (auto hash = line.find('#'); hash != std::string::npos)
            line.erase(hash);
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string s; words >> s;)
            w.push_back(s);
        if (w.empty())
            continue;
        if (w[0] == "clock") {
            if (sawEvent || !out.clock.empty())
                return fail("clock must be the first line");
            SYSTEMTIME t;
            if (w.size() != 2 || !ParseClock(w[1], t))
                return fail("clock wants YYYY-MM-DDTHH:MM:SS.CC");
            out.clock = w[1];
            continue;
        }
        ScriptEvent ev;
        ev.line = lineNo;
        uint32_t t = 0;
        if (w[0][0] == '+') {
            if (!ToUint32(w[0].substr(1), t))
                return fail("bad time '" + w[0] + "'");
            if (t > UINT32_MAX - previous)
                return fail("time out of range");
            ev.time = previous + t;
        } else {
            if (!ToUint32(w[0], t))
                return fail("bad time '" + w[0] + "'");
            if (t < previous)
                return fail("time goes backwards");
            ev.time = t;
        }
        if (w.size() < 2)
            return fail("missing event");
        const std::string& e = w[1];
        const size_t args = w.size() - 2;
        auto wantArgs = [&](size_t n) { return args == n; };
        auto key = [&](size_t i, int& v) {
            v = ParseKeyName(w[i]);
            return v > 0;
        };
        auto point = [&]() {
            return wantArgs(2) && ToInt(w[2], ev.a) && ToInt(w[3], ev.b) && ev.a >= 0 &&
                   ev.b >= 0 && ev.a < 65536 && ev.b < 65536;
        };
        if (e == "keydown") {
            ev.kind = ScriptKind::KeyDown;
            if (args < 1 || args > 2 || !key(2, ev.a))
                return fail("keydown wants a key");
            if (args == 2) {
                if (w[3] != "repeat")
                    return fail("keydown: unknown word '" + w[3] + "'");
                ev.b = 1;
            }
        } else if (e == "keyup" || e == "press") {
            ev.kind = e == "keyup" ? ScriptKind::KeyUp : ScriptKind::Press;
            if (!wantArgs(1) || !key(2, ev.a))
                return fail(e + " wants a key");
        } else if (e == "char") {
            ev.kind = ScriptKind::Char;
            std::string rest = RestAfterWords(full, 2);
            while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t'))
                rest.pop_back();
            if (rest.size() == 3 && rest.front() == '\'' && rest.back() == '\'') {
                ev.a = static_cast<unsigned char>(rest[1]);
            } else if (!(wantArgs(1) && ToInt(w[2], ev.a) && ev.a >= 0 && ev.a < 65536)) {
                return fail("char wants a code or one quoted character");
            }
        } else if (e == "type") {
            ev.kind = ScriptKind::Type;
            ev.text = RestAfterWords(full, 2);
            if (ev.text.empty())
                return fail("type wants text");
        } else if (e == "mousemove" || e == "lbuttondown" || e == "lbuttonup" || e == "click") {
            ev.kind = e == "mousemove"     ? ScriptKind::MouseMove
                      : e == "lbuttondown" ? ScriptKind::LButtonDown
                      : e == "lbuttonup"   ? ScriptKind::LButtonUp
                                           : ScriptKind::Click;
            if (!point())
                return fail(e + " wants x and y");
        } else if (e == "wheel") {
            ev.kind = ScriptKind::Wheel;
            if (!wantArgs(1) || !ToInt(w[2], ev.a) || ev.a < -32768 || ev.a > 32767)
                return fail("wheel wants a distance");
        } else if (e == "close" || e == "quit") {
            ev.kind = e == "close" ? ScriptKind::Close : ScriptKind::Quit;
            if (!wantArgs(0))
                return fail(e + " takes nothing");
        } else if (e == "screenshot" || e == "dump") {
            ev.kind = e == "screenshot" ? ScriptKind::Screenshot : ScriptKind::Dump;
            if (!wantArgs(1))
                return fail(e + " wants a file name");
            ev.text = w[2];
        } else if (e == "check") {
            ev.kind = ScriptKind::Check;
            if (!wantArgs(1) || !IsHex(w[2]))
                return fail("check wants a hexadecimal hash");
            ev.text = w[2];
        } else if (e == "pad") {
            if (const std::string why = ParsePad(w, ev); !why.empty())
                return fail(why);
        } else {
            return fail("unknown event '" + e + "'");
        }
        previous = ev.time;
        sawEvent = true;
        out.events.push_back(std::move(ev));
    }
    return true;
}

} // namespace w32
