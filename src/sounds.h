// Music and effects through MCI command strings.
#pragma once

#include <string_view>

void LoadSound(std::string_view name);
void PlaySound(std::string_view alias, bool repeat);
void PlayBG();
void CloseSounds();
