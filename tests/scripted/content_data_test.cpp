// The default data folder and sounds: formats, cross references, pictures of
// every class, sound files the game opens, and the size of the whole content.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "harness.h"

namespace {

namespace fs = std::filesystem;

const fs::path kGame = fs::path(ZODUZOR_SOURCE_DIR) / "game";
const fs::path kData = kGame / "data";

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

bool ExistsNoCase(const fs::path& folder, const std::string& name)
{
    if (!fs::is_directory(folder)) {
        return false;
    }
    for (const auto& e : fs::directory_iterator(folder)) {
        if (Lower(e.path().filename().string()) == Lower(name)) {
            return true;
        }
    }
    return false;
}

// Splits a CR LF text into its lines; a line end of any other kind is a fault.
std::vector<std::string> CrLfLines(const std::string& text, const std::string& name)
{
    std::vector<std::string> lines;
    std::string cur;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r') {
            EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << name << ": CR without LF";
            lines.push_back(cur);
            cur.clear();
            ++i;
        } else if (c == '\n') {
            ADD_FAILURE() << name << ": LF without CR in line " << lines.size() + 1;
            lines.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    EXPECT_TRUE(cur.empty()) << name << ": the last line has no CR LF";
    return lines;
}

bool IsNumber(const std::string& s)
{
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

struct EnemyClass
{
    std::string id, bullet, colours;
    unsigned health = 0, shoot = 0, move = 0, frequency = 0;
};

struct Level
{
    std::string theme, boss;
    unsigned delay = 0;
    std::vector<std::string> enemies;
};

struct Content
{
    std::map<std::string, EnemyClass> enemies, bosses;
    std::map<std::string, std::vector<std::string>> bullets; // id -> lines
    std::map<unsigned, Level> levels;
    std::vector<std::string> enemyFiles; // in the order the game lists them
};

void CheckId(const std::string& id, const std::string& file)
{
    EXPECT_FALSE(id.empty()) << file;
    EXPECT_LE(id.size(), 20u) << file << ": identifier " << id;
}

EnemyClass ReadEnemy(const fs::path& p)
{
    const std::string name = p.filename().string();
    auto l = CrLfLines(harness::ReadFile(p), name);
    EnemyClass c;
    EXPECT_EQ(l.size(), 10u) << name;
    if (l.size() < 10) {
        return c;
    }
    c.id = l[0];
    CheckId(c.id, name);
    const char* letters = "RGBY";
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(l[1 + i] == "TRUE" || l[1 + i] == "FALSE") << name << " line " << 2 + i;
        if (l[1 + i] == "TRUE") {
            c.colours += letters[i];
        }
    }
    for (int i : {5, 7, 8, 9}) {
        EXPECT_TRUE(IsNumber(l[i])) << name << " line " << i + 1 << ": " << l[i];
    }
    c.health = IsNumber(l[5]) ? std::stoul(l[5]) : 0;
    c.bullet = l[6];
    CheckId(c.bullet, name);
    c.shoot = IsNumber(l[7]) ? std::stoul(l[7]) : 0;
    c.move = IsNumber(l[8]) ? std::stoul(l[8]) : 0;
    c.frequency = IsNumber(l[9]) ? std::stoul(l[9]) : 0;
    return c;
}

const Content& Load()
{
    static const Content content = [] {
        Content c;
        std::vector<fs::path> files;
        for (const auto& e : fs::directory_iterator(kData)) {
            files.push_back(e.path());
        }
        // the game lists a folder alphabetically without regard to case
        std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
            return Lower(a.filename().string()) < Lower(b.filename().string());
        });
        for (const auto& p : files) {
            const std::string ext = Lower(p.extension().string());
            const std::string name = p.filename().string();
            if (ext == ".nmi") {
                auto e = ReadEnemy(p);
                c.enemyFiles.push_back(e.id);
                c.enemies[e.id] = e;
            } else if (ext == ".bss") {
                auto e = ReadEnemy(p);
                c.bosses[e.id] = e;
            } else if (ext == ".blt") {
                auto l = CrLfLines(harness::ReadFile(p), name);
                EXPECT_EQ(l.size(), 8u) << name;
                if (!l.empty()) {
                    CheckId(l[0], name);
                    c.bullets[l[0]] = l;
                }
            } else if (ext == ".lvl") {
                auto l = CrLfLines(harness::ReadFile(p), name);
                EXPECT_GE(l.size(), 4u) << name;
                if (l.size() < 4) {
                    continue;
                }
                Level lv;
                // a longer or shorter first line shifts every later field
                EXPECT_EQ(l[0].size(), 4u) << name << ": theme word";
                lv.theme = l[0];
                EXPECT_TRUE(IsNumber(l[1])) << name;
                lv.delay = IsNumber(l[1]) ? std::stoul(l[1]) : 0;
                lv.boss = l[2];
                for (size_t i = 3; i < l.size(); ++i) {
                    lv.enemies.push_back(l[i]);
                }
                EXPECT_TRUE(lv.enemies.back().empty())
                    << name << ": the list ends with an empty line";
                lv.enemies.pop_back();
                c.levels[std::stoul(p.stem().string())] = lv;
            }
        }
        return c;
    }();
    return content;
}

TEST(ContentData, LevelsRunFromOneWithoutGaps)
{
    const auto& c = Load();
    ASSERT_GE(c.levels.size(), 6u);
    unsigned n = 1;
    for (const auto& [number, lv] : c.levels) {
        EXPECT_EQ(number, n++) << "levels are played in sequence; a gap ends the game";
        EXPECT_TRUE(ExistsNoCase(kData, (number < 10    ? "00"
                                         : number < 100 ? "0"
                                                        : "") +
                                            std::to_string(number) + ".LVL"));
        EXPECT_GE(lv.delay, 10000u) << number;
        EXPECT_LE(lv.delay, 60000u) << number;
    }
    std::set<std::string> themes;
    for (const auto& [number, lv] : c.levels) {
        themes.insert(Lower(lv.theme));
    }
    for (const char* t : {"norm", "bike", "eegg", "rudi"}) {
        EXPECT_TRUE(themes.count(t)) << "no level plays in " << t;
    }
    EXPECT_TRUE(std::any_of(themes.begin(), themes.end(), [](const std::string& t) {
        return t != "norm" && t != "bike" && t != "eegg" && t != "rudi" && t != "menu";
    })) << "no level leaves the theme to the player's option";
}

TEST(ContentData, EveryNameResolvesToAClass)
{
    const auto& c = Load();
    for (const auto& [number, lv] : c.levels) {
        EXPECT_TRUE(c.bosses.count(lv.boss)) << "level " << number << ": boss " << lv.boss;
        EXPECT_FALSE(lv.enemies.empty()) << number;
        for (const auto& e : lv.enemies) {
            // an identifier of exactly 20 characters leaves its line end
            // unread and makes the next list entry empty
            EXPECT_LT(e.size(), 20u) << "level " << number << ": " << e;
            EXPECT_TRUE(c.enemies.count(e)) << "level " << number << ": enemy " << e;
        }
    }
    for (const auto* chain : {&c.enemies, &c.bosses}) {
        for (const auto& [id, e] : *chain) {
            EXPECT_TRUE(c.bullets.count(e.bullet)) << id << " fires unknown " << e.bullet;
            EXPECT_GE(e.frequency, 1u) << id;
            EXPECT_GT(e.health, 0u) << id;
            EXPECT_LE(e.shoot, 5u) << id;
        }
    }
}

TEST(ContentData, ClassesCoverEveryColourAndPattern)
{
    const auto& c = Load();
    ASSERT_FALSE(c.enemyFiles.empty());
    std::set<std::string> combos;
    std::set<unsigned> patterns;
    for (const auto& [id, e] : c.enemies) {
        combos.insert(e.colours);
        patterns.insert(e.shoot);
        EXPECT_NE(e.move, 66u) << id << " would sweep like a boss";
    }
    for (const char* combo : {"", "R", "G", "B", "Y"}) {
        EXPECT_TRUE(combos.count(combo)) << "no enemy of colours '" << combo << "'";
    }
    EXPECT_TRUE(std::any_of(combos.begin(), combos.end(), [](const std::string& s) {
        return s.size() == 2;
    })) << "no two-coloured enemy";
    for (unsigned p = 0; p <= 5; ++p) {
        EXPECT_TRUE(patterns.count(p)) << "no enemy shoots by pattern " << p;
    }
    ASSERT_GE(c.bosses.size(), 3u);
    for (const auto& [id, b] : c.bosses) {
        EXPECT_EQ(b.move, 66u) << id;
        EXPECT_GT(b.health, 5u) << id << " dies from one collision";
    }
    // The closing line of every level enables the first class read: it must
    // be one every level can live with.
    const auto& first = c.enemies.at(c.enemyFiles.front());
    EXPECT_EQ(first.shoot, 0u) << first.id << " comes along in every level and should not shoot";
    for (const auto& [id, e] : c.enemies) {
        EXPECT_LE(first.health, e.health) << first.id << " is tougher than " << id;
    }
}

TEST(ContentData, HeroBulletHitsEveryColourFast)
{
    const auto& c = Load();
    ASSERT_TRUE(c.bullets.count("HEROBULLET"));
    const auto& l = c.bullets.at("HEROBULLET");
    ASSERT_EQ(l.size(), 8u);
    for (int i = 1; i <= 5; ++i) {
        ASSERT_TRUE(IsNumber(l[i])) << l[i];
        EXPECT_GT(std::stoul(l[i]), 0u) << "damage entry " << i;
    }
    EXPECT_GE(std::stod(l[6]), 8.0);
    for (const auto& [id, b] : c.bullets) {
        ASSERT_EQ(b.size(), 8u) << id;
        for (int i : {6, 7}) {
            // reals carry exactly three decimals
            auto dot = b[i].find('.');
            ASSERT_NE(dot, std::string::npos) << id << ": " << b[i];
            EXPECT_EQ(b[i].size() - dot - 1, 3u) << id << ": " << b[i];
        }
        EXPECT_GT(std::stod(b[6]), 0.0) << id << " never moves";
    }
}

TEST(ContentData, EveryClassHasItsPictureInEveryTheme)
{
    const auto& c = Load();
    for (const char* theme : {"norm", "bike", "eegg", "rudi"}) {
        const fs::path folder = kGame / "res" / theme / "enemy";
        for (const auto* chain : {&c.enemies, &c.bosses}) {
            for (const auto& [id, e] : *chain) {
                EXPECT_TRUE(ExistsNoCase(folder, id + ".PNG")) << theme << ": " << id;
            }
        }
    }
    for (const auto& [id, b] : c.bullets) {
        EXPECT_TRUE(ExistsNoCase(kGame / "res" / "norm" / "bullet", id + ".png")) << id;
    }
}

TEST(ContentData, CreditsFitTheScreen)
{
    auto lines = CrLfLines(harness::ReadFile(kData / "credits.txt"), "credits.txt");
    ASSERT_FALSE(lines.empty());
    EXPECT_LE(lines.size(), 18u) << "a longer text never comes to rest";
    for (const auto& l : lines) {
        EXPECT_LE(l.size(), 40u) << l;
    }
}

// --------------------------------------------------------------- sounds

// Total playing time of an MP3 file, from its frame headers; nullopt when a
// frame header is broken.
std::optional<double> Mp3Seconds(const std::string& bytes)
{
    size_t i = 0;
    if (bytes.compare(0, 3, "ID3") == 0 && bytes.size() > 10) {
        i = 10 + ((size_t(bytes[6] & 0x7f) << 21) | (size_t(bytes[7] & 0x7f) << 14) |
                  (size_t(bytes[8] & 0x7f) << 7) | size_t(bytes[9] & 0x7f));
    }
    static const int kRates[3][3] = {
        {44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};
    static const int kKbps[2][15] = {
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}};
    double seconds = 0;
    int frames = 0;
    while (i + 4 <= bytes.size()) {
        auto b = [&](size_t k) { return static_cast<uint8_t>(bytes[i + k]); };
        if (b(0) != 0xff || (b(1) & 0xe0) != 0xe0) {
            if (bytes.compare(i, 3, "TAG") == 0) {
                break; // ID3v1 tag at the end
            }
            return std::nullopt;
        }
        int version = (b(1) >> 3) & 3; // 3 MPEG1, 2 MPEG2, 0 MPEG2.5
        int layer = (b(1) >> 1) & 3;   // 1 is layer III
        int rateIndex = (b(2) >> 2) & 3, brIndex = b(2) >> 4;
        if (version == 1 || layer != 1 || rateIndex == 3 || brIndex == 0 || brIndex == 15) {
            return std::nullopt;
        }
        int v = version == 3 ? 0 : version == 2 ? 1 : 2;
        int rate = kRates[v][rateIndex];
        int kbps = kKbps[v == 0 ? 0 : 1][brIndex];
        int samples = v == 0 ? 1152 : 576;
        size_t len = size_t(samples / 8 * kbps * 1000 / rate) + ((b(2) >> 1) & 1);
        seconds += double(samples) / rate;
        ++frames;
        i += len;
    }
    if (frames == 0) {
        return std::nullopt;
    }
    return seconds;
}

TEST(ContentSounds, MusicIsThereAndOfItsLength)
{
    struct Music
    {
        const char* rel;
        double minSec, maxSec;
    };
    for (const auto& m :
         {Music{"res/norm/snd/bgm1.mp3", 20, 40}, Music{"res/menu/snd/BG.mp3", 15, 40},
          Music{"res/norm/snd/Boss.mp3", 3, 20}, Music{"res/norm/snd/Victory.mp3", 2, 15}}) {
        const fs::path p = kGame / m.rel;
        ASSERT_TRUE(fs::exists(p)) << m.rel;
        auto sec = Mp3Seconds(harness::ReadFile(p));
        ASSERT_TRUE(sec) << m.rel << " is not a plain MP3 stream";
        EXPECT_GE(*sec, m.minSec) << m.rel;
        EXPECT_LE(*sec, m.maxSec) << m.rel;
    }
}

TEST(ContentSounds, EffectsLoadInEveryThemeThatHasThem)
{
    SDL_Init(0);
    for (const char* theme : {"norm", "bike", "eegg", "rudi"}) {
        const fs::path snd = kGame / "res" / theme / "snd";
        for (const char* fx : {"KillEnemy", "Fire", "KillBoss"}) {
            // the game prefers an MP3 anywhere over a WAV: keep to WAV
            EXPECT_FALSE(ExistsNoCase(snd, std::string(fx) + ".mp3")) << theme << " " << fx;
            const fs::path wav = snd / (std::string(fx) + ".wav");
            if (std::string(theme) == "norm") {
                ASSERT_TRUE(fs::exists(wav)) << fx;
            }
            if (!fs::exists(wav)) {
                continue;
            }
            SDL_AudioSpec spec;
            Uint8* buf = nullptr;
            Uint32 len = 0;
            ASSERT_NE(SDL_LoadWAV(wav.string().c_str(), &spec, &buf, &len), nullptr)
                << wav << ": " << SDL_GetError();
            EXPECT_GT(len, 0u);
            double seconds =
                double(len) / (spec.freq * spec.channels * (SDL_AUDIO_BITSIZE(spec.format) / 8));
            EXPECT_LT(seconds, 3.0) << wav << " is long for an effect";
            SDL_FreeWAV(buf);
        }
    }
}

TEST(ContentSize, WholeContentIsUnder20Megabytes)
{
    uintmax_t total = 0;
    for (const auto& e : fs::recursive_directory_iterator(kGame)) {
        if (e.is_regular_file()) {
            total += e.file_size();
        }
    }
    EXPECT_LT(total, 20u * 1024 * 1024);
    EXPECT_GT(total, 0u);
}

} // namespace
