// The play screen: player and level state, the tick, level flow, collisions,
// damage, lives and score, and the drawing of the play field.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "common.h"
#include "enemydata.h"
#include "vector.h"
#include "win32.h"

struct TPlayer
{
    TBulletClass* bulletclass = nullptr;
    TVector pos;
    TColor col = red;
    TVector size;
    TColorCard health{};
    TColorCard maxHealth{};
    uint32_t imgNum = 0;
    bool isShooting = false;
    bool isMovingUp = false;
    bool isMovingDown = false;
    bool isMovingLeft = false;
    bool isMovingRight = false;
    bool isScrollingUp = false;
    bool isScrollingDown = false;
    uint32_t score = 0;
    uint32_t lifes = 0;
};

// There is one player, number 1; every number names it.
struct TPlayers
{
    TPlayer one;
    TPlayer& operator[](uint32_t) { return one; }
};

struct TLevel
{
    uint32_t number = 0;
    std::string str; // the level number as decimal text
    TEnemyClass* boss = nullptr;
    uint32_t bossDelay = 0;
    TPlayMode playMode = plMoNorm;
    bool bossReleased = false;
    uint32_t time = 0;
    uint32_t numOfEnemies = 0;
};

constexpr size_t kNameCapacity = 10;

extern TPlayers players;
extern TLevel level;
extern bool isPaused;
extern bool isLoading;
extern bool isGameOver;
extern bool isHighScore;
extern std::string playerStr; // at most 10 characters
extern std::string levelStr;
extern std::array<TVector, 2> bgPos; // tiles 1 and 2
extern UINT_PTR idTimer;
extern uint32_t shootState;
extern uint32_t moveStateUp, moveStateDown, moveStateLeft, moveStateRight;
extern int32_t collisionDamage;
extern TColorCard hbarImg;
extern TColorCard imgShield;
extern uint32_t imgOSD, imgBG, imgPause, imgGameOver, imgLevelSw;
extern uint32_t firstLevel;

void GameInit(); // module initialisation
// Whether the name being entered takes the character (a WM_CHAR's code).
bool NameTakes(WPARAM code);
void InitPlayers();
void InitPlayFieldBounds();
void GameOver();

LRESULT WndProcGame(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void OnTimer(HWND hwnd);
void LoadPlayers();
void InitLevel(HWND hwnd);
void IntroduceEnemies();
void IntroduceEnemy(TVector pos, TEnemyClass* cls);
void IntroduceBoss();
void ShootEnemies();
// The background moves down this many pixels at every tick.
constexpr int32_t kBgScrollStep = 10;
void ScrollBG();
void OnMouseMove(LPARAM lParam);
void OnMouseWheel(WPARAM wParam);
void EnterName(HWND hwnd, WPARAM code);

void MoveAll();
void CheckBorders();
void CheckCollisions();
bool DeductEnemyHealth(TEnemy& e, const TColorCard& val);
bool DeductPlayerHealth(TPlayer& p, const TColorCard& val);
void DeductLife(uint32_t player, uint32_t number);
void AddScore(uint32_t player, uint32_t score);

void LoadImages();
void PaintScreen(HWND hwnd);
// The whole screen into the buffer. `ahead` (0 to 1): a picture between two
// ticks, that part of a tick after the last one, with the background and
// every enemy and bullet drawn that part of their next step further on; 0:
// the state as it is. Nothing of the state changes.
void DrawPlayScreen(double ahead);
void DrawBG(double ahead = 0);
void DrawEnemies(double ahead = 0);
void DrawBullets(double ahead = 0);
void DrawPlayers();
void DrawShield(int32_t x, int32_t y, TColor c);
void DrawOSD();
