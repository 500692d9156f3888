#include "soak_script.h"

#include <algorithm>

namespace soak {

namespace {

const std::vector<std::string> kNamedKeys = {
    "VK_RETURN", "VK_ESCAPE",  "VK_SPACE",    "VK_BACK",      "VK_TAB",       "VK_UP",
    "VK_DOWN",   "VK_LEFT",    "VK_RIGHT",    "VK_SHIFT",     "VK_CONTROL",   "VK_MENU",
    "VK_PAUSE",  "VK_CAPITAL", "VK_PRIOR",    "VK_NEXT",      "VK_END",       "VK_HOME",
    "VK_INSERT", "VK_DELETE",  "VK_MULTIPLY", "VK_ADD",       "VK_SUBTRACT",  "VK_DECIMAL",
    "VK_DIVIDE", "VK_OEM_1",   "VK_OEM_PLUS", "VK_OEM_COMMA", "VK_OEM_MINUS", "VK_OEM_PERIOD",
    "VK_OEM_2",  "VK_OEM_3",   "VK_OEM_4",    "VK_OEM_5",     "VK_OEM_6",     "VK_OEM_7"};

const std::vector<std::string> kMenuKeys = {"VK_UP",     "VK_DOWN",  "VK_LEFT",   "VK_RIGHT",
                                            "VK_RETURN", "VK_SPACE", "VK_ESCAPE", "VK_BACK"};

// The default bindings of the play screen and their neighbours.
const std::vector<std::string> kMoveKeys = {"VK_UP", "VK_DOWN", "VK_LEFT", "VK_RIGHT"};
const std::vector<std::string> kColourKeys = {"VK_NUMPAD1", "VK_NUMPAD2", "VK_NUMPAD3",
                                              "VK_NUMPAD4", "VK_NUMPAD5", "VK_NUMPAD6"};

} // namespace

void ScriptGenerator::Emit(uint64_t delay, const std::string& event)
{
    t_ += delay;
    while (nextDump_ <= t_ && nextDump_ < end_) {
        events_.push_back(
            {nextDump_, "dump " + dumpPrefix_ + std::to_string(dumps_++) + ".json", false});
        nextDump_ += dumpEvery_;
    }
    if (t_ < end_) {
        events_.push_back({t_, event, true});
    }
}

std::string ScriptGenerator::AnyKey()
{
    switch (Uniform(0, 5)) {
    case 0:
        return std::string(1, static_cast<char>('A' + Uniform(0, 25)));
    case 1:
        return std::string(1, static_cast<char>('0' + Uniform(0, 9)));
    case 2:
        return "VK_NUMPAD" + std::to_string(Uniform(0, 9));
    case 3:
        return "VK_F" + std::to_string(Uniform(1, 12));
    case 4:
        return std::to_string(Uniform(1, 254));
    default:
        return Pick(kNamedKeys);
    }
}

std::string ScriptGenerator::AnyChar()
{
    switch (Uniform(0, 4)) {
    case 0:
        return std::to_string(Pick(std::vector<int>{8, 9, 10, 13, 27}));
    case 1:
        return std::to_string(Uniform(0, 65535)); // beyond ASCII
    case 2: {
        const char c = static_cast<char>(Uniform(33, 126));
        return c == '\'' ? "39" : std::string("'") + c + "'";
    }
    default: {
        static const std::string alnum =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        return std::string("'") + alnum[Uniform(0, alnum.size() - 1)] + "'";
    }
    }
}

std::string ScriptGenerator::Point(int x1, int y1, int x2, int y2)
{
    return std::to_string(Uniform(x1, x2)) + " " + std::to_string(Uniform(y1, y2));
}

// One mouse action inside the box.
void ScriptGenerator::Mouse(int x1, int y1, int x2, int y2)
{
    switch (Uniform(0, 4)) {
    case 0:
        Emit(Uniform(5, 80), "click " + Point(x1, y1, x2, y2));
        break;
    case 1:
        Emit(Uniform(5, 80), "lbuttondown " + Point(x1, y1, x2, y2));
        break;
    case 2:
        Emit(Uniform(5, 80), "lbuttonup " + Point(x1, y1, x2, y2));
        break;
    case 3: {
        const long notches = static_cast<long>(Uniform(0, 10)) - 5;
        Emit(Uniform(5, 80), "wheel " + std::to_string(notches * 120 + (Chance(0.2) ? 7 : 0)));
        break;
    }
    default:
        for (uint64_t n = Uniform(1, 12); n > 0; --n) {
            Emit(Uniform(5, 40), "mousemove " + Point(x1, y1, x2, y2));
        }
        break;
    }
}

// Anything, anywhere, for a while.
void ScriptGenerator::Chaos(uint64_t until)
{
    maybeAway_ = true;
    while (t_ < until && t_ < end_) {
        const uint64_t d = Uniform(1, 150);
        switch (Uniform(0, 9)) {
        case 0:
        case 1:
            Emit(d, "press " + AnyKey());
            break;
        case 2:
            Emit(d, "keydown " + AnyKey() + (Chance(0.3) ? " repeat" : ""));
            break;
        case 3:
            Emit(d, "keyup " + AnyKey());
            break;
        case 4:
            Emit(d, "char " + AnyChar());
            break;
        case 5:
            Emit(d, "press " + Pick(kMenuKeys));
            break;
        case 6:
            if (Chance(0.05)) {
                Emit(d, "close");
            } else {
                Emit(d, "type " + std::string(1, static_cast<char>('a' + Uniform(0, 25))) +
                            std::to_string(Uniform(0, 999)));
            }
            break;
        default:
            Mouse(0, 0, 799, 699);
            break;
        }
    }
}

// Back to the main menu: Escape leaves the credits, the high scores and the
// level choice, and pauses, gives up and ends the name entry in play, while
// the main menu ignores it. A close request is kept for when the input may
// have left a screen that Escape does not leave (a close on the main menu
// ends the program, which the soak then starts again).
void ScriptGenerator::Home()
{
    for (int i = 0; i < 3; ++i) {
        Emit(Uniform(50, 200), "press VK_ESCAPE");
    }
    if (maybeAway_ && Chance(0.5)) {
        Emit(Uniform(50, 400), "close");
    }
    maybeAway_ = false;
    Wait(Uniform(50, 300));
}

// Chooses a main-menu button: 2 Play, 3 level choice, 4 options,
// 5 high scores, 6 credits, 7 exit.
void ScriptGenerator::MainButton(int button)
{
    if (Chance(0.5)) {
        const int y = 176 + 55 * button;
        Emit(Uniform(20, 200), "mousemove " + Point(320, y + 5, 420, y + 50));
        Emit(Uniform(20, 200), "click " + Point(320, y + 10, 400, y + 45));
    } else {
        // The selection starts on Play; the mouse may have moved it.
        Emit(Uniform(20, 200), "mousemove " + Point(0, 0, 60, 60));
        for (int i = 2; i < button; ++i) {
            Emit(Uniform(20, 150), "press VK_DOWN");
        }
        Emit(Uniform(20, 150), Chance(0.7) ? "press VK_RETURN" : "press VK_SPACE");
    }
}

void ScriptGenerator::PhaseMainMenu()
{
    const uint64_t until = t_ + Uniform(500, 4000);
    while (t_ < until && t_ < end_) {
        if (Chance(0.5)) {
            Emit(Uniform(20, 300),
                 "press " + Pick(std::vector<std::string>{"VK_UP", "VK_DOWN", "VK_ESCAPE",
                                                          "VK_LEFT", "VK_F1"}));
        } else {
            // Hover anywhere; clicks stay off the buttons' column.
            Emit(Uniform(20, 300), "mousemove " + Point(0, 0, 799, 699));
            if (Chance(0.2)) {
                Emit(Uniform(20, 300), "click " + Point(0, 0, 250, 699));
            }
        }
    }
    if (Chance(0.1)) {
        MainButton(7); // exit: the soak starts the program again
    }
}

void ScriptGenerator::PhasePlay(uint64_t length)
{
    MainButton(2);
    const uint64_t until = t_ + length;
    const bool mouseHeavy = Chance(0.5);
    while (t_ < until && t_ < end_) {
        switch (Uniform(0, 11)) {
        case 0:
        case 1:
        case 2: {
            // Hold a movement key, with auto-repeat.
            const std::string key = Pick(kMoveKeys);
            Emit(Uniform(10, 200), "keydown " + key);
            for (uint64_t n = Uniform(0, 20); n > 0; --n) {
                Emit(Uniform(20, 60), "keydown " + key + " repeat");
            }
            Emit(Uniform(10, 500), "keyup " + key);
            break;
        }
        case 3:
            Emit(Uniform(10, 200), "keydown VK_SPACE");
            Emit(Uniform(100, 3000), "keyup VK_SPACE");
            break;
        case 4:
            Emit(Uniform(10, 300), "press " + Pick(kColourKeys));
            break;
        case 5:
        case 6:
            if (mouseHeavy) {
                for (uint64_t n = Uniform(5, 40); n > 0; --n) {
                    Emit(Uniform(10, 60), "mousemove " + Point(200, 10, 790, 690));
                }
            } else {
                Mouse(0, 0, 799, 699);
            }
            break;
        case 7:
            Emit(Uniform(10, 200), "lbuttondown " + Point(200, 10, 790, 690));
            Emit(Uniform(50, 2000), "lbuttonup " + Point(200, 10, 790, 690));
            break;
        case 8:
            Emit(Uniform(10, 200),
                 "wheel " + std::to_string((static_cast<long>(Uniform(0, 4)) - 2) * 120));
            break;
        case 9:
            // Pause, perhaps give up, perhaps resume.
            Emit(Uniform(10, 300), "press VK_ESCAPE");
            Wait(Uniform(0, 2000));
            if (Chance(0.1)) {
                Emit(Uniform(10, 300), "press VK_ESCAPE");
            } else {
                Emit(Uniform(10, 300), Chance(0.5) ? "press VK_SPACE" : "wheel 120");
            }
            break;
        case 10:
            // Name entry after a game over, or letters for nothing.
            for (uint64_t n = Uniform(0, 14); n > 0; --n) {
                Emit(Uniform(30, 200), "char " + AnyChar());
            }
            if (Chance(0.5)) {
                Emit(Uniform(30, 200), "press VK_RETURN");
            }
            break;
        default:
            if (Chance(0.03)) {
                Emit(Uniform(10, 300), "close"); // gives the game up
                return;
            }
            Wait(Uniform(50, 600));
            break;
        }
    }
}

void ScriptGenerator::PhaseLevelChoice()
{
    MainButton(3);
    for (uint64_t n = Uniform(1, 8); n > 0; --n) {
        switch (Uniform(0, 4)) {
        case 0:
            Emit(Uniform(20, 200), "press " + std::to_string(Uniform(0, 9)));
            break;
        case 1:
            Emit(Uniform(20, 200), "press VK_NUMPAD" + std::to_string(Uniform(0, 9)));
            break;
        case 2:
            Emit(Uniform(20, 200), "press VK_BACK");
            break;
        case 3:
            Emit(Uniform(20, 200), "char " + AnyChar());
            break;
        default:
            Mouse(0, 0, 799, 699);
            break;
        }
    }
    Emit(Uniform(20, 300), Pick(std::vector<std::string>{"press VK_RETURN", "press VK_RETURN",
                                                         "press VK_ESCAPE", "close"}));
    if (Chance(0.6)) {
        PhasePlay(Uniform(3000, 40000)); // the chosen level
    }
}

void ScriptGenerator::PhaseKeySettings()
{
    for (uint64_t n = Uniform(1, 12); n > 0; --n) {
        switch (Uniform(0, 4)) {
        case 0:
        case 1:
            // Select a slot and offer it a key (free or in use).
            Emit(Uniform(20, 300), "press " + Pick(std::vector<std::string>{
                                                  "VK_UP", "VK_DOWN", "VK_LEFT", "VK_RIGHT"}));
            Emit(Uniform(20, 300),
                 Chance(0.5) ? "press VK_RETURN" : "click " + Point(270, 300, 700, 560));
            Emit(Uniform(20, 500), "press " + AnyKey());
            break;
        case 2:
            Mouse(0, 0, 799, 699);
            break;
        case 3:
            Emit(Uniform(20, 300), "mousemove " + Point(250, 280, 720, 600));
            break;
        default:
            Emit(Uniform(20, 300), "char " + AnyChar());
            break;
        }
    }
    // Leave by the Return button (saves) or a close request (does not).
    if (Chance(0.5)) {
        for (int i = 0; i < 14; ++i) {
            Emit(Uniform(10, 60), "press VK_UP");
        }
        Emit(Uniform(20, 200), "press VK_UP");
        Emit(Uniform(20, 200), "press VK_RETURN");
    } else {
        Emit(Uniform(20, 300), "close");
    }
}

void ScriptGenerator::PhaseOptions()
{
    MainButton(4);
    for (uint64_t n = Uniform(1, 15); n > 0; --n) {
        switch (Uniform(0, 5)) {
        case 0:
        case 1:
            Emit(Uniform(20, 300), "press " + Pick(std::vector<std::string>{
                                                  "VK_UP", "VK_DOWN", "VK_LEFT", "VK_RIGHT"}));
            break;
        case 2:
            Emit(Uniform(20, 300), "click " + Point(100, 286, 799, 451));
            break;
        case 3:
            Mouse(0, 0, 799, 699);
            break;
        case 4:
            Emit(Uniform(20, 300), "char " + AnyChar());
            break;
        default:
            if (Chance(0.3)) {
                Emit(Uniform(20, 300), "press VK_RETURN");
            }
            break;
        }
    }
    maybeAway_ = true;
    if (Chance(0.4)) {
        // The key settings row.
        Emit(Uniform(20, 300), "click " + Point(110, 451, 200, 500));
        PhaseKeySettings();
    }
    // Return row (saves) or a close request.
    if (Chance(0.6)) {
        Emit(Uniform(20, 300), "click " + Point(110, 506, 180, 555));
    } else {
        Emit(Uniform(20, 300), "close");
    }
}

void ScriptGenerator::PhaseHighScores()
{
    MainButton(5);
    for (uint64_t n = Uniform(0, 6); n > 0; --n) {
        if (Chance(0.5)) {
            Emit(Uniform(20, 400), "press " + Pick(std::vector<std::string>{"VK_UP", "VK_DOWN"}));
        } else {
            Mouse(0, 0, 799, 699);
        }
    }
    Emit(Uniform(100, 2000), Pick(std::vector<std::string>{"press VK_ESCAPE", "press VK_RETURN",
                                                           "press VK_SPACE", "close"}));
}

void ScriptGenerator::PhaseCredits()
{
    MainButton(6);
    Wait(Uniform(500, 15000));
    Emit(Uniform(10, 100), Pick(std::vector<std::string>{"press VK_ESCAPE", "press A",
                                                         "click 400 350", "close", "wheel 120"}));
}

std::vector<ScriptEvent> ScriptGenerator::Generate(uint64_t length)
{
    events_.clear();
    t_ = 0;
    nextDump_ = dumpEvery_;
    end_ = length;
    Wait(100);
    while (t_ < end_) {
        const uint64_t kind = Uniform(0, 99);
        if (kind < 30) {
            Home();
            PhasePlay(Uniform(10000, 180000));
        } else if (kind < 40) {
            Home();
            PhaseLevelChoice();
        } else if (kind < 55) {
            Home();
            PhaseOptions();
        } else if (kind < 63) {
            Home();
            PhaseHighScores();
        } else if (kind < 71) {
            Home();
            PhaseCredits();
        } else if (kind < 85) {
            Chaos(t_ + Uniform(1000, 15000));
        } else {
            Home();
            PhaseMainMenu();
        }
    }
    // Dumps that remain before the end, then the last dump and quit.
    Emit(0, "");
    events_.erase(std::remove_if(events_.begin(), events_.end(),
                                 [](const ScriptEvent& e) { return e.text.empty(); }),
                  events_.end());
    events_.push_back({end_, "dump " + dumpPrefix_ + "end.json", false});
    events_.push_back({end_ + 1, "quit", false});
    return events_;
}

std::string ScriptGenerator::Text(const std::vector<ScriptEvent>& events)
{
    std::string text;
    for (const auto& e : events) {
        text += std::to_string(e.time) + " " + e.text + "\n";
    }
    return text;
}

} // namespace soak
