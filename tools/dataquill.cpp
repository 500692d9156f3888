// Dataquill: the console data writer of Zoduzor. It asks for the fields of an
// enemy or boss class, a bullet class or a level and writes the game's text
// file for it. With --check it reads a data folder the way the game does and
// reports everything the game would misread or resolve differently.
//
// It links nothing of the game's: the file records and the reading rules are
// declared here again, and both programs meet only in the files.

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// File records

constexpr size_t kIdCapacity = 20;
constexpr size_t kFileNameCapacity = 30;
constexpr size_t kPlayModeCapacity = 4;

enum TColor : uint8_t { red = 0, green = 1, blue = 2, yellow = 3, neutral = 4 };
constexpr int kNumColors = 5;

using TID = std::string; // at most kIdCapacity characters
using TColorBool = std::array<bool, kNumColors>;
using TColorCard = std::array<uint32_t, kNumColors>;

struct TEnemyClassFile
{
    TID id;
    TColorBool color{};
    uint32_t health = 0;
    uint32_t shoot = 0;
    uint32_t move = 0;
    TID bullet;
    uint32_t frequency = 0;
};

struct TBulletClassFile
{
    TID id;
    TColorCard damage{};
    float speed = 0;
    float accel = 0;
};

struct TLevelFile
{
    uint32_t number = 0;
    uint32_t bossDelay = 0;
    TID boss;
    std::string playMode; // at most kPlayModeCapacity characters
};

// ---------------------------------------------------------------------------
// Words and values, with the same rules as the game's readers

constexpr char kCR = 13;
constexpr char kLF = 10;
constexpr char kCtrlZ = 26;

bool IsSeparator(char c)
{
    return c == ' ' || c == '\t' || c == kCR || c == kLF || c == kCtrlZ;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view FirstWord(std::string_view line)
{
    size_t b = 0;
    while (b < line.size() && IsSeparator(line[b])) {
        ++b;
    }
    size_t e = b;
    while (e < line.size() && !IsSeparator(line[e])) {
        ++e;
    }
    return line.substr(b, e - b);
}

// Leading digits after one optional sign that does not count; saturates.
uint32_t ParseCard(std::string_view word)
{
    size_t i = 0;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) {
        ++i;
    }
    uint64_t value = 0;
    constexpr uint64_t kMax = std::numeric_limits<uint32_t>::max();
    for (; i < word.size() && IsDigit(word[i]); ++i) {
        value = std::min(kMax, value * 10 + static_cast<uint64_t>(word[i] - '0'));
    }
    return static_cast<uint32_t>(value);
}

bool IsPlainCard(std::string_view word)
{
    if (word.empty() || !std::all_of(word.begin(), word.end(), IsDigit)) {
        return false;
    }
    size_t i = 0;
    while (i + 1 < word.size() && word[i] == '0') {
        ++i;
    }
    std::string_view digits = word.substr(i);
    return digits.size() < 10 || (digits.size() == 10 && digits <= "4294967295");
}

std::optional<float> ParseRealStrict(std::string_view word)
{
    bool negative = false;
    if (!word.empty() && (word[0] == '+' || word[0] == '-')) {
        negative = word[0] == '-';
        word.remove_prefix(1);
    }
    if (word.empty() || !(IsDigit(word[0]) || word[0] == '.')) {
        return std::nullopt;
    }
    float value = 0.0f;
    auto [ptr, ec] =
        std::from_chars(word.data(), word.data() + word.size(), value, std::chars_format::general);
    if (ec != std::errc() || ptr != word.data() + word.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

float ParseReal(std::string_view word)
{
    return ParseRealStrict(word).value_or(0.0f);
}

std::string FormatReal(float value)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3f", static_cast<double>(value));
    std::string s = buf;
    if (s == "-0.000") {
        s = "0.000";
    }
    return s;
}

std::string Cut(std::string s, size_t capacity)
{
    if (s.size() > capacity) {
        s.resize(capacity);
    }
    return s;
}

std::string Lower(std::string_view s)
{
    std::string r(s);
    for (char& c : r) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return r;
}

// ---------------------------------------------------------------------------
// The console dialogue

struct EndOfInput
{
};

uint32_t choice = 0;
TEnemyClassFile enemy;
TBulletClassFile bullet;
TLevelFile level;
std::string filename;

std::string ReadAnswer()
{
    std::string line;
    if (!std::getline(std::cin, line)) {
        throw EndOfInput{};
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

void Ask(std::string_view question, std::string_view hint)
{
    std::cout << question << hint << "\n > " << std::flush;
}

void InputStr(std::string_view question, std::string& value, size_t capacity)
{
    Ask(question, "");
    value = Cut(ReadAnswer(), capacity);
    std::cout << "\n";
}

void InputBool(std::string_view question, bool& value)
{
    Ask(question, " (TRUE|FALSE) ");
    value = FirstWord(ReadAnswer()) == "TRUE";
    std::cout << "\n";
}

void InputCard(std::string_view question, uint32_t& value)
{
    Ask(question, " (whole number) ");
    value = ParseCard(FirstWord(ReadAnswer()));
    std::cout << "\n";
}

void InputReal(std::string_view question, float& value)
{
    Ask(question, " (real number) ");
    value = ParseReal(FirstWord(ReadAnswer()));
    std::cout << "\n";
}

// An output file written into a temporary file beside it and renamed over
// the named file on Commit, so an old file is replaced whole and a failed
// write leaves neither a partial record nor a stray temporary file.
class OutputFile
{
  public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile() { Discard(); }

    bool Open(const std::string& name)
    {
        if (name.empty()) {
            error_ = "no file name given";
            return false;
        }
        target_ = name;
        std::replace(target_.begin(), target_.end(), '\\', '/');
        struct stat st = {};
        mode_t mode = 0;
        if (stat(target_.c_str(), &st) == 0) {
            if (S_ISDIR(st.st_mode)) {
                error_ = std::strerror(EISDIR);
                return false;
            }
            if (access(target_.c_str(), W_OK) != 0) {
                error_ = std::strerror(errno);
                return false;
            }
            mode = st.st_mode & 07777;
        } else {
            mode_t mask = umask(0);
            umask(mask);
            mode = 0666 & ~mask;
        }
        fs::path p(target_);
        fs::path dir = p.parent_path();
        std::string pattern = (dir.empty() ? fs::path(".") : dir).string() + "/.dataquill-XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        fd_ = mkstemp(buf.data());
        if (fd_ < 0) {
            error_ = std::strerror(errno);
            return false;
        }
        temp_ = buf.data();
        fchmod(fd_, mode);
        return true;
    }

    void Line(std::string_view text)
    {
        contents_.append(text);
        contents_.append("\r\n");
    }

    bool Commit()
    {
        const char* p = contents_.data();
        size_t left = contents_.size();
        while (left > 0) {
            ssize_t n = write(fd_, p, left);
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                error_ = std::strerror(errno);
                Discard();
                return false;
            }
            p += n;
            left -= static_cast<size_t>(n);
        }
        int fd = fd_;
        fd_ = -1;
        if (close(fd) != 0) {
            error_ = std::strerror(errno);
            Discard();
            return false;
        }
        if (std::rename(temp_.c_str(), target_.c_str()) != 0) {
            error_ = std::strerror(errno);
            Discard();
            return false;
        }
        temp_.clear();
        return true;
    }

    const std::string& Error() const { return error_; }

  private:
    void Discard()
    {
        if (fd_ >= 0) {
            close(fd_);
            fd_ = -1;
        }
        if (!temp_.empty()) {
            unlink(temp_.c_str());
            temp_.clear();
        }
    }

    std::string target_;
    std::string temp_;
    std::string contents_;
    std::string error_;
    int fd_ = -1;
};

void ReportWriteFailure(const OutputFile& file)
{
    std::cout << "Could not write \"" << filename << "\": " << file.Error() << "\n";
}

void Heading(std::string_view title)
{
    std::cout << "\n" << std::string(title.size(), '*') << "\n" << title << "\n\n";
}

void InputEnemy()
{
    Heading("ENTERING ENEMY");
    InputStr("FILENAME:", filename, kFileNameCapacity);
    InputStr("IDENTIFICATION:", enemy.id, kIdCapacity);
    InputBool("RED COLOR:", enemy.color[red]);
    InputBool("GREEN COLOR:", enemy.color[green]);
    InputBool("BLUE COLOR:", enemy.color[blue]);
    InputBool("YELLOW COLOR:", enemy.color[yellow]);
    InputCard("HEALTH:", enemy.health);
    InputStr("BULLET TYPE:", enemy.bullet, kIdCapacity);
    InputCard("SHOOT PATTERN", enemy.shoot);
    InputCard("MOVE PATTERN", enemy.move);
    InputCard("SHOOT FREQUENCY", enemy.frequency);
    std::cout << "\n" << std::string(14, '*') << "\n";

    OutputFile file;
    if (!file.Open(filename)) {
        ReportWriteFailure(file);
        return;
    }
    file.Line(enemy.id);
    for (TColor c : {red, green, blue, yellow}) {
        file.Line(enemy.color[c] ? "TRUE" : "FALSE");
    }
    file.Line(std::to_string(enemy.health));
    file.Line(enemy.bullet);
    file.Line(std::to_string(enemy.shoot));
    file.Line(std::to_string(enemy.move));
    file.Line(std::to_string(enemy.frequency));
    if (!file.Commit()) {
        ReportWriteFailure(file);
    }
}

void InputBullet()
{
    Heading("ENTERING BULLET");
    InputStr("FILENAME:", filename, kFileNameCapacity);
    InputStr("IDENTIFICATION:", bullet.id, kIdCapacity);
    InputCard("RED DAMAGE:", bullet.damage[red]);
    InputCard("GREEN DAMAGE:", bullet.damage[green]);
    InputCard("BLUE DAMAGE:", bullet.damage[blue]);
    InputCard("YELLOW DAMAGE:", bullet.damage[yellow]);
    InputCard("NEUTRAL DAMAGE:", bullet.damage[neutral]);
    InputReal("SPEED:", bullet.speed);
    InputReal("ACCELERATION", bullet.accel);

    OutputFile file;
    if (!file.Open(filename)) {
        ReportWriteFailure(file);
        return;
    }
    file.Line(bullet.id);
    for (uint32_t d : bullet.damage) {
        file.Line(std::to_string(d));
    }
    file.Line(FormatReal(bullet.speed));
    file.Line(FormatReal(bullet.accel));
    if (!file.Commit()) {
        ReportWriteFailure(file);
    }
}

void InputLevel()
{
    Heading("ENTERING LEVEL ");
    InputStr("FILENAME:", filename, kFileNameCapacity);
    InputStr("PLAY MODE: (BIKE|NORM|EEGG|RUDI)", level.playMode, kPlayModeCapacity);
    InputCard("BOSS DELAY:", level.bossDelay);
    InputStr("BOSS ID:", level.boss, kIdCapacity);

    // The file is opened before the allowed enemies are asked, so a name that
    // cannot be written is reported before the list is typed.
    OutputFile file;
    if (!file.Open(filename)) {
        ReportWriteFailure(file);
        return;
    }
    file.Line(level.playMode);
    file.Line(std::to_string(level.bossDelay));
    file.Line(level.boss);
    TID allowed;
    do {
        allowed.clear();
        InputStr("ALLOWED ENEMY: (to stop enter an empty string)", allowed, kIdCapacity);
        file.Line(allowed);
    } while (!allowed.empty());
    if (!file.Commit()) {
        ReportWriteFailure(file);
    }
}

void DisplayMenu()
{
    choice = 0;
    std::cout << "\n"
              << "  Enter a number to choose (any other to exit)\n"
              << "    1) ENEMY                                  \n"
              << "    2) BULLET                                 \n"
              << "    3) LEVEL                                  \n"
              << "\n"
              << std::flush;
    choice = ParseCard(FirstWord(ReadAnswer()));
}

int RunDialogue()
{
    const std::string stars(63, '*');
    const std::string blank = "*" + std::string(61, ' ') + "*";
    std::cout << "\n\n"
              << stars << "\n"
              << blank << "\n"
              << "*            ZODUZOR               DATA WRITER                *\n"
              << blank << "\n"
              << stars << "\n"
              << "\n\n";
    try {
        for (;;) {
            DisplayMenu();
            switch (choice) {
            case 1:
                InputEnemy();
                break;
            case 2:
                InputBullet();
                break;
            case 3:
                InputLevel();
                break;
            default:
                std::cout << "\n" << std::flush;
                return 0;
            }
        }
    } catch (const EndOfInput&) {
        std::cout << "\n" << std::flush;
        return 0;
    }
}

// ---------------------------------------------------------------------------
// The data checker

// The game's reader over a whole file, remembering on which line each read
// started so that findings can name it.
class SimReader
{
  public:
    explicit SimReader(const std::string& data) : s_(data)
    {
        lineStarts_.push_back(0);
        for (size_t i = 0; i < s_.size(); ++i) {
            bool lineEnd =
                s_[i] == kLF || (s_[i] == kCR && (i + 1 >= s_.size() || s_[i + 1] != kLF));
            if (lineEnd) {
                lineStarts_.push_back(i + 1);
            }
        }
    }

    struct Text
    {
        std::string value;
        size_t line = 0;
        bool cut = false;  // the line goes on beyond the capacity
        std::string whole; // the whole rest of the line (for messages)
        bool atEnd = false;
    };

    struct Word
    {
        std::string value;
        size_t line = 0;
        bool missing = false;
    };

    Text ReadText(size_t capacity)
    {
        Text t;
        t.line = LineOf(pos_);
        size_t e = pos_;
        while (e < s_.size() && s_[e] != kCR && s_[e] != kLF && s_[e] != kCtrlZ) {
            ++e;
        }
        t.whole = s_.substr(pos_, e - pos_);
        while (t.value.size() < capacity) {
            if (pos_ >= s_.size()) {
                eof_ = true;
                t.atEnd = t.value.empty();
                break;
            }
            char c = s_[pos_++];
            if (c == kCR) {
                if (pos_ < s_.size()) {
                    ++pos_;
                } else {
                    eof_ = true;
                }
                break;
            }
            if (c == kLF || c == kCtrlZ) {
                break;
            }
            t.value.push_back(c);
        }
        t.cut = t.value.size() == capacity && t.whole.size() > capacity;
        return t;
    }

    Word ReadWord()
    {
        Word w;
        while (pos_ < s_.size() && IsSeparator(s_[pos_])) {
            ++pos_;
        }
        w.line = LineOf(pos_);
        if (pos_ >= s_.size()) {
            eof_ = true;
            w.missing = true;
            return w;
        }
        while (pos_ < s_.size() && !IsSeparator(s_[pos_])) {
            w.value.push_back(s_[pos_++]);
        }
        if (pos_ < s_.size()) {
            ++pos_;
        } else {
            eof_ = true;
        }
        return w;
    }

    bool Eof() const { return eof_; }
    size_t Pos() const { return pos_; }
    size_t LineOf(size_t p) const
    {
        return static_cast<size_t>(std::upper_bound(lineStarts_.begin(), lineStarts_.end(), p) -
                                   lineStarts_.begin());
    }
    // True when line n (1-based) holds nothing but separators.
    bool LineBlank(size_t n) const
    {
        if (n == 0 || n > lineStarts_.size()) {
            return true;
        }
        size_t b = lineStarts_[n - 1];
        size_t e = n < lineStarts_.size() ? lineStarts_[n] : s_.size();
        for (size_t i = b; i < e; ++i) {
            if (!IsSeparator(s_[i])) {
                return false;
            }
        }
        return true;
    }

  private:
    const std::string& s_;
    std::vector<size_t> lineStarts_;
    size_t pos_ = 0;
    bool eof_ = false;
};

struct ClassInfo
{
    std::string id;
    std::string file;
    bool isBoss = false;
};

class Checker
{
  public:
    explicit Checker(fs::path dir) : dir_(std::move(dir)) {}

    int Run()
    {
        std::error_code ec;
        if (!fs::is_directory(dir_, ec)) {
            std::cout << dir_.string() << ": no such data folder\n";
            return 1;
        }
        std::vector<std::string> blt, nmi, bss, lvl;
        for (const auto& entry : fs::directory_iterator(dir_, ec)) {
            std::error_code fec;
            if (!entry.is_regular_file(fec)) {
                continue;
            }
            std::string name = entry.path().filename().string();
            // Matched on the name's end, as a "*.blt" search does (".blt" included).
            std::string lower = Lower(name);
            std::string ext = lower.size() >= 4 ? lower.substr(lower.size() - 4) : "";
            if (ext == ".blt") {
                blt.push_back(name);
            } else if (ext == ".nmi") {
                nmi.push_back(name);
            } else if (ext == ".bss") {
                bss.push_back(name);
            } else if (ext == ".lvl") {
                lvl.push_back(name);
            }
        }
        if (ec) {
            std::cout << dir_.string() << ": cannot be read: " << ec.message() << "\n";
            return 1;
        }
        // The game lists files in case-insensitive alphabetical order.
        auto order = [](const std::string& a, const std::string& b) {
            std::string la = Lower(a), lb = Lower(b);
            return la != lb ? la < lb : a < b;
        };
        for (auto* v : {&blt, &nmi, &bss, &lvl}) {
            std::sort(v->begin(), v->end(), order);
        }

        for (const auto& f : blt) {
            CheckBullet(f);
        }
        for (const auto& f : nmi) {
            ReadClassId(f, false);
        }
        for (const auto& f : bss) {
            ReadClassId(f, true);
        }
        for (const auto& f : nmi) {
            CheckEnemy(f, false);
        }
        for (const auto& f : bss) {
            CheckEnemy(f, true);
        }
        CheckLevels(lvl);

        std::cerr << findings_ << (findings_ == 1 ? " finding" : " findings") << " in "
                  << dir_.string() << "\n";
        return findings_ == 0 ? 0 : 1;
    }

  private:
    struct Finding
    {
        size_t line;
        std::string text;
    };

    // Reads a file; reports a file without CR LF line ends and returns its
    // text with CR LF line ends, so the checks below see the fields the
    // author meant.
    std::optional<std::string> Load(const std::string& name, std::vector<Finding>& out)
    {
        std::ifstream in(dir_ / name, std::ios::binary);
        if (!in) {
            out.push_back({0, "cannot be read"});
            return std::nullopt;
        }
        std::ostringstream ss;
        ss << in.rdbuf();
        std::string s = ss.str();
        std::string fixed;
        size_t line = 1;
        bool reported = false;
        for (size_t i = 0; i < s.size(); ++i) {
            char c = s[i];
            if (c == kCR && i + 1 < s.size() && s[i + 1] == kLF) {
                fixed += "\r\n";
                ++i;
                ++line;
            } else if (c == kLF || c == kCR) {
                if (!reported) {
                    out.push_back({line, "line does not end with CR LF: the game misreads "
                                         "files without CR LF line ends"});
                    reported = true;
                }
                fixed += "\r\n";
                ++line;
            } else {
                fixed += c;
            }
        }
        return fixed;
    }

    static bool NameTooLong(const std::string& name)
    {
        // The game's data paths hold 70 characters, ".\data\" included.
        return name.size() + 7 > 70;
    }

    void Flush(const std::string& name, std::vector<Finding>& out)
    {
        std::stable_sort(out.begin(), out.end(),
                         [](const Finding& a, const Finding& b) { return a.line < b.line; });
        std::string path = (dir_ / name).string();
        for (const auto& f : out) {
            if (f.line == 0) {
                std::cout << path << ": " << f.text << "\n";
            } else {
                std::cout << path << ":" << f.line << ": " << f.text << "\n";
            }
        }
        findings_ += out.size();
        out.clear();
    }

    static std::string Q(std::string_view s) { return "\"" + std::string(s) + "\""; }

    // Checks a text field; true when the read shifted the fields after it.
    static bool CheckText(const SimReader::Text& t, std::vector<Finding>& out)
    {
        if (t.cut) {
            out.push_back({t.line, "identifier " + Q(t.whole) +
                                       " is longer than 20 characters: " + "the game reads " +
                                       Q(t.value) + " and takes the rest as the next field"});
            return true;
        }
        return false;
    }

    // Checks that a word came from its own line; true when it did not (the
    // fields from here on are shifted), after reporting it once.
    static bool Misplaced(const SimReader& r, const SimReader::Word& w, size_t expected,
                          std::string_view field, std::vector<Finding>& out)
    {
        if (w.missing) {
            out.push_back({expected, std::string(field) + " is missing"});
            return true;
        }
        if (w.line == expected) {
            return false;
        }
        if (w.line > expected && r.LineBlank(expected)) {
            out.push_back({expected, std::string(field) + " line is empty: the game reads " +
                                         Q(w.value) + " from line " + std::to_string(w.line) +
                                         " instead and later fields shift"});
        } else {
            out.push_back({expected, std::string(field) + " should be on line " +
                                         std::to_string(expected) + " but the game reads " +
                                         Q(w.value) + " from line " + std::to_string(w.line) +
                                         " and later fields shift"});
        }
        return true;
    }

    // The same for a text field, which must start its own line.
    static bool MisplacedText(const SimReader::Text& t, size_t expected, std::string_view field,
                              std::vector<Finding>& out)
    {
        if (t.atEnd) {
            out.push_back({expected, std::string(field) + " is missing"});
            return true;
        }
        if (t.line != expected) {
            out.push_back({expected, std::string(field) + " should be on line " +
                                         std::to_string(expected) + " but the game reads " +
                                         Q(t.value) + " from line " + std::to_string(t.line) +
                                         " and later fields shift"});
            return true;
        }
        return false;
    }

    static void CheckBool(const SimReader::Word& w, std::string_view field,
                          std::vector<Finding>& out)
    {
        if (w.value != "TRUE" && w.value != "FALSE") {
            out.push_back({w.line, std::string(field) + " " + Q(w.value) +
                                       " is neither TRUE nor FALSE: the game reads FALSE"});
        }
    }

    static void CheckCard(const SimReader::Word& w, std::string_view field,
                          std::vector<Finding>& out)
    {
        if (!IsPlainCard(w.value)) {
            out.push_back({w.line, std::string(field) + " " + Q(w.value) +
                                       " is not a plain whole number: the game reads " +
                                       std::to_string(ParseCard(w.value))});
        }
    }

    static void CheckReal(const SimReader::Word& w, std::string_view field,
                          std::vector<Finding>& out)
    {
        if (!ParseRealStrict(w.value)) {
            out.push_back({w.line, std::string(field) + " " + Q(w.value) +
                                       " is not a real number: the game reads 0.0"});
        }
    }

    // Finds rel below base, each part matched without regard to case.
    static bool ExistsNoCase(const fs::path& base, const std::vector<std::string>& parts)
    {
        fs::path cur = base;
        std::error_code ec;
        for (const auto& part : parts) {
            if (fs::exists(cur / part, ec)) {
                cur /= part;
                continue;
            }
            bool found = false;
            std::string want = Lower(part);
            for (const auto& e : fs::directory_iterator(cur, ec)) {
                if (Lower(e.path().filename().string()) == want) {
                    cur = e.path();
                    found = true;
                    break;
                }
            }
            if (!found) {
                return false;
            }
        }
        return true;
    }

    void CheckPicture(const std::string& id, const std::string& type, const std::string& ext,
                      std::vector<Finding>& out)
    {
        fs::path res = (dir_ / ".." / "res").lexically_normal();
        std::string file = id + ext;
        if (!ExistsNoCase(dir_ / "..", {"res", "norm", type, file})) {
            out.push_back({1, "no picture " + Q(file) + " in " + (res / "norm" / type).string()});
        }
    }

    void ReportDuplicate(const std::string& id, const std::vector<ClassInfo>& known, size_t upTo,
                         std::vector<Finding>& out)
    {
        for (size_t i = 0; i < upTo && i < known.size(); ++i) {
            if (known[i].id == id) {
                out.push_back({1, "identifier " + Q(id) + " is also used by " + known[i].file +
                                      ", which the game finds first"});
                return;
            }
        }
    }

    void CheckBullet(const std::string& name)
    {
        std::vector<Finding> out;
        if (NameTooLong(name)) {
            out.push_back({0, "file name is longer than 63 characters: the game cannot open it"});
            Flush(name, out);
            return;
        }
        auto data = Load(name, out);
        if (!data) {
            Flush(name, out);
            return;
        }
        SimReader r(*data);
        SimReader::Text id = r.ReadText(kIdCapacity);
        bool shifted = CheckText(id, out);
        if (id.value.empty()) {
            out.push_back({1, "identifier is empty"});
        }
        ReportDuplicate(id.value, bullets_, bullets_.size(), out);
        bullets_.push_back({id.value, name, false});
        CheckPicture(id.value, "bullet", ".png", out);

        static const char* const kDamage[] = {"red damage", "green damage", "blue damage",
                                              "yellow damage", "neutral damage"};
        size_t line = 2;
        for (const char* field : kDamage) {
            SimReader::Word w = r.ReadWord();
            if (!shifted) {
                shifted = Misplaced(r, w, line, field, out);
                if (!shifted) {
                    CheckCard(w, field, out);
                }
            }
            ++line;
        }
        for (const char* field : {"speed", "acceleration"}) {
            SimReader::Word w = r.ReadWord();
            if (!shifted) {
                shifted = Misplaced(r, w, line, field, out);
                if (!shifted) {
                    CheckReal(w, field, out);
                }
            }
            ++line;
        }
        if (!shifted) {
            CheckTrailing(r, *data, out);
        }
        Flush(name, out);
    }

    static void CheckTrailing(const SimReader& r, const std::string& data,
                              std::vector<Finding>& out)
    {
        for (size_t p = r.Pos(); p < data.size(); ++p) {
            if (!IsSeparator(data[p])) {
                out.push_back({r.LineOf(p), "text after the last field is ignored by the game"});
                return;
            }
        }
    }

    // First pass over enemy and boss files: the identifiers, in the order
    // the game reads them, so that lookups can be checked.
    void ReadClassId(const std::string& name, bool isBoss)
    {
        if (NameTooLong(name)) {
            return;
        }
        std::ifstream in(dir_ / name, std::ios::binary);
        if (!in) {
            return;
        }
        std::ostringstream ss;
        ss << in.rdbuf();
        std::string data = ss.str();
        SimReader r(data);
        classes_.push_back({r.ReadText(kIdCapacity).value, name, isBoss});
    }

    void CheckEnemy(const std::string& name, bool isBoss)
    {
        std::vector<Finding> out;
        if (NameTooLong(name)) {
            out.push_back({0, "file name is longer than 63 characters: the game skips it"});
            Flush(name, out);
            return;
        }
        auto data = Load(name, out);
        if (!data) {
            Flush(name, out);
            return;
        }
        size_t self = 0;
        while (self < classes_.size() && classes_[self].file != name) {
            ++self;
        }

        SimReader r(*data);
        SimReader::Text id = r.ReadText(kIdCapacity);
        bool shifted = CheckText(id, out);
        if (id.value.empty()) {
            out.push_back({1, "identifier is empty"});
        }
        ReportDuplicate(id.value, classes_, self, out);
        CheckPicture(id.value, "enemy", ".PNG", out);

        size_t line = 2;
        for (const char* field : {"red", "green", "blue", "yellow"}) {
            SimReader::Word w = r.ReadWord();
            if (!shifted) {
                shifted = Misplaced(r, w, line, field, out);
                if (!shifted) {
                    CheckBool(w, field, out);
                }
            }
            ++line;
        }
        SimReader::Word health = r.ReadWord();
        if (!shifted) {
            shifted = Misplaced(r, health, 6, "health", out);
            if (!shifted) {
                CheckCard(health, "health", out);
            }
        }
        r.ReadText(kIdCapacity); // the rest of the health line, as the game reads it
        SimReader::Text bulletId = r.ReadText(kIdCapacity);
        if (!shifted) {
            shifted = MisplacedText(bulletId, 7, "bullet class", out);
            if (!shifted) {
                shifted = CheckText(bulletId, out);
                CheckBulletRef(bulletId.value, out);
            }
        }
        uint32_t shoot = 0;
        uint32_t frequency = 0;
        line = 8;
        for (const char* field : {"shooting pattern", "movement pattern", "shooting frequency"}) {
            SimReader::Word w = r.ReadWord();
            if (!shifted) {
                shifted = Misplaced(r, w, line, field, out);
                if (!shifted) {
                    CheckCard(w, field, out);
                    if (line == 8) {
                        shoot = ParseCard(w.value);
                        if (shoot > 5) {
                            out.push_back({8, "shooting pattern " + std::to_string(shoot) +
                                                  " does not exist: the game uses pattern 1"});
                        }
                    } else if (line == 10) {
                        frequency = ParseCard(w.value);
                    }
                }
            }
            ++line;
        }
        if (!shifted) {
            if (frequency == 0 && shoot != 0) {
                out.push_back({10, "shooting frequency is 0: the class never fires"});
            }
            CheckTrailing(r, *data, out);
        }
        (void)isBoss;
        Flush(name, out);
    }

    void CheckBulletRef(const std::string& id, std::vector<Finding>& out)
    {
        for (const auto& b : bullets_) {
            if (b.id == id) {
                return;
            }
        }
        if (bullets_.empty()) {
            out.push_back({7, "bullet class " + Q(id) +
                                  " does not exist and no bullet class is loaded: the class "
                                  "never fires"});
        } else {
            out.push_back({7, "bullet class " + Q(id) + " does not exist: the game takes " +
                                  Q(bullets_.front().id) + " (the first bullet class read)"});
        }
    }

    const ClassInfo* FindClass(const std::string& id) const
    {
        for (const auto& c : classes_) {
            if (c.id == id) {
                return &c;
            }
        }
        return nullptr;
    }

    static std::string LevelFileName(uint64_t n)
    {
        std::string s = std::to_string(n);
        while (s.size() < 3) {
            s.insert(0, "0");
        }
        return s + ".LVL";
    }

    void CheckLevels(const std::vector<std::string>& files)
    {
        std::map<uint64_t, std::string> levels;
        std::vector<std::string> strays;
        for (const auto& f : files) {
            std::string stem = fs::path(f).stem().string();
            bool digits = !stem.empty() && stem.size() <= 10 &&
                          std::all_of(stem.begin(), stem.end(), IsDigit);
            uint64_t n = digits ? std::stoull(stem) : 0;
            if (digits && n <= std::numeric_limits<uint32_t>::max() &&
                Lower(LevelFileName(n)) == Lower(f)) {
                levels.emplace(n, f);
            } else {
                strays.push_back(f);
            }
        }
        if (levels.find(1) == levels.end()) {
            std::vector<Finding> out{{0, "missing: a game started at level 1 ends at once"}};
            Flush("001.LVL", out);
        }
        for (const auto& [n, f] : levels) {
            // A game goes on from level to level until a file is missing.
            std::optional<std::string> gap;
            if (n > 1 && levels.count(1) != 0 && levels.count(n - 1) == 0) {
                gap = "no " + LevelFileName(n - 1) +
                      " before it: a game from level 1 never reaches this level";
            }
            CheckLevel(f, gap);
        }
        for (const auto& f : strays) {
            std::vector<Finding> out{
                {0, "the game never loads this file: level files are named by their number, "
                    "as 001.LVL"}};
            Flush(f, out);
        }
    }

    void CheckLevel(const std::string& name, const std::optional<std::string>& gap)
    {
        std::vector<Finding> out;
        if (gap) {
            out.push_back({0, *gap});
        }
        auto data = Load(name, out);
        if (!data) {
            Flush(name, out);
            return;
        }
        SimReader r(*data);
        SimReader::Text mode = r.ReadText(kPlayModeCapacity);
        bool shifted = false;
        if (mode.cut) {
            out.push_back({1, "play mode " + Q(mode.whole) +
                                  " is longer than 4 characters: the game reads " + Q(mode.value) +
                                  " and takes the rest as the boss delay"});
            shifted = true;
        }
        SimReader::Word delay = r.ReadWord();
        if (!shifted) {
            shifted = Misplaced(r, delay, 2, "boss delay", out);
            if (!shifted) {
                CheckCard(delay, "boss delay", out);
            }
        }
        r.ReadText(kIdCapacity); // the rest of the delay line, as the game reads it
        SimReader::Text boss = r.ReadText(kIdCapacity);
        if (!shifted) {
            shifted = MisplacedText(boss, 3, "boss", out);
            if (!shifted) {
                shifted = CheckText(boss, out);
                if (!FindClass(boss.value)) {
                    if (classes_.empty()) {
                        out.push_back({3, "boss " + Q(boss.value) +
                                              " does not exist and no enemy class is loaded: "
                                              "the level has no boss"});
                    } else {
                        out.push_back(
                            {3, "boss " + Q(boss.value) + " does not exist: the game takes " +
                                    Q(classes_.front().id) + " (the first enemy class read)"});
                    }
                }
            }
        }
        // The allowed enemies, read to the end of the file; empty lines and
        // the end of the file stand for the first class, as the game reads them.
        while (!r.Eof()) {
            SimReader::Text t = r.ReadText(kIdCapacity);
            if (shifted || t.value.empty()) {
                continue;
            }
            CheckText(t, out);
            const ClassInfo* c = FindClass(t.value);
            if (c && c->isBoss) {
                out.push_back({t.line, "allowed enemy " + Q(t.value) +
                                           " is a boss: the game passes over it"});
            } else if (!c) {
                if (classes_.empty()) {
                    out.push_back({t.line, "allowed enemy " + Q(t.value) +
                                               " does not exist and no enemy class is loaded"});
                } else if (classes_.front().isBoss) {
                    out.push_back({t.line, "allowed enemy " + Q(t.value) +
                                               " does not exist: the game passes over it"});
                } else {
                    out.push_back({t.line, "allowed enemy " + Q(t.value) +
                                               " does not exist: the game enables " +
                                               Q(classes_.front().id) +
                                               " (the first enemy class read) instead"});
                }
            }
        }
        Flush(name, out);
    }

    fs::path dir_;
    std::vector<ClassInfo> bullets_;
    std::vector<ClassInfo> classes_; // enemies, then bosses, as the game reads them
    size_t findings_ = 0;
};

void PrintUsage(std::ostream& out)
{
    out << "Usage: dataquill [--check [DIR]]\n"
           "  without arguments: write enemy, boss, bullet and level files from typed answers\n"
           "  --check [DIR]: check the data folder DIR (default: data) as the game reads it;\n"
           "                 exit code 0 when nothing is found, 1 otherwise\n";
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        return RunDialogue();
    }
    if (args[0] == "--help" || args[0] == "-h") {
        PrintUsage(std::cout);
        return 0;
    }
    if (args[0] == "--check" && args.size() <= 2) {
        Checker checker(args.size() == 2 ? fs::path(args[1]) : fs::path("data"));
        return checker.Run();
    }
    PrintUsage(std::cerr);
    return 2;
}
