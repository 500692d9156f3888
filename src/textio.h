// The line-oriented text routines that every reader and writer of the
// game's text files uses (data files, settings, high scores, credits).
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

class TextReader
{
  public:
    explicit TextReader(std::istream& in) : in_(in) {}

    // Reads up to the end of the line and consumes the line end (CR and the
    // character after it, LF, or character 26). Stops after `capacity`
    // characters, leaving the rest of the line for the next read. At the
    // end of the file the result is empty.
    std::string ReadText(size_t capacity);
    // Skips spaces, tabs, CR, LF and character 26, takes characters up to the
    // next of them and consumes that one character. Empty at the end. Only the
    // first kWordCapacity characters of a longer word are kept (the rest of it
    // is read and dropped), so no input grows a word without bound.
    std::string ReadWord();
    static constexpr size_t kWordCapacity = 64;
    // Decimal digits at the start of a word after one optional sign (which has
    // no effect); 0 without digits; saturates at 4294967295.
    uint32_t ReadCard();
    // TRUE exactly for the word "TRUE".
    bool ReadBool();
    // A decimal real (sign, digits, fraction, exponent); 0.0 when malformed
    // or longer than kWordCapacity characters.
    float ReadReal();
    // True once a read has met the end of the input.
    bool Eof() const { return eof_; }
    // True when the last word read was ended by LF or character 26, which
    // end a line by themselves (a CR leaves its LF to be read).
    bool WordEndedLine() const { return wordEnd_ == 10 || wordEnd_ == 26; }

    static uint32_t ParseCard(std::string_view word);
    static bool ParseBool(std::string_view word);
    static float ParseReal(std::string_view word);

  private:
    int Get();
    int Peek();
    std::istream& in_;
    bool eof_ = false;
    bool wordCut_ = false; // the last word was longer than kWordCapacity
    int wordEnd_ = -1;     // the character that ended the last word; -1 at the end
};

class TextWriter
{
  public:
    explicit TextWriter(std::ostream& out) : out_(out) {}
    void WriteText(std::string_view text);
    void WriteLn();                                // CR LF
    void WriteCard(uint32_t value, int width = 1); // right-aligned, padded with blanks
    void WriteBool(bool value);                    // TRUE or FALSE
    void WriteReal(float value);                   // fixed, three decimals

  private:
    std::ostream& out_;
};
