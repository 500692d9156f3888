#include "dataquill_check.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <limits>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "dataquill_files.h"
#include "dataquill_rules.h"

namespace quill {

namespace {

namespace fs = std::filesystem;

// A file of the data folder the game reads.
struct DataFile
{
    std::string name; // as listed
    fs::path path;    // where it is read from
    std::string twin; // a name listed before it that differs only in letter case
};

struct ClassInfo
{
    std::string id;
    std::string name;
    fs::path path;
    bool isBoss = false;
};

struct Finding
{
    size_t line; // 0: the file as a whole
    std::string text;
};

// What one file's check carries from field to field.
struct FileState
{
    bool shifted = false; // a field was misplaced: the fields after it are not checked
    uint32_t shoot = 0;
    uint32_t frequency = 0;
};

std::string Q(std::string_view s)
{
    return "\"" + std::string(s) + "\"";
}

std::string LevelFileName(uint64_t n)
{
    std::string digits = std::to_string(n);
    return std::string(digits.size() < 3 ? 3 - digits.size() : 0, '0') + digits + ".LVL";
}

// Finds `parts` below `base`, each part matched without regard to case.
bool ExistsNoCase(const fs::path& base, const std::vector<std::string>& parts)
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

class Checker
{
  public:
    // The data folders in the order they override each other, the first
    // one the game's own.
    explicit Checker(std::vector<fs::path> dirs) : dirs_(std::move(dirs)) {}

    int Run()
    {
        std::error_code ec;
        if (!fs::is_directory(dirs_.front(), ec)) {
            std::cout << dirs_.front().string() << ": no such data folder\n";
            return 1;
        }
        std::vector<DataFile> blt, nmi, bss, lvl;
        for (const fs::path& dir : dirs_) {
            if (!List(dir, {&blt, &nmi, &bss, &lvl})) {
                return 1;
            }
        }

        for (const auto& f : blt) {
            CheckFile(FileKind::Bullet, f, {});
        }
        for (const auto& f : nmi) {
            ReadClassId(f, false);
        }
        for (const auto& f : bss) {
            ReadClassId(f, true);
        }
        for (const auto& f : nmi) {
            CheckFile(FileKind::Enemy, f, {});
        }
        for (const auto& f : bss) {
            CheckFile(FileKind::Enemy, f, {});
        }
        CheckLevels(lvl);

        std::string where = dirs_.front().string();
        for (size_t i = 1; i < dirs_.size(); ++i) {
            where += " and " + dirs_[i].string();
        }
        std::cout << findings_ << (findings_ == 1 ? " finding" : " findings") << " in " << where
                  << "\n";
        return findings_ == 0 ? 0 : 1;
    }

  private:
    // Adds the data files of `dir` to the lists of their kinds, each in the
    // game's listing order; a file replaces any of an earlier folder whose
    // name differs at most in letter case.
    bool List(const fs::path& dir, std::array<std::vector<DataFile>*, 4> lists)
    {
        std::error_code ec;
        if (!fs::is_directory(dir, ec)) {
            return true;
        }
        std::array<std::vector<DataFile>, 4> found;
        for (const auto& entry : fs::directory_iterator(dir, ec)) {
            std::error_code fec;
            if (!entry.is_regular_file(fec)) {
                continue;
            }
            std::string name = entry.path().filename().string();
            // Matched on the name's end, as a "*.blt" search does (".blt" included).
            std::string lower = Lower(name);
            std::string ext = lower.size() >= 4 ? lower.substr(lower.size() - 4) : "";
            static const char* const kExts[] = {".blt", ".nmi", ".bss", ".lvl"};
            for (size_t k = 0; k < 4; ++k) {
                if (ext == kExts[k]) {
                    found[k].push_back({name, entry.path(), ""});
                }
            }
        }
        if (ec) {
            std::cout << dir.string() << ": cannot be read: " << ec.message() << "\n";
            return false;
        }
        for (size_t k = 0; k < 4; ++k) {
            auto& mine = found[k];
            std::sort(mine.begin(), mine.end(), [](const DataFile& a, const DataFile& b) {
                return LessNoCase(a.name, b.name);
            });
            for (size_t i = 1; i < mine.size(); ++i) {
                if (Lower(mine[i].name) == Lower(mine[i - 1].name)) {
                    mine[i].twin = mine[i - 1].twin.empty() ? mine[i - 1].name : mine[i - 1].twin;
                }
            }
            auto& all = *lists[k];
            std::erase_if(all, [&](const DataFile& old) {
                return std::any_of(mine.begin(), mine.end(), [&](const DataFile& f) {
                    return Lower(f.name) == Lower(old.name);
                });
            });
            all.insert(all.end(), mine.begin(), mine.end());
            std::stable_sort(all.begin(), all.end(), [](const DataFile& a, const DataFile& b) {
                return LessNoCase(a.name, b.name);
            });
        }
        return true;
    }

    // Reads a file; reports a file without CR LF line ends and returns its
    // text with CR LF line ends, so the checks below see the fields the
    // author meant.
    static std::optional<std::string> Load(const DataFile& file, std::vector<Finding>& out)
    {
        std::ifstream in(file.path, std::ios::binary);
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

    void Flush(const fs::path& path, std::vector<Finding>& out)
    {
        std::stable_sort(out.begin(), out.end(),
                         [](const Finding& a, const Finding& b) { return a.line < b.line; });
        for (const auto& f : out) {
            if (f.line == 0) {
                std::cout << path.string() << ": " << f.text << "\n";
            } else {
                std::cout << path.string() << ":" << f.line << ": " << f.text << "\n";
            }
        }
        findings_ += out.size();
        out.clear();
    }

    // Checks the length of a text field; true when the read shifted the
    // fields after it.
    static bool CheckLength(const FileReader::Read& t, std::vector<Finding>& out)
    {
        if (t.cut) {
            out.push_back({t.line, "identifier " + Q(t.whole) +
                                       " is longer than 20 characters: the game reads " +
                                       Q(t.value) + " and takes the rest as the next field"});
            return true;
        }
        return false;
    }

    // Checks that a word came from its own line; true when it did not (the
    // fields from here on are shifted), after reporting it once.
    static bool Misplaced(const FileReader& r, const FileReader::Read& w, size_t expected,
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
    static bool MisplacedText(const FileReader::Read& t, size_t expected, std::string_view field,
                              std::vector<Finding>& out)
    {
        if (t.missing) {
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

    // Checks a word against its encoding.
    static void CheckWord(const Field& field, const FileReader::Read& w, std::vector<Finding>& out)
    {
        const std::string head = std::string(field.name) + " " + Q(w.value);
        switch (field.encoding) {
        case Encoding::Bool:
            if (w.value != "TRUE" && w.value != "FALSE") {
                out.push_back({w.line, head + " is neither TRUE nor FALSE: the game reads FALSE"});
            }
            break;
        case Encoding::Card:
            if (!IsPlainCard(w.value)) {
                out.push_back({w.line, head + " is not a plain whole number: the game reads " +
                                           std::to_string(ParseCard(w.value))});
            }
            break;
        case Encoding::Real:
            if (!ParseRealStrict(w.value)) {
                out.push_back({w.line, head + " is not a real number: the game reads 0.0"});
            }
            break;
        default:
            break;
        }
    }

    void CheckPicture(const std::string& id, const std::string& type, const std::string& ext,
                      std::vector<Finding>& out) const
    {
        const std::string file = id + ext;
        for (const fs::path& dir : dirs_) {
            if (ExistsNoCase(dir / "..", {"res", "norm", type, file})) {
                return;
            }
        }
        fs::path res = (dirs_.front() / ".." / "res").lexically_normal();
        out.push_back({1, "no picture " + Q(file) + " in " + (res / "norm" / type).string()});
    }

    static void ReportDuplicate(const std::string& id, const std::vector<ClassInfo>& known,
                                size_t upTo, std::vector<Finding>& out)
    {
        for (size_t i = 0; i < upTo && i < known.size(); ++i) {
            if (known[i].id == id) {
                out.push_back({1, "identifier " + Q(id) + " is also used by " + known[i].name +
                                      ", which the game finds first"});
                return;
            }
        }
    }

    static void CheckTrailing(const FileReader& r, const std::string& data,
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
    void ReadClassId(const DataFile& file, bool isBoss)
    {
        if (NameTooLong(file.name)) {
            return;
        }
        std::ifstream in(file.path, std::ios::binary);
        if (!in) {
            return;
        }
        std::ostringstream ss;
        ss << in.rdbuf();
        std::string data = ss.str();
        FileReader r(data);
        classes_.push_back({r.ReadText(kIdCapacity).value, file.name, file.path, isBoss});
    }

    // Checks one file field by field, as the table of its kind lists them.
    void CheckFile(FileKind kind, const DataFile& file, std::vector<Finding> out)
    {
        if (!file.twin.empty()) {
            out.push_back({0, "the name differs from " + file.twin +
                                  " only in letter case: the game loads both files"});
        }
        if (kind != FileKind::Level && NameTooLong(file.name)) {
            out.push_back({0, kind == FileKind::Bullet
                                  ? "file name is longer than 63 characters: the game cannot "
                                    "open it"
                                  : "file name is longer than 63 characters: the game skips it"});
            Flush(file.path, out);
            return;
        }
        auto data = Load(file, out);
        if (!data) {
            Flush(file.path, out);
            return;
        }
        FileReader r(*data);
        FileState state;
        for (const FieldRead& f : ReadFields(kind, r)) {
            CheckField(kind, file, f, r, state, out);
        }
        if (kind != FileKind::Level && !state.shifted) {
            if (kind == FileKind::Enemy && state.frequency == 0 && state.shoot != 0) {
                out.push_back({10, "shooting frequency is 0: the class never fires"});
            }
            CheckTrailing(r, *data, out);
        }
        Flush(file.path, out);
    }

    void CheckField(FileKind kind, const DataFile& file, const FieldRead& f, const FileReader& r,
                    FileState& state, std::vector<Finding>& out)
    {
        const Field& field = *f.field;
        const FileReader::Read& read = f.read;
        switch (field.encoding) {
        case Encoding::LineRest:
            return;
        case Encoding::TextList:
            // Empty lines and the end of the file stand for the first class,
            // as the game reads them.
            if (!state.shifted && !read.value.empty()) {
                CheckLength(read, out);
                CheckAllowed(read, out);
            }
            return;
        case Encoding::Text:
            if (field.meaning == Meaning::Identifier) {
                CheckIdentifier(kind, file, read, state, out);
            } else if (field.meaning == Meaning::PlayMode) {
                if (read.cut) {
                    out.push_back({f.line, "play mode " + Q(read.whole) +
                                               " is longer than 4 characters: the game reads " +
                                               Q(read.value) + " and takes the rest as the " +
                                               "boss delay"});
                    state.shifted = true;
                }
            } else if (!state.shifted) {
                state.shifted = MisplacedText(read, f.line, field.name, out);
                if (!state.shifted) {
                    state.shifted = CheckLength(read, out);
                    CheckReference(field.meaning, read.value, f.line, out);
                }
            }
            return;
        default:
            break;
        }
        if (state.shifted) {
            return;
        }
        state.shifted = Misplaced(r, read, f.line, field.name, out);
        if (state.shifted) {
            return;
        }
        CheckWord(field, read, out);
        if (field.meaning == Meaning::ShootPattern) {
            state.shoot = ParseCard(read.value);
            if (state.shoot > 5) {
                out.push_back({f.line, "shooting pattern " + std::to_string(state.shoot) +
                                           " does not exist: the game uses pattern 1"});
            }
        } else if (field.meaning == Meaning::Frequency) {
            state.frequency = ParseCard(read.value);
        }
    }

    void CheckIdentifier(FileKind kind, const DataFile& file, const FileReader::Read& id,
                         FileState& state, std::vector<Finding>& out)
    {
        state.shifted = CheckLength(id, out);
        if (id.value.empty()) {
            out.push_back({1, "identifier is empty"});
        }
        if (kind == FileKind::Bullet) {
            ReportDuplicate(id.value, bullets_, bullets_.size(), out);
            bullets_.push_back({id.value, file.name, file.path, false});
            CheckPicture(id.value, "bullet", ".png", out);
            return;
        }
        size_t self = 0;
        while (self < classes_.size() && classes_[self].path != file.path) {
            ++self;
        }
        ReportDuplicate(id.value, classes_, self, out);
        CheckPicture(id.value, "enemy", ".PNG", out);
    }

    void CheckReference(Meaning meaning, const std::string& id, size_t line,
                        std::vector<Finding>& out) const
    {
        if (meaning == Meaning::BulletClass) {
            if (std::any_of(bullets_.begin(), bullets_.end(),
                            [&](const ClassInfo& b) { return b.id == id; })) {
                return;
            }
            if (bullets_.empty()) {
                out.push_back({line, "bullet class " + Q(id) +
                                         " does not exist and no bullet class is loaded: the "
                                         "class never fires"});
            } else {
                out.push_back({line, "bullet class " + Q(id) + " does not exist: the game takes " +
                                         Q(bullets_.front().id) +
                                         " (the first bullet class read)"});
            }
        } else if (meaning == Meaning::Boss && !FindClass(id)) {
            if (classes_.empty()) {
                out.push_back({line, "boss " + Q(id) +
                                         " does not exist and no enemy class is loaded: the "
                                         "level has no boss"});
            } else {
                out.push_back({line, "boss " + Q(id) + " does not exist: the game takes " +
                                         Q(classes_.front().id) + " (the first enemy class read)"});
            }
        }
    }

    void CheckAllowed(const FileReader::Read& t, std::vector<Finding>& out) const
    {
        const ClassInfo* c = FindClass(t.value);
        if (c && c->isBoss) {
            out.push_back(
                {t.line, "allowed enemy " + Q(t.value) + " is a boss: the game passes over it"});
        } else if (!c) {
            if (classes_.empty()) {
                out.push_back({t.line, "allowed enemy " + Q(t.value) +
                                           " does not exist and no enemy class is loaded"});
            } else if (classes_.front().isBoss) {
                out.push_back({t.line, "allowed enemy " + Q(t.value) +
                                           " does not exist: the game passes over it"});
            } else {
                out.push_back(
                    {t.line, "allowed enemy " + Q(t.value) + " does not exist: the game enables " +
                                 Q(classes_.front().id) + " (the first enemy class read) instead"});
            }
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

    void CheckLevels(const std::vector<DataFile>& files)
    {
        std::map<uint64_t, const DataFile*> levels;
        std::vector<const DataFile*> unread;
        for (const auto& f : files) {
            std::string stem = fs::path(f.name).stem().string();
            bool digits = !stem.empty() && stem.size() <= 10 &&
                          std::all_of(stem.begin(), stem.end(), IsDigit);
            uint64_t n = digits ? std::stoull(stem) : 0;
            bool named = digits && n <= std::numeric_limits<uint32_t>::max() &&
                         Lower(LevelFileName(n)) == Lower(f.name);
            // Of names that differ only in case the game opens the first listed.
            if (!named || !levels.emplace(n, &f).second) {
                unread.push_back(&f);
            }
        }
        if (levels.find(1) == levels.end()) {
            std::vector<Finding> out{{0, "missing: a game started at level 1 ends at once"}};
            Flush(dirs_.front() / "001.LVL", out);
        }
        for (const auto& [n, f] : levels) {
            // A game goes on from level to level until a file is missing.
            std::vector<Finding> out;
            if (n > 1 && levels.count(1) != 0 && levels.count(n - 1) == 0) {
                out.push_back({0, "no " + LevelFileName(n - 1) +
                                      " before it: a game from level 1 never reaches this level"});
            }
            CheckFile(FileKind::Level, *f, std::move(out));
        }
        for (const DataFile* f : unread) {
            std::vector<Finding> out;
            if (!f->twin.empty()) {
                out.push_back({0, "the name differs from " + f->twin +
                                      " only in letter case: the game reads " + f->twin +
                                      " and never this file"});
            } else {
                out.push_back({0, "the game never loads this file: level files are named by "
                                  "their number, as 001.LVL"});
            }
            Flush(f->path, out);
        }
    }

    std::vector<fs::path> dirs_;
    std::vector<ClassInfo> bullets_;
    std::vector<ClassInfo> classes_; // enemies, then bosses, as the game reads them
    size_t findings_ = 0;
};

bool IsFolder(const fs::path& p)
{
    std::error_code ec;
    return fs::is_directory(p, ec);
}

bool SameFolder(const fs::path& a, const fs::path& b)
{
    std::error_code ec;
    return fs::equivalent(a, b, ec);
}

// The folder this program runs from.
fs::path ProgramFolder()
{
    std::error_code ec;
    return fs::read_symlink("/proc/self/exe", ec).parent_path();
}

// The game's content folder: $ZODUZOR_DIR; a folder with data/ beside the
// program or at ../share/zoduzor from it (an installed game); the source
// tree's game/ for a program run from its build folder.
std::optional<fs::path> ContentFolder(std::vector<std::string>& looked)
{
    if (const char* env = std::getenv("ZODUZOR_DIR"); env && *env) {
        return fs::path(env);
    }
    looked.push_back("$ZODUZOR_DIR (not set)");
    const fs::path program = ProgramFolder();
    for (const fs::path& candidate : {program, (program / ".." / "share" / "zoduzor")}) {
        if (IsFolder(candidate / "data")) {
            return candidate.lexically_normal();
        }
        looked.push_back((candidate / "data").lexically_normal().string());
    }
#if defined(ZODUZOR_BUILD_DIR) && defined(ZODUZOR_SOURCE_CONTENT)
    if (SameFolder(program, ZODUZOR_BUILD_DIR)) {
        return fs::path(ZODUZOR_SOURCE_CONTENT);
    }
#endif
    return std::nullopt;
}

// The user's own folder: $XDG_DATA_HOME/zoduzor, by default
// ~/.local/share/zoduzor.
std::optional<fs::path> UserFolder()
{
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && fs::path(xdg).is_absolute()) {
        return fs::path(xdg) / "zoduzor";
    }
    const char* home = std::getenv("HOME");
    if (home && *home) {
        return fs::path(home) / ".local" / "share" / "zoduzor";
    }
    return std::nullopt;
}

} // namespace

int CheckDataFolder(const fs::path& dir)
{
    return Checker({dir}).Run();
}

int CheckGameData()
{
    std::vector<std::string> looked;
    const std::optional<fs::path> content = ContentFolder(looked);
    const std::optional<fs::path> user = UserFolder();
    std::error_code ec;
    const fs::path here = fs::current_path(ec);
    // A working folder with a data folder of its own, as when writing files
    // for it, is checked alone; the game's folders are checked as one.
    const bool gameFolder =
        (content && SameFolder(here, *content)) || (user && SameFolder(here, *user));
    if (IsFolder("data") && !gameFolder) {
        return CheckDataFolder("data");
    }
    if (!content) {
        std::cout << "no game data found: looked in data, ";
        for (size_t i = 0; i < looked.size(); ++i) {
            std::cout << (i == 0 ? "" : ", ") << looked[i];
        }
        std::cout << "\n";
        return 1;
    }
    std::vector<fs::path> dirs = {*content / "data"};
    if (user && IsFolder(*user / "data") && !SameFolder(*user / "data", dirs.front())) {
        dirs.push_back(*user / "data");
    }
    return Checker(dirs).Run();
}

} // namespace quill
