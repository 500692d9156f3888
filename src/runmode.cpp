// The message trace, the state dump and the state hash of the run modes.
#include "runmode.h"

#include <algorithm>
#include <array>
#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string_view>
#include <vector>

#include "common.h"
#include "game.h"
#include "highscore.h"
#include "keySettings.h"
#include "loadmenu.h"
#include "rastrum.h"
#include "shell.h"
#include "winwrap.h"

namespace {

std::ofstream& Trace()
{
    static std::ofstream trace;
    return trace;
}

const char* MessageName(UINT msg)
{
    if (msg == WM_C_OPMO_BEGIN)
        return "BEGIN";
    if (msg == WM_C_OPMO_END)
        return "END";
    switch (msg) {
    case WM_NULL:
        return "WM_NULL";
    case WM_CREATE:
        return "WM_CREATE";
    case WM_DESTROY:
        return "WM_DESTROY";
    case WM_PAINT:
        return "WM_PAINT";
    case WM_CLOSE:
        return "WM_CLOSE";
    case WM_QUIT:
        return "WM_QUIT";
    case WM_KEYDOWN:
        return "WM_KEYDOWN";
    case WM_KEYUP:
        return "WM_KEYUP";
    case WM_CHAR:
        return "WM_CHAR";
    case WM_TIMER:
        return "WM_TIMER";
    case WM_MOUSEMOVE:
        return "WM_MOUSEMOVE";
    case WM_LBUTTONDOWN:
        return "WM_LBUTTONDOWN";
    case WM_LBUTTONUP:
        return "WM_LBUTTONUP";
    case WM_MOUSEWHEEL:
        return "WM_MOUSEWHEEL";
    default:
        return nullptr;
    }
}

// The length of the well-formed UTF-8 sequence at the start of `s` (code
// points up to U+10FFFF, no surrogates, no overlong forms), or 0.
size_t Utf8Sequence(std::string_view s)
{
    const auto byte = [&s](size_t i) { return static_cast<unsigned char>(s[i]); };
    const auto tail = [&](size_t i, unsigned lo, unsigned hi) {
        return i < s.size() && byte(i) >= lo && byte(i) <= hi;
    };
    const unsigned b = byte(0);
    if (b < 0x80) {
        return 1;
    }
    if (b >= 0xC2 && b <= 0xDF) {
        return tail(1, 0x80, 0xBF) ? 2 : 0;
    }
    if (b >= 0xE0 && b <= 0xEF) {
        const unsigned lo = b == 0xE0 ? 0xA0 : 0x80;
        const unsigned hi = b == 0xED ? 0x9F : 0xBF;
        return tail(1, lo, hi) && tail(2, 0x80, 0xBF) ? 3 : 0;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        const unsigned lo = b == 0xF0 ? 0x90 : 0x80;
        const unsigned hi = b == 0xF4 ? 0x8F : 0xBF;
        return tail(1, lo, hi) && tail(2, 0x80, 0xBF) && tail(3, 0x80, 0xBF) ? 4 : 0;
    }
    return 0;
}

bool IsUtf8(std::string_view s)
{
    while (!s.empty()) {
        const size_t n = Utf8Sequence(s);
        if (n == 0) {
            return false;
        }
        s.remove_prefix(n);
    }
    return true;
}

// Text from files is bytes; JSON is UTF-8. Each byte that does not belong
// to a well-formed UTF-8 sequence becomes U+FFFD.
std::string ReplaceBadBytes(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    while (!s.empty()) {
        const size_t n = Utf8Sequence(s);
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            s.remove_prefix(1);
        } else {
            out.append(s.substr(0, n));
            s.remove_prefix(n);
        }
    }
    return out;
}

// Makes every string value of the document valid UTF-8; the
// strings that were not are appended to `bad`, in document order, when
// `bad` is given.
void MakeUtf8(nlohmann::json& j, std::vector<std::string>* bad)
{
    if (j.is_string()) {
        std::string& s = j.get_ref<std::string&>();
        if (!IsUtf8(s)) {
            if (bad != nullptr) {
                bad->push_back(s);
            }
            s = ReplaceBadBytes(s);
        }
    } else if (j.is_structured()) {
        // Keys are the program's own names; values may come from files.
        for (auto& element : j) {
            MakeUtf8(element, bad);
        }
    }
}

} // namespace

bool OpenTrace(const std::string& path)
{
    auto& t = Trace();
    if (t.is_open())
        t.close();
    if (path.empty())
        return true;
    t.open(path, std::ios::out | std::ios::trunc | std::ios::binary);
    return static_cast<bool>(t);
}

void TraceMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto& t = Trace();
    if (!t.is_open())
        return;
    t << w32::Now() << ' ' << OperationModeName(OperationMode) << ' ';
    if (const char* name = MessageName(msg)) {
        t << name;
    } else {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%04X", msg);
        t << hex;
    }
    t << ' ' << wParam << ' ' << lParam << '\n';
    t.flush();
}

void ObserveScreenMessage(UINT msg)
{
    if (OperationMode != opModeGAME)
        return;
    if (msg == WM_C_OPMO_BEGIN) {
        w32::GameBegins();
    } else if (msg == WM_C_OPMO_END && isGameOver) {
        w32::GameEnded(players[1].score, firstLevel);
    }
}

w32::PadContext PadContextNow()
{
    w32::PadContext now;
    for (size_t i = 0; i < keyset.size(); ++i)
        now.keys[i] = keyset[i].key;
    if (OperationMode == opModeGAME && !isGameOver) {
        now.screen = isPaused ? w32::PadScreen::Paused : w32::PadScreen::Play;
    } else if (OperationMode == opModeGAME && isHighScore) {
        now.screen = w32::PadScreen::NameEntry;
        now.takes = NameTakes;
        now.full = playerStr.size() >= kNameCapacity;
    } else if (OperationMode == opModeLOAD) {
        now.screen = w32::PadScreen::LevelChoice;
        now.takes = LevelChoiceTakes;
        now.full = LevelChoiceFull();
    }
    return now;
}

const uint32_t* PictureBetweenTicks(double sinceTick, const w32::PictureTarget& into,
                                    int& changedLeft)
{
    if (OperationMode != opModeGAME) {
        return nullptr;
    }
    // Drawn aside, into the window's pixels where they are the buffer's size:
    // the buffer keeps the picture of the last paint. The panel at the left
    // hides all that moves: it is the last paint's, and only the play field
    // is drawn.
    const bool direct =
        into.pixels != nullptr && Rastrum_DrawAsideInto(into.pixels, 800, 700, into.pitch) != 0;
    if (!direct) {
        Rastrum_DrawAside(1);
    }
    changedLeft = Rastrum_DrawAsideFrom(Rastrum_OpaqueLeft(imgOSD));
    DrawPlayScreen(std::clamp(sinceTick, 0.0, 1.0));
    const uint32_t* pixels = into.pixels;
    if (!direct) {
        int32_t w = 0;
        int32_t h = 0;
        pixels = Rastrum_BufferPixels(&w, &h);
        if (w != 800 || h != 700) {
            pixels = nullptr;
        }
    }
    Rastrum_DrawAside(0);
    return pixels;
}

void TraceMessageBox(const char* caption, const char* text)
{
    auto& t = Trace();
    if (!t.is_open())
        return;
    t << w32::Now() << " MSGBOX " << (caption ? caption : "") << ": " << (text ? text : "") << '\n';
    t.flush();
}

std::string CarriedState()
{
    const TPlayer& p = players[1];
    nlohmann::json j;
    j["firstLevel"] = firstLevel;
    j["bgPos"] = {bgPos[0].x, bgPos[0].y, bgPos[1].x, bgPos[1].y};
    j["phases"] = {shootState, moveStateUp, moveStateDown, moveStateLeft, moveStateRight};
    j["collisionDamage"] = collisionDamage;
    j["player"] = {static_cast<int>(p.col), p.isScrollingUp, p.isScrollingDown};
    j["settings"] = UserSettingsText();
    // Names are bytes: the table goes as the bytes of its file, in hexadecimal.
    j["table"] = w32::ToHex(HighScoresText(GetHighScores()));
    return j.dump();
}

bool BeginGameFrom(const std::string& carried)
{
    const nlohmann::json j = nlohmann::json::parse(carried, nullptr, false);
    if (!j.is_object() || OperationMode != opModeMENU)
        return false;
    // Everything is read before anything is set: a malformed line changes nothing.
    std::string tableText, settingsText;
    std::array<int32_t, 4> bg{};
    std::array<uint32_t, 5> phases{};
    int col = 0;
    bool scrolling[2] = {};
    uint32_t first = 1;
    int32_t damage = 0;
    try {
        if (!w32::FromHex(j.at("table").get<std::string>(), tableText))
            return false;
        settingsText = j.at("settings").get<std::string>();
        bg = j.at("bgPos").get<std::array<int32_t, 4>>();
        phases = j.at("phases").get<std::array<uint32_t, 5>>();
        col = j.at("player").at(0).get<int>();
        scrolling[0] = j.at("player").at(1).get<bool>();
        scrolling[1] = j.at("player").at(2).get<bool>();
        first = j.at("firstLevel").get<uint32_t>();
        damage = j.at("collisionDamage").get<int32_t>();
    } catch (const std::exception&) {
        return false; // a malformed line or table
    }
    // Only what a game can leave: the background's tiles within their scroll,
    // a shield colour, a damage the rules could deal.
    const auto tile = [](int32_t x, int32_t y) {
        return x >= -1400 && x <= 1400 && y >= -1400 && y <= 700;
    };
    if (col < red || col > neutral || !tile(bg[0], bg[1]) || !tile(bg[2], bg[3]) || damage < 0 ||
        damage > 1000)
        return false;
    firstLevel = first;
    bgPos[0] = MakeTVector(bg[0], bg[1]);
    bgPos[1] = MakeTVector(bg[2], bg[3]);
    shootState = phases[0];
    moveStateUp = phases[1];
    moveStateDown = phases[2];
    moveStateLeft = phases[3];
    moveStateRight = phases[4];
    collisionDamage = damage;
    players[1].col = static_cast<TColor>(col);
    players[1].isScrollingUp = scrolling[0];
    players[1].isScrollingDown = scrolling[1];
    std::istringstream settings(settingsText), table(tableText);
    ReadUserSettings(settings);
    InitKeysetProcs();
    SetHighScores(ReadHighScores(table));
    SwitchOpMode(hwindow, opModeGAME);
    return true;
}

nlohmann::json DumpState()
{
    nlohmann::json j;
    j["time"] = w32::Now();
    j["operationMode"] = OperationModeName(OperationMode);
    j["playMode"] = PlayModeName(PlayMode);
    j["numOfImg"] = numOfImg;
    j["firstLevel"] = firstLevel;
    j["settings"] = DumpSettings();
    j["highScores"] = DumpHighScores();
    j["game"] = DumpGame();
    j["menu"] = DumpMenu();
    j["options"] = DumpOptions();
    j["keySettings"] = DumpKeySettings();
    j["levelChoice"] = DumpLevelChoice();
    j["credits"] = DumpCredits();
    MakeUtf8(j, nullptr);
    return j;
}

uint64_t StateHash()
{
    // FNV-1a over the game's state and the time. Strings that are not UTF-8
    // are dumped with U+FFFD and their bytes themselves follow, each after
    // its length, so states that differ in such bytes hash apart.
    nlohmann::json game = DumpGame();
    std::vector<std::string> bad;
    MakeUtf8(game, &bad);
    std::string text = game.dump() + "@" + std::to_string(w32::Now());
    for (const std::string& s : bad) {
        text += '\n';
        text += std::to_string(s.size());
        text += ':';
        text += s;
    }
    uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char c : text) {
        h ^= c;
        h *= 0x100000001b3ull;
    }
    return h;
}
