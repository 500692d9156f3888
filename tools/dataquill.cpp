// Dataquill: the console data writer of Zoduzor. It asks for the fields of an
// enemy or boss class, a bullet class or a level and writes the game's text
// file for it. With --check it reads a data folder the way the game does and
// reports everything the game would misread or resolve differently.
//
// It links nothing of the game's: the file records and the reading rules are
// declared here again (dataquill_rules.h), and both programs meet only in the
// files.

#include <algorithm>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "dataquill_check.h"
#include "dataquill_files.h"
#include "dataquill_rules.h"

namespace {

using namespace quill;

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

void ReportWriteFailure(const OutputFile& file)
{
    std::cout << "Could not write \"" << filename << "\": " << file.Error() << "\n";
}

// The file name at the end of a path, "\\" separating folders as "/" does.
std::string LastPart(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    while (!path.empty() && path.back() == '/') {
        path.pop_back();
    }
    return path.substr(path.rfind('/') + 1);
}

// Opens the file under the typed name, warning when that is an existing file
// whose name differs in letter case; false, reported, when it cannot be written.
bool OpenOutput(OutputFile& file)
{
    if (!file.Open(filename)) {
        ReportWriteFailure(file);
        return false;
    }
    if (LastPart(file.Name()) != LastPart(filename)) {
        std::cout << "Warning: " << file.Name()
                  << " is written: its name differs from the typed one only in letter case, "
                     "and the game reads it under that name.\n";
    }
    return true;
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
    if (!OpenOutput(file)) {
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
    if (!OpenOutput(file)) {
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
    if (!OpenOutput(file)) {
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
    std::string blank(63, ' ');
    blank.front() = blank.back() = '*';
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

void PrintUsage(std::ostream& out)
{
    out << "Usage: dataquill\n"
           "       dataquill --check [DIR]\n"
           "       dataquill --help | -h\n"
           "\n"
           "  without arguments: write enemy, boss, bullet and level files from typed answers\n"
           "  --check [DIR]: check the data folder DIR as the game reads it; without DIR,\n"
           "                 the working folder's data/ when it has one, else the game's\n"
           "                 data as it plays it: its content folder's data/ with the\n"
           "                 user's own data files ($XDG_DATA_HOME/zoduzor/data) over it;\n"
           "                 prints each finding, then how many; exit code 0 when nothing\n"
           "                 is found, 1 otherwise\n"
           "  --help, -h: show this help\n";
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
        return args.size() == 2 ? CheckDataFolder(args[1]) : CheckGameData();
    }
    PrintUsage(std::cerr);
    return 2;
}
