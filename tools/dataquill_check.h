// Dataquill's --check: reads a data folder the way the game does and
// reports everything the game would misread or resolve differently.
#pragma once

#include <filesystem>

namespace quill {

// Checks the data folder `dir`; the exit code: 0 when nothing is found.
int CheckDataFolder(const std::filesystem::path& dir);

// Checks the data the game plays when no folder is named: the working
// folder's data/ when it has one of its own; otherwise the game's content
// folder with the user's data files over it, file by file.
int CheckGameData();

} // namespace quill
