// The data files as Dataquill knows them: the records it writes, the text
// rules of the game's readers, and one table of fields per file kind, read
// field by field exactly as the game reads them.
//
// Dataquill links nothing of the game's, so these rules are its own copy; a
// unit test holds them against the game's readers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quill {

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
// Words and values

constexpr char kCR = 13;
constexpr char kLF = 10;
constexpr char kCtrlZ = 26;

bool IsSeparator(char c);
bool IsDigit(char c);
// The first word of a typed line (separators as in the files).
std::string_view FirstWord(std::string_view line);
// Leading digits after one optional sign that does not count; saturates.
uint32_t ParseCard(std::string_view word);
// Exactly the digits of a number that fits 32 bits.
bool IsPlainCard(std::string_view word);
bool ParseBool(std::string_view word); // "TRUE" only
std::optional<float> ParseRealStrict(std::string_view word);
float ParseReal(std::string_view word); // 0.0 when not a real
std::string FormatReal(float value);    // three decimals
std::string Cut(std::string s, size_t capacity);
std::string Lower(std::string_view s); // letters A to Z only

// ---------------------------------------------------------------------------
// The game's reader over a whole file, remembering on which line each read
// started so that findings can name it.

class FileReader
{
  public:
    explicit FileReader(const std::string& data);

    struct Read
    {
        std::string value;
        size_t line = 0;
        bool missing = false; // a word read or a text read that met the end
        bool cut = false;     // a text that goes on beyond its capacity
        std::string whole;    // a text read's whole rest of the line (for messages)
    };

    // Up to the end of the line, which is consumed; at most `capacity`
    // characters, leaving the rest of a longer line for the next read.
    Read ReadText(size_t capacity);
    // Skips separators, takes the word and consumes the separator after it.
    Read ReadWord();

    bool Eof() const { return eof_; }
    size_t Pos() const { return pos_; }
    size_t LineOf(size_t p) const;
    // True when line n (1-based) holds nothing but separators.
    bool LineBlank(size_t n) const;

  private:
    const std::string& s_;
    std::vector<size_t> lineStarts_;
    size_t pos_ = 0;
    bool eof_ = false;
};

// ---------------------------------------------------------------------------
// The fields of each file kind, in reading order

enum class FileKind : uint8_t { Enemy, Bullet, Level };

enum class Encoding : uint8_t {
    Text,     // a text read of `capacity` characters
    Bool,     // a word, TRUE or FALSE
    Card,     // a word, a whole number
    Real,     // a word, a real number
    LineRest, // the text read that takes what is left of a number's line
    TextList, // text reads to the end of the file
};

// What a field means beyond its encoding, for the checks that need it.
enum class Meaning : uint8_t {
    Plain,
    Identifier,   // the class's own identifier, on line 1
    PlayMode,     // a level's play mode, on line 1
    BulletClass,  // names a bullet class
    Boss,         // names a boss class
    ShootPattern, // a shooting pattern number
    Frequency,    // a shooting frequency
    Allowed,      // the list of allowed enemies
};

// One file's fields as read, whatever its kind.
struct Record
{
    TEnemyClassFile enemy;
    TBulletClassFile bullet;
    TLevelFile level;
    std::vector<TID> allowed; // every read of the allowed list, the last one at the end included
};

// A read's value as its encoding gives it.
struct Value
{
    std::string text;
    bool boolean = false;
    uint32_t card = 0;
    float real = 0.0f;
};

struct Field
{
    const char* name; // as findings name it
    Encoding encoding;
    size_t capacity; // of a text read
    Meaning meaning;
    void (*store)(Record& record, const Value& value); // null: read and dropped
};

std::span<const Field> Fields(FileKind kind);

struct FieldRead
{
    const Field* field;
    size_t line; // the line the field belongs on (0 for the list's reads)
    FileReader::Read read;
};

// Reads every field of a file of `kind` from `reader`, in the game's order.
std::vector<FieldRead> ReadFields(FileKind kind, FileReader& reader);
// What the game reads from `data` as a file of `kind`.
Record ReadRecord(FileKind kind, const std::string& data);

} // namespace quill
