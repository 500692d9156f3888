// What the player can make the ship do; each action can be bound to a key.
#pragma once

#include <cstdint>

#include "enemydata.h"
#include "vector.h"

using TKeyAction = void (*)(uint32_t p);

void NextColor(uint32_t p);
void PrevColor(uint32_t p);
void SetColorR(uint32_t p);
void SetColorG(uint32_t p);
void SetColorB(uint32_t p);
void SetColorY(uint32_t p);
void MoveUp(uint32_t p);
void MoveDown(uint32_t p);
void MoveLeft(uint32_t p);
void MoveRight(uint32_t p);
void MoveUpKeyboard(uint32_t p);
void MoveDownKeyboard(uint32_t p);
void MoveLeftKeyboard(uint32_t p);
void MoveRightKeyboard(uint32_t p);
void MoveUpKeyboardUp(uint32_t p);
void MoveDownKeyboardUp(uint32_t p);
void MoveLeftKeyboardUp(uint32_t p);
void MoveRightKeyboardUp(uint32_t p);
void Fire(uint32_t p);
void FireKeyboard(uint32_t p);
void FireKeyboardUp(uint32_t p);
void Pause(uint32_t p);
void Nothing(uint32_t p);

void SetColor(uint32_t p, TColor c);
void MovePlayer(uint32_t p, TVector delta);
