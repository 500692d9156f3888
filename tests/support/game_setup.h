// The game's modules started in this process as the program starts them,
// without a screen: the one set-up of the unit tests, the fuzz targets and
// the benchmarks.
#pragma once

#include <string>

namespace gamesetup {

// The layer without a screen, its sound commands logged to `mciLog` when
// one is given. False, with the layer's message, when the layer refuses.
bool ConfigureLayer(std::string& error, const std::string& mciLog = "");

// The layer without a screen, then the modules' initialisation as at start-up.
bool Start(std::string& error);

// No classes, enemies, bullets or images: the game data of a fresh start.
void ClearGameData();

} // namespace gamesetup
