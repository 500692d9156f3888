// Shared by all screens: the operation and play modes and their switches,
// the four registered screen messages, data and resource paths with the
// theme fallback, the play screen's image registry, and the data-file loaders.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>

#include "enemydata.h"
#include "vector.h"
#include "win32.h"

enum TOperationMode : uint8_t {
    opModeINIT = 0,
    opModeMENU = 1,
    opModeGAME = 2,
    opModeOPTI = 3,
    opModeLOAD = 4,
    opModeHIGH = 5,
    opModeCRED = 6,
    opModeKEYS = 7,
};

enum TPlayMode : uint8_t { plMoNorm = 0, plMoBike = 1, plMoEegg = 2, plMoRudi = 3, plMoMenu = 4 };

extern TOperationMode OperationMode;
extern TPlayMode PlayMode;
extern UINT WM_C_OPMO_BEGIN;
extern UINT WM_C_OPMO_END;
extern UINT WM_C_PLMO_BEGIN;
extern UINT WM_C_PLMO_END;
extern uint32_t numOfImg;

void CommonInit(); // numOfImg 0, opModeINIT, plMoMenu

void SwitchOpMode(HWND hwnd, TOperationMode newMode);
void SwitchPlayMode(HWND hwnd, TPlayMode newMode);

const char* OperationModeName(TOperationMode m); // "INIT", "MENU", ... "KEYS"
const char* PlayModeName(TPlayMode m);           // "norm", "bike", "eegg", "rudi", "menu"

// Paths are Windows-style text of at most 70 characters (longer text is cut).
using TPath = std::string;
constexpr size_t kPathCapacity = 70;

TPath DataPath(std::string_view filename); // .\data\<filename>
TPath PlayModePath(TPlayMode plMo);        // "norm\" ...
TPath ComposeResourcePath(std::string_view filename, std::string_view type, TPlayMode playmode);
TPath ResourcePath(std::string_view filename, std::string_view type); // "" when none exists
bool FileExists(const TPath& path); // a file or folder of that name exists

uint32_t AddImage(const TPath& path);
TVector MakeSize(uint32_t imgNum);
TVector MouseCoordsToTVector(int32_t lParam);
TVector CentorPosToShootPos(TVector center, uint32_t imgNum, bool upper);

// Data files.
TPlayMode StrToPlayMode(std::string_view str);
std::string LevelFileName(uint32_t n); // 001.LVL, 042.LVL, 1234.LVL
void LoadBulletClasses();
void LoadEnemyClasses();
void LoadBosses();
TEnemyClass RdEnemyClassFile(const TPath& path, bool isBoss);
TBulletClass RdBulletClassFile(const TPath& path);
// The same readers on a stream (the class image is looked up and added as from a file).
TEnemyClass RdEnemyClass(std::istream& in, bool isBoss);
TBulletClass RdBulletClass(std::istream& in);

struct TLevel;
TLevel LoadLevel(uint32_t n, bool loadEnemies, bool& okOut);
