#include "dataquill_rules.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <limits>
#include <system_error>

namespace quill {

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

bool ParseBool(std::string_view word)
{
    return word == "TRUE";
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

FileReader::FileReader(const std::string& data) : s_(data)
{
    lineStarts_.push_back(0);
    for (size_t i = 0; i < s_.size(); ++i) {
        bool lineEnd = s_[i] == kLF || (s_[i] == kCR && (i + 1 >= s_.size() || s_[i + 1] != kLF));
        if (lineEnd) {
            lineStarts_.push_back(i + 1);
        }
    }
}

FileReader::Read FileReader::ReadText(size_t capacity)
{
    Read t;
    t.line = LineOf(pos_);
    size_t e = pos_;
    while (e < s_.size() && s_[e] != kCR && s_[e] != kLF && s_[e] != kCtrlZ) {
        ++e;
    }
    t.whole = s_.substr(pos_, e - pos_);
    while (t.value.size() < capacity) {
        if (pos_ >= s_.size()) {
            eof_ = true;
            t.missing = t.value.empty();
            break;
        }
        char c = s_[pos_++];
        if (c == kCR) {
            // CR ends the line together with the character after it.
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

FileReader::Read FileReader::ReadWord()
{
    Read w;
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
    // The separator that ends the word is consumed with it.
    if (pos_ < s_.size()) {
        ++pos_;
    } else {
        eof_ = true;
    }
    return w;
}

size_t FileReader::LineOf(size_t p) const
{
    return static_cast<size_t>(std::upper_bound(lineStarts_.begin(), lineStarts_.end(), p) -
                               lineStarts_.begin());
}

bool FileReader::LineBlank(size_t n) const
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

// ---------------------------------------------------------------------------

namespace {

using E = Encoding;
using M = Meaning;
using R = Record;
using V = Value;

// Enemy and boss class files.
const Field kEnemyFields[] = {
    {"identifier", E::Text, kIdCapacity, M::Identifier,
     [](R& r, const V& v) { r.enemy.id = v.text; }},
    {"red", E::Bool, 0, M::Plain, [](R& r, const V& v) { r.enemy.color[red] = v.boolean; }},
    {"green", E::Bool, 0, M::Plain, [](R& r, const V& v) { r.enemy.color[green] = v.boolean; }},
    {"blue", E::Bool, 0, M::Plain, [](R& r, const V& v) { r.enemy.color[blue] = v.boolean; }},
    {"yellow", E::Bool, 0, M::Plain, [](R& r, const V& v) { r.enemy.color[yellow] = v.boolean; }},
    {"health", E::Card, 0, M::Plain, [](R& r, const V& v) { r.enemy.health = v.card; }},
    {"health", E::LineRest, kIdCapacity, M::Plain, nullptr},
    {"bullet class", E::Text, kIdCapacity, M::BulletClass,
     [](R& r, const V& v) { r.enemy.bullet = v.text; }},
    {"shooting pattern", E::Card, 0, M::ShootPattern,
     [](R& r, const V& v) { r.enemy.shoot = v.card; }},
    {"movement pattern", E::Card, 0, M::Plain, [](R& r, const V& v) { r.enemy.move = v.card; }},
    {"shooting frequency", E::Card, 0, M::Frequency,
     [](R& r, const V& v) { r.enemy.frequency = v.card; }},
};

// Bullet class files.
const Field kBulletFields[] = {
    {"identifier", E::Text, kIdCapacity, M::Identifier,
     [](R& r, const V& v) { r.bullet.id = v.text; }},
    {"red damage", E::Card, 0, M::Plain, [](R& r, const V& v) { r.bullet.damage[red] = v.card; }},
    {"green damage", E::Card, 0, M::Plain,
     [](R& r, const V& v) { r.bullet.damage[green] = v.card; }},
    {"blue damage", E::Card, 0, M::Plain, [](R& r, const V& v) { r.bullet.damage[blue] = v.card; }},
    {"yellow damage", E::Card, 0, M::Plain,
     [](R& r, const V& v) { r.bullet.damage[yellow] = v.card; }},
    {"neutral damage", E::Card, 0, M::Plain,
     [](R& r, const V& v) { r.bullet.damage[neutral] = v.card; }},
    {"speed", E::Real, 0, M::Plain, [](R& r, const V& v) { r.bullet.speed = v.real; }},
    {"acceleration", E::Real, 0, M::Plain, [](R& r, const V& v) { r.bullet.accel = v.real; }},
};

// Level files.
const Field kLevelFields[] = {
    {"play mode", E::Text, kPlayModeCapacity, M::PlayMode,
     [](R& r, const V& v) { r.level.playMode = v.text; }},
    {"boss delay", E::Card, 0, M::Plain, [](R& r, const V& v) { r.level.bossDelay = v.card; }},
    {"boss delay", E::LineRest, kIdCapacity, M::Plain, nullptr},
    {"boss", E::Text, kIdCapacity, M::Boss, [](R& r, const V& v) { r.level.boss = v.text; }},
    {"allowed enemy", E::TextList, kIdCapacity, M::Allowed,
     [](R& r, const V& v) { r.allowed.push_back(v.text); }},
};

Value ValueOf(Encoding encoding, const std::string& word)
{
    Value v;
    switch (encoding) {
    case Encoding::Bool:
        v.boolean = ParseBool(word);
        break;
    case Encoding::Card:
        v.card = ParseCard(word);
        break;
    case Encoding::Real:
        v.real = ParseReal(word);
        break;
    default:
        v.text = word;
        break;
    }
    return v;
}

} // namespace

std::span<const Field> Fields(FileKind kind)
{
    switch (kind) {
    case FileKind::Enemy:
        return kEnemyFields;
    case FileKind::Bullet:
        return kBulletFields;
    case FileKind::Level:
        break;
    }
    return kLevelFields;
}

std::vector<FieldRead> ReadFields(FileKind kind, FileReader& reader)
{
    std::vector<FieldRead> reads;
    size_t line = 1;
    for (const Field& field : Fields(kind)) {
        switch (field.encoding) {
        case Encoding::Text:
            reads.push_back({&field, line++, reader.ReadText(field.capacity)});
            break;
        case Encoding::LineRest:
            reads.push_back({&field, 0, reader.ReadText(field.capacity)});
            break;
        case Encoding::TextList:
            // The game reads once more after every read that did not meet
            // the end of the file.
            do {
                reads.push_back({&field, 0, reader.ReadText(field.capacity)});
            } while (!reader.Eof());
            break;
        default:
            reads.push_back({&field, line++, reader.ReadWord()});
            break;
        }
    }
    return reads;
}

Record ReadRecord(FileKind kind, const std::string& data)
{
    FileReader reader(data);
    Record record;
    for (const FieldRead& f : ReadFields(kind, reader)) {
        if (f.field->store) {
            f.field->store(record, ValueOf(f.field->encoding, f.read.value));
        }
    }
    return record;
}

} // namespace quill
