#include "common.h"

#include <algorithm>
#include <cstdio>

#include "game.h"
#include "keySettings.h"
#include "rastrum.h"
#include "regular_file.h"
#include "sounds.h"
#include "textio.h"

TOperationMode OperationMode = opModeINIT;
TPlayMode PlayMode = plMoMenu;
UINT WM_C_OPMO_BEGIN = 0;
UINT WM_C_OPMO_END = 0;
UINT WM_C_PLMO_BEGIN = 0;
UINT WM_C_PLMO_END = 0;
uint32_t numOfImg = 0;

void CommonInit()
{
    numOfImg = 0;
    OperationMode = opModeINIT;
    PlayMode = plMoMenu;
}

// ---------------------------------------------------------------- modes

void SwitchOpMode(HWND hwnd, TOperationMode newMode)
{
    SendMessageA(hwnd, WM_C_OPMO_END, 0, 0);
    OperationMode = newMode;
    if (newMode == opModeMENU) {
        SwitchPlayMode(hwnd, plMoMenu);
    }
    SendMessageA(hwnd, WM_C_OPMO_BEGIN, 0, 0);
}

void SwitchPlayMode(HWND hwnd, TPlayMode newMode)
{
    SendMessageA(hwnd, WM_C_PLMO_END, 0, 0);
    PlayMode = newMode;
    SendMessageA(hwnd, WM_C_PLMO_BEGIN, 0, 0);
}

const char* OperationModeName(TOperationMode m)
{
    static const char* const names[] = {"INIT", "MENU", "GAME", "OPTI",
                                        "LOAD", "HIGH", "CRED", "KEYS"};
    return m <= opModeKEYS ? names[m] : "????";
}

const char* PlayModeName(TPlayMode m)
{
    static const char* const names[] = {"norm", "bike", "eegg", "rudi", "menu"};
    return m <= plMoMenu ? names[m] : "norm";
}

// ---------------------------------------------------------------- paths

namespace {

TPath Cut(std::string path)
{
    if (path.size() > kPathCapacity) {
        path.resize(kPathCapacity);
    }
    return path;
}

} // namespace

TPath DataPath(std::string_view filename)
{
    std::string path = ".\\data\\";
    path += filename;
    return Cut(std::move(path));
}

TPath PlayModePath(TPlayMode plMo)
{
    switch (plMo) {
    case plMoBike:
        return "bike\\";
    case plMoEegg:
        return "eegg\\";
    case plMoRudi:
        return "rudi\\";
    case plMoMenu:
        return "menu\\";
    default:
        return "norm\\";
    }
}

TPath ComposeResourcePath(std::string_view filename, std::string_view type, TPlayMode playmode)
{
    std::string path = ".\\res\\" + PlayModePath(playmode);
    path += type;
    path += "\\";
    path += filename;
    return Cut(std::move(path));
}

bool FileExists(const TPath& path)
{
    if (path.empty()) {
        return false;
    }
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TPath ResourcePath(std::string_view filename, std::string_view type)
{
    // The active theme, then the normal one, then every theme in order.
    const TPlayMode order[] = {PlayMode, plMoNorm, plMoNorm, plMoBike,
                               plMoEegg, plMoRudi, plMoMenu};
    for (size_t i = 0; i < std::size(order); ++i) {
        const TPlayMode m = order[i];
        if (std::find(order, order + i, m) != order + i) {
            continue; // already tried, and found missing
        }
        TPath candidate = ComposeResourcePath(filename, type, m);
        if (FileExists(candidate)) {
            return candidate;
        }
    }
    return TPath();
}

// ---------------------------------------------------------------- images

uint32_t AddImage(const TPath& path)
{
    ++numOfImg;
    SetNumberOfImages(numOfImg);
    LoadImage(numOfImg, path.c_str());
    return numOfImg;
}

TVector MakeSize(uint32_t imgNum)
{
    return MakeTVector(GetSizeX(imgNum), GetSizeY(imgNum));
}

TVector MouseCoordsToTVector(int32_t lParam)
{
    const auto bits = static_cast<uint32_t>(lParam);
    return MakeTVector(static_cast<int32_t>(bits & 0xFFFFu), static_cast<int32_t>(bits >> 16));
}

TVector CentorPosToShootPos(TVector center, uint32_t imgNum, bool upper)
{
    const int32_t h = GetSizeY(imgNum) / 2;
    return upper ? MakeTVector(center.x, center.y - h) : MakeTVector(center.x, center.y + h);
}

// ---------------------------------------------------------------- data files

TPlayMode StrToPlayMode(std::string_view str)
{
    std::string upper(str);
    for (char& ch : upper) {
        if (ch >= 'a' && ch <= 'z') {
            ch = static_cast<char>(ch - 'a' + 'A');
        }
    }
    if (upper == "NORM") {
        return plMoNorm;
    }
    if (upper == "BIKE") {
        return plMoBike;
    }
    if (upper == "EEGG") {
        return plMoEegg;
    }
    if (upper == "RUDI") {
        return plMoRudi;
    }
    if (upper == "MENU") {
        return plMoMenu;
    }
    return NewPlayMode();
}

std::string LevelFileName(uint32_t n)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%03u.LVL", static_cast<unsigned>(n));
    return buf;
}

namespace {

constexpr size_t kIdCapacity = 20;
constexpr size_t kPlayModeCapacity = 4;

// Calls `load` with the path of every data file matching `pattern`, in the
// order the file system lists them.
template <typename Load> void ForEachDataFile(const char* pattern, bool needExisting, Load load)
{
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(DataPath(pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE || search == nullptr) {
        return;
    }
    do {
        found.cFileName[sizeof found.cFileName - 1] = '\0';
        const TPath path = DataPath(found.cFileName);
        if (!needExisting || FileExists(path)) {
            load(path);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

} // namespace

TEnemyClass RdEnemyClass(std::istream& in, bool isBoss)
{
    TextReader reader(in);
    TEnemyClass cls;
    cls.id = TID(reader.ReadText(kIdCapacity));
    cls.imgNum = AddImage(ResourcePath(cls.id.str() + ".PNG", "enemy"));
    cls.size = MakeSize(cls.imgNum);
    cls.color[red] = reader.ReadBool();
    cls.color[green] = reader.ReadBool();
    cls.color[blue] = reader.ReadBool();
    cls.color[yellow] = reader.ReadBool();
    cls.color[neutral] = false;
    cls.health = reader.ReadCard();
    reader.ReadText(kIdCapacity); // the rest of the health line
    cls.bullet = FindBulletClass(TID(reader.ReadText(kIdCapacity)), p1BC);
    cls.shoot = CardToPShootPattern(reader.ReadCard());
    cls.move = CardToPMovePattern(reader.ReadCard());
    cls.frequency = reader.ReadCard();
    cls.isBoss = isBoss;
    return cls;
}

TBulletClass RdBulletClass(std::istream& in)
{
    TextReader reader(in);
    TBulletClass cls;
    cls.id = TID(reader.ReadText(kIdCapacity));
    for (int c = red; c <= neutral; ++c) {
        cls.damage[static_cast<size_t>(c)] = reader.ReadCard();
    }
    cls.speed = reader.ReadReal();
    cls.accel = reader.ReadReal();
    cls.imgNum = AddImage(ResourcePath(cls.id.str() + ".png", "bullet"));
    cls.size = MakeSize(cls.imgNum);
    return cls;
}

TEnemyClass RdEnemyClassFile(const TPath& path, bool isBoss)
{
    InFile in(w32::ResolvePath(path)); // anything but a regular file reads as empty
    return RdEnemyClass(in, isBoss);
}

TBulletClass RdBulletClassFile(const TPath& path)
{
    InFile in(w32::ResolvePath(path));
    return RdBulletClass(in);
}

void LoadBulletClasses()
{
    ForEachDataFile("*.blt", false,
                    [](const TPath& path) { AddBulletClass(RdBulletClassFile(path), p1BC); });
}

void LoadEnemyClasses()
{
    ForEachDataFile("*.nmi", true,
                    [](const TPath& path) { AddEnemyClass(RdEnemyClassFile(path, false), p1EC); });
}

void LoadBosses()
{
    ForEachDataFile("*.bss", true,
                    [](const TPath& path) { AddEnemyClass(RdEnemyClassFile(path, true), p1EC); });
}

TLevel LoadLevel(uint32_t n, bool loadEnemies, bool& okOut)
{
    CloseSounds();
    okOut = true;
    TLevel result;
    result.number = n;
    result.boss = nullptr;
    result.time = 0;
    result.playMode = plMoNorm;
    result.bossReleased = false;
    result.numOfEnemies = 0;

    // A folder, a pipe or an unreadable file of that name is no level: the
    // level is missing.
    InFile in(w32::ResolvePath(DataPath(LevelFileName(n))));
    if (!in.is_open()) {
        okOut = false;
        return result;
    }
    // The full number: the announcement shows it whole.
    result.str = std::to_string(n);

    TextReader reader(in);
    result.playMode = StrToPlayMode(reader.ReadText(kPlayModeCapacity));
    if (!loadEnemies) {
        return result;
    }

    CloseSounds();
    LoadSound("KillEnemy");
    LoadSound("Fire");
    LoadSound("KillBoss");

    result.bossDelay = reader.ReadCard();
    reader.ReadText(kIdCapacity); // the rest of the delay line
    TEnemyClassNode* boss = FindEnemyClass(TID(reader.ReadText(kIdCapacity)), p1EC);
    result.boss = boss ? &boss->enemyClass : nullptr;

    for (auto& node : p1EC) {
        node.enabled = false;
    }
    do {
        TEnemyClassNode* node = FindEnemyClass(TID(reader.ReadText(kIdCapacity)), p1EC);
        if (node && !node->enemyClass.isBoss) {
            node->enabled = true;
            ++result.numOfEnemies;
        }
    } while (!reader.Eof());
    return result;
}
