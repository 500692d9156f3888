// Drawing of the play screen, and its section of the state dump.
#include <cmath>
#include <cstdio>

#include <nlohmann/json.hpp>

#include "game.h"
#include "rastrum.h"
#include "runmode.h"

namespace {

constexpr const char* kFont = "SF Movie Poster";
constexpr int32_t kFontSize = 20;

void Text(const std::string& s, int32_t x, int32_t y, int32_t w, int32_t h, int32_t r, int32_t g,
          int32_t b)
{
    DrawText(s.c_str(), kFont, kFontSize, x, y, w, h, 255, r, g, b, 1);
}

// A number right-aligned in six characters; numbers too wide are not shown.
void Number(uint32_t n, int32_t x, int32_t y, int32_t w, int32_t h)
{
    if (n > 999999) {
        return;
    }
    char buf[8];
    std::snprintf(buf, sizeof buf, "%6u", static_cast<unsigned>(n));
    Text(buf, x, y, w, h, 255, 0, 0);
}

// A picture between ticks: `part` of a step of `perTick` pixels.
int32_t Part(int32_t perTick, double part)
{
    return static_cast<int32_t>(std::lround(perTick * part));
}

TVector Ahead(TVector pos, TVector step, double part)
{
    return SumVector(pos, MakeTVector(Part(step.x, part), Part(step.y, part)));
}

// Enemies and bullets move at a tick unless the game is paused or announces a level.
bool ObjectsMove()
{
    return !isPaused && !isLoading;
}

// The step an enemy's movement pattern takes at the next tick, worked out on
// a copy: a pattern changes nothing but the enemy it is given.
TVector NextStep(const TEnemy& e)
{
    if (e.cls->move == nullptr) {
        return {};
    }
    TEnemy next = e;
    e.cls->move(&next, players[1].pos);
    return SubtrVector(next.pos, e.pos);
}

} // namespace

void LoadImages()
{
    InitGraphics(0);
    CreateBuffer(800, 700);
    imgBG = AddImage(ResourcePath("BG.png", "osd"));
    imgOSD = AddImage(ResourcePath("OSD.png", "osd"));
    const char* const names[] = {"R.png", "G.png", "B.png", "Y.png"};
    for (int c = red; c <= yellow; ++c) {
        imgShield[c] = AddImage(ResourcePath(names[c], "shield"));
    }
    for (int c = red; c <= yellow; ++c) {
        hbarImg[c] = AddImage(ResourcePath(names[c], "osd"));
    }
    imgShield[neutral] = 0;
    hbarImg[neutral] = 0;
    imgPause = AddImage(ResourcePath("pause.png", "osd"));
    imgGameOver = AddImage(ResourcePath("gameover.png", "osd"));
    imgLevelSw = AddImage(ResourcePath("level.png", "osd"));
}

void PaintScreen(HWND hwnd)
{
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(hwnd, &ps);
    DrawPlayScreen(0);
    DrawBufferOnScreen(dc);
    EndPaint(hwnd, &ps);
}

void DrawPlayScreen(double ahead)
{
    DrawBG(ahead);
    DrawEnemies(ahead);
    DrawBullets(ahead);
    DrawPlayers();
    DrawOSD();
    if (isPaused) {
        DrawImage(imgPause, 0, 0, 0);
    } else if (isGameOver) {
        DrawImage(imgGameOver, 0, 0, 0);
        if (isHighScore) {
            Text("Please enter your name", 375, 400, 340, 75, 255, 255, 255);
            Text(playerStr, 375, 500, 340, 75, 255, 0, 255);
        }
    } else if (isLoading) {
        DrawImage(imgLevelSw, 0, 0, 0);
        Text(levelStr, 400, 300, 250, 150, 255, 255, 255);
    }
}

void DrawBG(double ahead)
{
    // The background scrolls at every tick, paused or not.
    const int32_t by = Part(kBgScrollStep, ahead);
    DrawImage(imgBG, bgPos[0].x, bgPos[0].y + by, 0);
    DrawImage(imgBG, bgPos[1].x, bgPos[1].y + by, 0);
}

void DrawEnemies(double ahead)
{
    const double a = ObjectsMove() ? ahead : 0;
    for (const TEnemy& e : p1E) {
        const TVector at = a == 0 ? e.pos : Ahead(e.pos, NextStep(e), a);
        DrawImage(e.cls->imgNum, at.x, at.y, 1);
    }
}

void DrawBullets(double ahead)
{
    const double a = ObjectsMove() ? ahead : 0;
    for (const TBulletChain* chain : {&p1Be, &p1Bp}) {
        for (const TBullet& b : *chain) {
            const TVector at = a == 0 ? b.kin.pos : Ahead(b.kin.pos, b.kin.spd, a);
            DrawImage(b.cls->imgNum, at.x, at.y, 1);
        }
    }
}

void DrawPlayers()
{
    const TPlayer& p = players[1];
    DrawShield(p.pos.x, p.pos.y, p.col);
    DrawImage(p.imgNum, p.pos.x, p.pos.y, 1);
}

void DrawShield(int32_t x, int32_t y, TColor c)
{
    if (c != neutral) {
        DrawImage(imgShield[c], x, y, 1);
    }
}

void DrawOSD()
{
    const TPlayer& p = players[1];
    DrawImage(imgOSD, 0, 0, 0);
    Number(p.score, 20, 70, 120, 60);
    Number(p.lifes, 76, 615, 60, 55);
    static constexpr TVector bars[] = {{25, 346}, {88, 346}, {25, 537}, {88, 537}};
    for (int c = red; c <= yellow; ++c) {
        const uint32_t h = p.maxHealth[c] == 0 ? 0 : p.health[c] * 170 / p.maxHealth[c];
        DrawStretchedImage(hbarImg[c], bars[c].x, bars[c].y, 34, static_cast<int32_t>(h), 1);
    }
}

// ---------------------------------------------------------------- dump

namespace {

nlohmann::json Vec(TVector v)
{
    return nlohmann::json::array({v.x, v.y});
}

nlohmann::json IdOrNull(const TBulletClass* c)
{
    return c == nullptr ? nlohmann::json(nullptr) : nlohmann::json(c->id.str());
}

nlohmann::json Bullets(const TBulletChain& chain)
{
    nlohmann::json out = nlohmann::json::array();
    for (const TBullet& b : chain) {
        out.push_back({{"class", IdOrNull(b.cls)},
                       {"pos", Vec(b.kin.pos)},
                       {"spd", Vec(b.kin.spd)},
                       {"acc", Vec(b.kin.acc)}});
    }
    return out;
}

} // namespace

nlohmann::json DumpGame()
{
    using nlohmann::json;
    const TPlayer& p = players.one;
    json g;
    g["isPaused"] = isPaused;
    g["isLoading"] = isLoading;
    g["isGameOver"] = isGameOver;
    g["isHighScore"] = isHighScore;
    g["playerStr"] = playerStr;
    g["levelStr"] = levelStr;
    g["level"] = {{"number", level.number},
                  {"str", level.str},
                  {"boss", level.boss == nullptr ? json(nullptr) : json(level.boss->id.str())},
                  {"bossDelay", level.bossDelay},
                  {"playMode", PlayModeName(level.playMode)},
                  {"bossReleased", level.bossReleased},
                  {"time", level.time},
                  {"numOfEnemies", level.numOfEnemies}};
    g["player"] = {{"pos", Vec(p.pos)},
                   {"col", ColorName(p.col)},
                   {"size", Vec(p.size)},
                   {"health", p.health},
                   {"maxHealth", p.maxHealth},
                   {"score", p.score},
                   {"lifes", p.lifes},
                   {"imgNum", p.imgNum},
                   {"bulletClass", IdOrNull(p.bulletclass)},
                   {"isShooting", p.isShooting},
                   {"isMovingUp", p.isMovingUp},
                   {"isMovingDown", p.isMovingDown},
                   {"isMovingLeft", p.isMovingLeft},
                   {"isMovingRight", p.isMovingRight}};
    json enemies = json::array();
    for (const TEnemy& e : p1E) {
        enemies.push_back({{"class", e.cls == nullptr ? json(nullptr) : json(e.cls->id.str())},
                           {"pos", Vec(e.pos)},
                           {"spd", Vec(e.spd)},
                           {"health", e.health},
                           {"status", e.status}});
    }
    g["enemies"] = enemies;
    g["playerBullets"] = Bullets(p1Bp);
    g["enemyBullets"] = Bullets(p1Be);
    json classes = json::array();
    for (const TEnemyClassNode& n : p1EC) {
        const TEnemyClass& c = n.enemyClass;
        classes.push_back({{"id", c.id.str()},
                           {"enabled", n.enabled},
                           {"isBoss", c.isBoss},
                           {"color", c.color},
                           {"health", c.health},
                           {"frequency", c.frequency},
                           {"size", Vec(c.size)},
                           {"imgNum", c.imgNum},
                           {"bullet", IdOrNull(c.bullet)}});
    }
    g["enemyClasses"] = classes;
    json bclasses = json::array();
    for (const TBulletClass& c : p1BC) {
        bclasses.push_back({{"id", c.id.str()},
                            {"damage", c.damage},
                            {"speed", c.speed},
                            {"accel", c.accel},
                            {"size", Vec(c.size)},
                            {"imgNum", c.imgNum}});
    }
    g["bulletClasses"] = bclasses;
    g["bgPos"] = json::array({Vec(bgPos[0]), Vec(bgPos[1])});
    g["shootState"] = shootState;
    g["moveState"] = json::array({moveStateUp, moveStateDown, moveStateLeft, moveStateRight});
    return g;
}
