// The play screen: its state, the tick and level flow, enemy and boss entry,
// name entry, moving, borders, collisions, damage, lives and score.
#include "game.h"

#include <cctype>

#include "PlayerActions.h"
#include "highscore.h"
#include "keySettings.h"
#include "rastrum.h"
#include "sounds.h"
#include "winwrap.h"

TPlayers players;
TLevel level;
bool isPaused = false;
bool isLoading = false;
bool isGameOver = false;
bool isHighScore = false;
std::string playerStr;
std::string levelStr;
std::array<TVector, 2> bgPos{};
UINT_PTR idTimer = 0;
uint32_t shootState = 0;
uint32_t moveStateUp = 0, moveStateDown = 0, moveStateLeft = 0, moveStateRight = 0;
int32_t collisionDamage = 5;
TColorCard hbarImg{};
TColorCard imgShield{};
uint32_t imgOSD = 0, imgBG = 0, imgPause = 0, imgGameOver = 0, imgLevelSw = 0;
uint32_t firstLevel = 1;

namespace {

constexpr uint32_t kTickMs = 41;
constexpr uint32_t kAnnouncementMs = 1500;
constexpr uint32_t kSpawnPeriod = 615;
constexpr const char* kLevelMusic = ".\\RES\\norm\\snd\\bgm1.mp3";
constexpr const char* kBossMusic = ".\\RES\\norm\\snd\\Boss.mp3";
constexpr const char* kVictoryMusic = ".\\RES\\norm\\snd\\Victory.mp3";

// Set when Escape on the pause screen ends the game: the character 27 that
// the same key press produces must not also end the name entry.
bool swallowEscapeChar = false;
// Set while Escape is held down: the characters 27 of its auto-repeat do not
// end the name entry either.
bool escapeRepeating = false;

bool IsAutoRepeat(LPARAM lParam)
{
    return (static_cast<uint32_t>(lParam) & (1u << 30)) != 0;
}

bool ScreenLeft()
{
    return OperationMode != opModeGAME;
}

void TimedActions(HWND, UINT, UINT_PTR, DWORD)
{
    SendMessageA(hwindow, WM_TIMER, 0, 0);
}

// One held-movement counter: acts on its 0 phase, counts 0, 1, 0, ...
void HeldMove(uint32_t& counter, bool held, TKeyAction action)
{
    if (counter == 0 && held) {
        action(1);
    }
    counter = (counter + 1) % 2;
}

void OnKeyDown(WPARAM key, LPARAM lParam)
{
    const bool escapeRepeat = key == VK_ESCAPE && IsAutoRepeat(lParam);
    if (key == VK_ESCAPE) {
        escapeRepeating = escapeRepeat;
    }
    if (!escapeRepeat) {
        swallowEscapeChar = false;
    }
    if (isLoading || isPaused) {
        if (!isPaused) {
            return; // the announcement or a finished game ignores keys
        }
        if (key == VK_ESCAPE) {
            // Only a fresh press gives up: an Escape held since it paused
            // the game repeats without ending it. Giving up ends the game
            // once. The pause picture goes, so the name prompt shows; the
            // Escape's own character is not taken as the end of the name
            // entry.
            if (!isGameOver && !escapeRepeat) {
                isPaused = false;
                swallowEscapeChar = true;
                GameOver();
            }
        } else {
            isPaused = false;
        }
        return;
    }
    CheckKey(static_cast<uint32_t>(key), static_cast<int32_t>(lParam), true);
}

} // namespace

void GameInit()
{
    RandomSeedFromClock();
    InitPlayFieldBounds();
    numOfImg = 0;
    shootState = 0;
    moveStateUp = moveStateDown = moveStateLeft = moveStateRight = 0;
    collisionDamage = 5;
    level.time = 0;
    bgPos[0] = MakeTVector(0, 0);
    bgPos[1] = MakeTVector(0, 700);
}

void InitPlayers()
{
    TPlayer& p = players[1];
    isGameOver = false;
    p.pos = MakeTVector(500, 500);
    p.lifes = 3;
    p.score = 0;
    for (TColor c : {red, green, blue, yellow}) {
        p.health[c] = 100;
        p.maxHealth[c] = 100;
    }
    p.health[neutral] = 20;
    p.maxHealth[neutral] = 20;
    // A key or button released on another screen was never seen here: a new
    // game starts with nothing held.
    p.isShooting = false;
    p.isMovingUp = p.isMovingDown = p.isMovingLeft = p.isMovingRight = false;
}

void InitPlayFieldBounds()
{
    PlayField.tl = MakeTVector(200, 10);
    PlayField.br = MakeTVector(790, 690);
}

void GameOver()
{
    PlaySound(kVictoryMusic, false);
    isLoading = true;
    RemoveEnemyChain(p1E);
    RemoveBulletChain(p1Bp);
    RemoveBulletChain(p1Be);
    isGameOver = true;
    if (IsNewHighScore(players[1].score)) {
        isHighScore = true;
    } else {
        SendMessageA(hwindow, WM_CLOSE, 0, 0);
    }
}

// ---------------------------------------------------------------- the screen

LRESULT WndProcGame(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_C_OPMO_BEGIN) {
        numOfImg = 0;
        playerStr.clear();
        isHighScore = false;
        swallowEscapeChar = false;
        escapeRepeating = false;
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE);
        InitPlayers();
        level.number = firstLevel - 1;
        InitLevel(hwnd);
        if (ScreenLeft()) {
            return 0; // no first level: the game is already over
        }
        MakeTimer(nullptr, idTimer, kTickMs, TimedActions);
        SetMouseCursor(false);
        PaintScreen(hwnd);
        return 0;
    }
    if (msg == WM_C_OPMO_END) {
        if (idTimer != 0) {
            KillTimer(nullptr, idTimer);
            idTimer = 0;
        }
        FreeGraphics();
        FreeBuffer();
        CloseSounds();
        SetMouseCursor(true);
        return 0;
    }
    switch (msg) {
    case WM_PAINT:
        PaintScreen(hwnd);
        ValidateRect(hwnd, nullptr);
        return 0;
    case WM_CLOSE:
        SwitchOpMode(hwnd, opModeMENU);
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(wParam, lParam);
        return 0;
    case WM_KEYUP:
        if (wParam == VK_ESCAPE) {
            escapeRepeating = false;
        }
        // Released keys always run their release action, so no held flag
        // survives a pause or an announcement.
        CheckKey(static_cast<uint32_t>(wParam), static_cast<int32_t>(lParam), false);
        return 0;
    case WM_CHAR:
        if (wParam == 27 && swallowEscapeChar) {
            swallowEscapeChar = false;
            return 0;
        }
        if (wParam == 27 && (escapeRepeating || IsAutoRepeat(lParam))) {
            return 0; // a held Escape does not end the name entry
        }
        if (isGameOver && isHighScore) {
            EnterName(hwnd, wParam);
        }
        return 0;
    case WM_TIMER:
        OnTimer(hwnd);
        return 0;
    case WM_MOUSEMOVE:
        if (mouseControl != 0 && !isPaused) {
            OnMouseMove(lParam);
        }
        return 0;
    case WM_LBUTTONDOWN:
        if (mouseControl != 0 && !isPaused && !isLoading) {
            Fire(mouseControl);
            players[mouseControl].isShooting = true;
        }
        return 0;
    case WM_LBUTTONUP:
        if (mouseControl != 0) {
            players[mouseControl].isShooting = false;
        }
        return 0;
    case WM_MOUSEWHEEL:
        if (mouseControl != 0) {
            OnMouseWheel(wParam);
        }
        isPaused = false;
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

void OnTimer(HWND hwnd)
{
    ScrollBG();
    if (!isPaused) {
        level.time += kTickMs;
        if (isLoading) {
            if (!isGameOver && level.time >= kAnnouncementMs) {
                isLoading = false;
                level.time = 0;
            }
        } else {
            MoveAll();
            CheckBorders();
            CheckCollisions();
            if (ScreenLeft()) {
                return;
            }
            if (!isGameOver) {
                if (level.bossReleased) {
                    if (p1E.empty()) {
                        InitLevel(hwnd);
                    }
                } else if (level.bossDelay < level.time) {
                    if (p1E.empty()) {
                        if (level.boss != nullptr) {
                            IntroduceBoss();
                        } else {
                            InitLevel(hwnd); // a level without any class has no boss
                        }
                    }
                } else {
                    IntroduceEnemies();
                }
                if (ScreenLeft()) {
                    return;
                }
            }
            if (!isGameOver) {
                ShootEnemies();
                TPlayer& p = players[1];
                if (shootState == 0 && p.isShooting) {
                    Fire(1);
                }
                shootState = (shootState + 1) % 4;
                HeldMove(moveStateUp, p.isMovingUp, MoveUp);
                HeldMove(moveStateDown, p.isMovingDown, MoveDown);
                HeldMove(moveStateLeft, p.isMovingLeft, MoveLeft);
                HeldMove(moveStateRight, p.isMovingRight, MoveRight);
            }
        }
    }
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE);
}

void LoadPlayers()
{
    TPlayer& p = players[1];
    p.imgNum = AddImage(ResourcePath("hero.png", "."));
    p.col = red;
    p.bulletclass = FindBulletClass(TID("HEROBULLET"), p1BC);
}

void InitLevel(HWND hwnd)
{
    isPaused = false;
    isLoading = true;
    RemoveEnemyChain(p1E);
    RemoveBulletChain(p1Bp);
    RemoveBulletChain(p1Be);
    bool ok = false;
    level = LoadLevel(level.number + 1, false, ok);
    // The whole number is announced, however many digits it has.
    levelStr = "You are entering level " + std::to_string(level.number);
    level.time = 0;
    if (ok) {
        SwitchPlayMode(hwnd, level.playMode);
        numOfImg = 0;
        FreeGraphics();
        LoadImages();
        // The data folder is read afresh in the level's theme: its classes
        // replace those of the level before, so every class has the size of
        // the picture it shows. Nothing refers to them any more: the live
        // chains are empty, and the ship's bullet class is looked up below.
        p1EC.clear();
        p1BC.clear();
        LoadBulletClasses();
        LoadEnemyClasses();
        LoadBosses();
        LoadPlayers();
        level = LoadLevel(level.number, true, ok);
        PlaySound(kLevelMusic, true);
    } else {
        GameOver();
        if (ScreenLeft()) {
            return;
        }
    }
    players[1].size = MakeSize(imgShield[players[1].col]);
}

void IntroduceEnemies()
{
    if ((static_cast<uint32_t>(currentDifficulty) * level.time) % kSpawnPeriod != 0) {
        return;
    }
    TEnemyClass* cls = RandomEnemyClass(p1EC, level.numOfEnemies);
    if (cls == nullptr) {
        return;
    }
    const int32_t x = static_cast<int32_t>(RandomBelow(590)) + 200;
    IntroduceEnemy(MakeTVector(x, 10), cls);
}

void IntroduceEnemy(TVector pos, TEnemyClass* cls)
{
    if (cls == nullptr) {
        return;
    }
    TEnemy e;
    e.cls = cls;
    e.pos = pos;
    e.health = cls->health;
    e.status = 0;
    AddEnemy(e, p1E);
}

void IntroduceBoss()
{
    PlaySound(kBossMusic, false);
    level.bossReleased = true;
    IntroduceEnemy(MakeTVector(495, 10), level.boss);
    if (!p1E.empty()) {
        p1E.front().spd = MakeTVector(10, 0);
    }
}

void ShootEnemies()
{
    const TVector hero = players[1].pos;
    for (TEnemy& e : p1E) {
        // A class without a bullet class never fires.
        if (e.cls->shoot != nullptr && e.cls->bullet != nullptr) {
            e.cls->shoot(&e, hero);
        }
    }
}

void ScrollBG()
{
    for (TVector& tile : bgPos) {
        tile.y += kBgScrollStep;
        if (tile.y >= 700) {
            tile.y -= 1400;
        }
    }
}

void OnMouseMove(LPARAM lParam)
{
    const TVector v = MouseCoordsToTVector(static_cast<int32_t>(lParam));
    TPlayer& p = players[mouseControl];
    if (IsVectorInRange(v, PlayField)) {
        p.pos = v;
    } else if (v.x > PlayField.tl.x && v.x < PlayField.br.x) {
        p.pos.x = v.x;
    } else if (v.y > PlayField.tl.y && v.y < PlayField.br.y) {
        p.pos.y = v.y;
    }
}

void OnMouseWheel(WPARAM wParam)
{
    if (GET_WHEEL_DELTA_WPARAM(wParam) < 0) {
        NextColor(mouseControl);
    } else {
        PrevColor(mouseControl);
    }
}

bool NameTakes(WPARAM code)
{
    return code < 128 && std::isalnum(static_cast<int>(code));
}

void EnterName(HWND hwnd, WPARAM code)
{
    if (NameTakes(code)) {
        if (playerStr.size() < kNameCapacity) {
            playerStr.push_back(static_cast<char>(code));
        }
    } else if (code == 8) {
        if (!playerStr.empty()) {
            playerStr.pop_back();
        }
    } else if (code == 10 || code == 13 || code == 27) {
        TScore s;
        s.name = playerStr;
        s.score = players[1].score;
        ImportNewScore(s);
        SendMessageA(hwnd, WM_CLOSE, 0, 0);
    }
}

// ---------------------------------------------------------------- collisions

void MoveAll()
{
    const TVector hero = players[1].pos;
    for (TEnemy& e : p1E) {
        if (e.cls->move != nullptr) {
            e.cls->move(&e, hero);
        }
    }
    for (TBullet& b : p1Bp) {
        UpdateKinematics(b.kin);
    }
    for (TBullet& b : p1Be) {
        UpdateKinematics(b.kin);
    }
}

namespace {

template <typename Chain, typename PosOf> void DropOutside(Chain& chain, PosOf posOf)
{
    for (auto it = chain.begin(); it != chain.end();) {
        if (IsVectorInRange(posOf(*it), PlayField)) {
            ++it;
        } else {
            it = chain.erase(it);
        }
    }
}

} // namespace

void CheckBorders()
{
    auto bulletPos = [](const TBullet& b) { return b.kin.pos; };
    DropOutside(p1Be, bulletPos);
    DropOutside(p1Bp, bulletPos);
    DropOutside(p1E, [](const TEnemy& e) { return e.pos; });
}

void CheckCollisions()
{
    TPlayer& hero = players[1];
    const TColorCard crash = MakeTColorCard(0, 0, 0, 0, static_cast<uint32_t>(collisionDamage));

    // The ship against the enemies.
    for (auto it = p1E.begin(); it != p1E.end();) {
        TEnemy& e = *it;
        if (!Collides(hero.pos, e.pos, hero.size, e.cls->size)) {
            ++it;
            continue;
        }
        const bool boss = e.cls->isBoss;
        if (DeductEnemyHealth(e, crash)) {
            PlaySound(boss ? "KillBoss" : "KillEnemy", false);
            it = p1E.erase(it);
        } else if (!boss) {
            AddScore(1, 5);
            it = p1E.erase(it);
        } else {
            ++it;
        }
        if (DeductPlayerHealth(hero, crash)) {
            DeductLife(1, 1);
            if (isGameOver) {
                return; // the chains are gone
            }
        }
    }

    // Enemy bullets against the ship.
    for (auto it = p1Be.begin(); it != p1Be.end();) {
        if (!Collides(hero.pos, it->kin.pos, hero.size, it->cls->size)) {
            ++it;
            continue;
        }
        const bool lost = DeductPlayerHealth(hero, it->cls->damage);
        it = p1Be.erase(it);
        if (lost) {
            DeductLife(1, 1);
            if (isGameOver) {
                return;
            }
        }
    }

    // Player bullets against the enemies; at most one enemy falls per tick.
    for (auto ei = p1E.begin(); ei != p1E.end(); ++ei) {
        TEnemy& e = *ei;
        const TVector esize = e.cls->size;
        for (auto bi = p1Bp.begin(); bi != p1Bp.end();) {
            if (!Collides(e.pos, bi->kin.pos, esize, bi->cls->size)) {
                ++bi;
                continue;
            }
            const bool destroyed = DeductEnemyHealth(e, bi->cls->damage);
            bi = p1Bp.erase(bi);
            if (destroyed) {
                const bool boss = e.cls->isBoss;
                PlaySound(boss ? "KillBoss" : "KillEnemy", false);
                AddScore(1, boss ? 100 : 20);
                p1E.erase(ei);
                return;
            }
        }
    }
}

bool DeductEnemyHealth(TEnemy& e, const TColorCard& val)
{
    for (int c = red; c <= neutral; ++c) {
        const uint32_t hit = e.cls->color[c] ? val[c] / 2 : val[c];
        // An own colour destroys only with twice the health.
        const bool fatal =
            e.cls->color[c] ? uint64_t{val[c]} >= 2 * uint64_t{e.health} : val[c] >= e.health;
        if (fatal) {
            e.health = 0;
            return true;
        }
        e.health -= hit;
    }
    return false;
}

bool DeductPlayerHealth(TPlayer& p, const TColorCard& val)
{
    TColorCard rest = val;
    uint32_t& shield = p.health[p.col];
    for (int c = red; c <= neutral; ++c) {
        if (c == p.col && c != neutral) {
            rest[c] = 0; // a shield blocks its own colour entirely
        } else if (rest[c] < shield) {
            shield -= rest[c];
            rest[c] = 0;
        } else {
            rest[c] -= shield;
            shield = 0;
        }
    }
    uint32_t& hull = p.health[neutral];
    for (int c = red; c <= neutral; ++c) {
        if (rest[c] < hull) {
            hull -= rest[c];
        } else {
            hull = 0;
            return true;
        }
    }
    return false;
}

void DeductLife(uint32_t player, uint32_t number)
{
    TPlayer& p = players[player];
    if (p.lifes < number) {
        GameOver();
        return;
    }
    p.lifes -= number;
    p.health = p.maxHealth;
}

void AddScore(uint32_t player, uint32_t score)
{
    players[player].score += score;
}
