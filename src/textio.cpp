#include "textio.h"

#include <charconv>
#include <cstdio>
#include <limits>

namespace {

constexpr int kCR = 13;
constexpr int kLF = 10;
constexpr int kCtrlZ = 26;

bool IsSeparator(int c)
{
    return c == ' ' || c == '\t' || c == kCR || c == kLF || c == kCtrlZ;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

int TextReader::Get()
{
    int c = in_.get();
    if (c == std::char_traits<char>::eof()) {
        eof_ = true;
        return -1;
    }
    return static_cast<unsigned char>(c);
}

int TextReader::Peek()
{
    int c = in_.peek();
    if (c == std::char_traits<char>::eof()) {
        eof_ = true;
        return -1;
    }
    return static_cast<unsigned char>(c);
}

std::string TextReader::ReadText(size_t capacity)
{
    std::string text;
    while (text.size() < capacity) {
        int c = Peek();
        if (c < 0) {
            break;
        }
        Get();
        if (c == kCR) {
            // CR ends the line together with the character after it.
            Get();
            break;
        }
        if (c == kLF || c == kCtrlZ) {
            break;
        }
        text.push_back(static_cast<char>(c));
    }
    return text;
}

std::string TextReader::ReadWord()
{
    int c = Get();
    while (c >= 0 && IsSeparator(c)) {
        c = Get();
    }
    std::string word;
    wordCut_ = false;
    // The separator that ends the word is consumed with it.
    while (c >= 0 && !IsSeparator(c)) {
        if (word.size() < kWordCapacity) {
            word.push_back(static_cast<char>(c));
        } else {
            wordCut_ = true;
        }
        c = Get();
    }
    wordEnd_ = c;
    return word;
}

uint32_t TextReader::ReadCard()
{
    return ParseCard(ReadWord());
}

bool TextReader::ReadBool()
{
    return ParseBool(ReadWord());
}

float TextReader::ReadReal()
{
    const std::string word = ReadWord();
    // No real the writer makes comes near the capacity; a longer word is
    // malformed, whatever its first characters say.
    return wordCut_ ? 0.0f : ParseReal(word);
}

uint32_t TextReader::ParseCard(std::string_view word)
{
    size_t i = 0;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) {
        ++i;
    }
    uint64_t value = 0;
    constexpr uint64_t kMax = std::numeric_limits<uint32_t>::max();
    for (; i < word.size() && IsDigit(word[i]); ++i) {
        value = value * 10 + static_cast<uint64_t>(word[i] - '0');
        if (value > kMax) {
            value = kMax; // saturate; the remaining digits cannot lower it
        }
    }
    return static_cast<uint32_t>(value);
}

bool TextReader::ParseBool(std::string_view word)
{
    return word == "TRUE";
}

float TextReader::ParseReal(std::string_view word)
{
    bool negative = false;
    if (!word.empty() && (word[0] == '+' || word[0] == '-')) {
        negative = word[0] == '-';
        word.remove_prefix(1);
    }
    // Only plain decimal notation: no "inf", "nan" or a second sign.
    if (word.empty() || !(IsDigit(word[0]) || word[0] == '.')) {
        return 0.0f;
    }
    float value = 0.0f;
    auto [ptr, ec] =
        std::from_chars(word.data(), word.data() + word.size(), value, std::chars_format::general);
    if (ec != std::errc() || ptr != word.data() + word.size()) {
        return 0.0f;
    }
    return negative ? -value : value;
}

void TextWriter::WriteText(std::string_view text)
{
    out_ << text;
}

void TextWriter::WriteLn()
{
    out_ << "\r\n";
}

void TextWriter::WriteCard(uint32_t value, int width)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%*u", width < 0 ? 0 : width, static_cast<unsigned>(value));
    out_ << buf;
}

void TextWriter::WriteBool(bool value)
{
    out_ << (value ? "TRUE" : "FALSE");
}

void TextWriter::WriteReal(float value)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3f", static_cast<double>(value));
    out_ << buf;
}
