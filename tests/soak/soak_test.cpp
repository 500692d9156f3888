// The soak's checks must reject damaged files, and its scripts must be
// valid, reproducible and reach every screen.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>

#include "harness.h"
#include "soak_checks.h"
#include "soak_script.h"

namespace {

const std::string kDefaultSettings = "100\r\n102\r\n 97\r\n 98\r\n 99\r\n101\r\n 38\r\n 40\r\n "
                                     "37\r\n 39\r\n 32\r\n 27\r\n 2\r\n1\r\n1";

std::string Table(const std::vector<std::pair<std::string, std::string>>& entries)
{
    std::string s;
    for (const auto& [name, score] : entries) {
        s += name + "\r\n" + score + "\r\n";
    }
    return s;
}

std::string GoodTable()
{
    std::vector<std::pair<std::string, std::string>> e;
    e.push_back({"ANNA", "       120"});
    e.push_back({"Bob7", "       120"});
    e.push_back({"ZEHNZEICHN", "        15"});
    while (e.size() < 20) {
        e.push_back({"", "         0"});
    }
    return Table(e);
}

TEST(SoakChecks, SettingsAcceptTheDefaultsAndRejectDamage)
{
    EXPECT_EQ(soak::CheckSettingsText(kDefaultSettings), "");
    std::string wide = kDefaultSettings;
    wide.replace(0, 3, "255");
    EXPECT_EQ(soak::CheckSettingsText(wide), "");

    const std::map<std::string, std::string> damaged = {
        {"final line end", kDefaultSettings + "\r\n"},
        {"14 lines", kDefaultSettings.substr(0, kDefaultSettings.size() - 3)},
        {"LF only", "100\n102\n 97\n 98\n 99\n101\n 38\n 40\n 37\n 39\n 32\n 27\n 2\n1\n1"},
        {"difficulty 5", kDefaultSettings.substr(0, kDefaultSettings.size() - 4) + "5\r\n1"},
        {"mouse 2", kDefaultSettings.substr(0, kDefaultSettings.size() - 1) + "2"},
        {"play mode 0", "100\r\n102\r\n 97\r\n 98\r\n 99\r\n101\r\n 38\r\n 40\r\n 37\r\n 39\r\n "
                        "32\r\n 27\r\n 0\r\n1\r\n1"},
        {"key 0", "  0" + kDefaultSettings.substr(3)},
        {"key 256", "256" + kDefaultSettings.substr(3)},
        {"not aligned", "100\r\n102\r\n97\r\n 98\r\n 99\r\n101\r\n 38\r\n 40\r\n 37\r\n 39\r\n "
                        "32\r\n 27\r\n 2\r\n1\r\n1"},
        {"letters", "1x0" + kDefaultSettings.substr(3)},
        {"empty", ""},
    };
    for (const auto& [what, text] : damaged) {
        EXPECT_NE(soak::CheckSettingsText(text), "") << what;
    }
}

TEST(SoakChecks, HighScoresAcceptAWrittenTableAndRejectDamage)
{
    EXPECT_EQ(soak::CheckHighScoresText(GoodTable()), "");
    const std::string good = GoodTable();
    const std::map<std::string, std::string> damaged = {
        {"no final line end", good.substr(0, good.size() - 2)},
        {"39 lines", good.substr(0, good.size() - 14)},
        {"41 lines", good + "\r\n"},
        {"rising score",
         Table({{"A", "         1"}, {"B", "         2"}}) + good.substr(0, good.size() - 28)},
        {"11-letter name", "ABCDEFGHIJK" + good.substr(4)},
        {"name with a blank", "AN A" + good.substr(4)},
        {"short score line", "ANNA\r\n      120\r\n" + good.substr(18)},
        {"score with letters", "ANNA\r\n      12x\r\n" + good.substr(18)},
        {"LF only", "ANNA\n       120\n" + good.substr(18)},
        {"empty", ""},
    };
    for (const auto& [what, text] : damaged) {
        EXPECT_NE(soak::CheckHighScoresText(text), "") << what;
    }
}

TEST(SoakChecks, DumpsAreCheckedForRangesAndOrder)
{
    nlohmann::json d = {{"time", 1000}, {"operationMode", "MENU"}};
    d["settings"] = {{"keys", {100, 102, 97, 98, 99, 101, 38, 40, 37, 39, 32, 27}},
                     {"playMode", 2},
                     {"difficulty", 1},
                     {"mouseControl", 1}};
    d["highScores"] = nlohmann::json::array();
    for (int i = 0; i < 20; ++i) {
        d["highScores"].push_back({{"name", i == 0 ? "ANNA" : ""}, {"score", 20 - i}});
    }
    EXPECT_EQ(soak::CheckDump(d), "");

    auto broken = [&](auto change) {
        nlohmann::json c = d;
        change(c);
        return soak::CheckDump(c);
    };
    EXPECT_NE(broken([](auto& c) { c["settings"]["keys"][3] = 0; }), "");
    EXPECT_NE(broken([](auto& c) { c["settings"]["keys"].erase(0); }), "");
    EXPECT_NE(broken([](auto& c) { c["settings"]["difficulty"] = 0; }), "");
    EXPECT_NE(broken([](auto& c) { c["settings"]["mouseControl"] = 2; }), "");
    EXPECT_NE(broken([](auto& c) { c["highScores"][5]["score"] = 99; }), "");
    EXPECT_NE(broken([](auto& c) { c["highScores"][0]["name"] = "A-B"; }), "");
    EXPECT_NE(broken([](auto& c) { c["highScores"].erase(19); }), "");
    EXPECT_NE(broken([](auto& c) { c.erase("settings"); }), "");
}

TEST(SoakScript, SameSeedSameScriptOtherSeedOther)
{
    soak::ScriptGenerator a(7, "d/"), b(7, "d/"), c(8, "d/");
    const std::string ta = soak::ScriptGenerator::Text(a.Generate(60000));
    EXPECT_EQ(ta, soak::ScriptGenerator::Text(b.Generate(60000)));
    EXPECT_NE(ta, soak::ScriptGenerator::Text(c.Generate(60000)));
}

TEST(SoakScript, TimesRiseDumpsArePeriodicAndTheRunEndsWithQuit)
{
    soak::ScriptGenerator g(3, "d/", 1000);
    const auto events = g.Generate(120000);
    ASSERT_GE(events.size(), 200u);
    uint64_t previous = 0;
    std::vector<uint64_t> dumps;
    for (const auto& e : events) {
        EXPECT_GE(e.time, previous) << e.text;
        previous = e.time;
        if (e.text.starts_with("dump ")) {
            dumps.push_back(e.time);
        }
        if (e.input) {
            EXPECT_LT(e.time, 120000u) << e.text;
        }
    }
    ASSERT_EQ(dumps.size(), 120u); // 1000 .. 119000, then the last one at 120000
    for (size_t i = 0; i + 1 < dumps.size(); ++i) {
        EXPECT_EQ(dumps[i], 1000 * (i + 1));
    }
    EXPECT_EQ(events.back().text, "quit");
}

// Over a long script every kind of input and every main-menu button occur.
TEST(SoakScript, CoversEveryKindOfInputAndEveryScreen)
{
    soak::ScriptGenerator g(11, "d/");
    const auto events = g.Generate(1800000);
    std::set<std::string> kinds;
    bool repeat = false, numpad = false, digit = false, wideChar = false;
    std::set<int> buttons;
    for (const auto& e : events) {
        std::istringstream in(e.text);
        std::string kind, arg;
        in >> kind >> arg;
        kinds.insert(kind);
        repeat |= e.text.ends_with(" repeat");
        numpad |= arg.starts_with("VK_NUMPAD");
        digit |=
            kind == "press" && arg.size() == 1 && std::isdigit(static_cast<unsigned char>(arg[0]));
        wideChar |= kind == "char" && arg[0] != '\'' && std::stoul(arg) > 255;
        if (kind == "click") {
            int x = 0, y = 0;
            std::istringstream(e.text.substr(6)) >> x >> y;
            if (x >= 320 && x <= 400) {
                buttons.insert((y - 176) / 55);
            }
        }
    }
    for (const char* k : {"press", "keydown", "keyup", "char", "type", "mousemove", "click",
                          "lbuttondown", "lbuttonup", "wheel", "close", "dump", "quit"}) {
        EXPECT_TRUE(kinds.count(k)) << k;
    }
    EXPECT_TRUE(repeat && numpad && digit && wideChar);
    for (int b = 2; b <= 7; ++b) {
        EXPECT_TRUE(buttons.count(b)) << "main-menu button " << b;
    }
}

// The game accepts every line the generator writes (a bad line stops it
// with exit code 2 before it starts).
TEST(SoakScript, TheGameRunsAGeneratedScript)
{
    harness::GameDir g;
    soak::ScriptGenerator gen(5, "", 5000);
    const auto r =
        g.Play(soak::ScriptGenerator::Text(gen.Generate(30000)), {"--max-time", "30010"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.find("line"), std::string::npos) << r.err;
}

} // namespace
