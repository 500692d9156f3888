// The table of the twenty best games and the file "HighScores.list".
#pragma once

#include <array>
#include <cstdint>
#include <istream>
#include <string>

struct TScore
{
    std::string name; // at most 10 characters
    uint32_t score = 0;
};

using THighScores = std::array<TScore, 20>; // element 0 is entry 1, the best

extern const char* const kHighScoresFile; // "HighScores.list"

void HighScoreInit(); // reads the file once at start
THighScores GetHighScores();
bool IsNewHighScore(uint32_t newScore);
void ImportNewScore(const TScore& newScore);
void ReadHighScoresFromFile();
void SortHighScores();
void WriteHighScoresToFile();

// The table as the file holds it, and the reader on a stream.
std::string HighScoresText(const THighScores& table);
THighScores ReadHighScores(std::istream& in);
void SetHighScores(const THighScores& table); // for tests
