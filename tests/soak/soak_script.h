// Random but valid input scripts for the game, from a seed: keys, characters,
// mouse and wheel, close requests, spread over every screen with long
// stretches of play, and a state dump at a fixed period.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace soak {

struct ScriptEvent
{
    uint64_t time = 0;
    std::string text;  // the event, without its time
    bool input = true; // false for dumps and the final quit
};

class ScriptGenerator
{
  public:
    // Dumps go to "<dumpPrefix><n>.json" every dumpEvery ms.
    ScriptGenerator(uint64_t seed, std::string dumpPrefix, uint64_t dumpEvery = 1000)
        : rng_(seed), dumpPrefix_(std::move(dumpPrefix)), dumpEvery_(dumpEvery)
    {
    }

    // Events from time 0 up to `length` ms, then a last dump and quit.
    std::vector<ScriptEvent> Generate(uint64_t length);

    // The script text of events.
    static std::string Text(const std::vector<ScriptEvent>& events);

  private:
    uint64_t Uniform(uint64_t lo, uint64_t hi)
    {
        return std::uniform_int_distribution<uint64_t>(lo, hi)(rng_);
    }
    bool Chance(double p) { return std::bernoulli_distribution(p)(rng_); }
    template <class T> const T& Pick(const std::vector<T>& v)
    {
        return v[Uniform(0, v.size() - 1)];
    }

    void Emit(uint64_t delay, const std::string& event);
    void Wait(uint64_t delay) { t_ += delay; }

    std::string AnyKey();
    std::string AnyChar();
    std::string Point(int x1, int y1, int x2, int y2);
    void Mouse(int x1, int y1, int x2, int y2);
    void Chaos(uint64_t until);
    void Home();
    void MainButton(int button);

    void PhaseMainMenu();
    void PhasePlay(uint64_t length);
    void PhaseLevelChoice();
    void PhaseOptions();
    void PhaseKeySettings();
    void PhaseHighScores();
    void PhaseCredits();

    std::mt19937_64 rng_;
    std::string dumpPrefix_;
    uint64_t dumpEvery_;
    uint64_t nextDump_ = 0;
    int dumps_ = 0;
    uint64_t t_ = 0;
    uint64_t end_ = 0;
    bool maybeAway_ = false; // the input may have left a screen Escape does not leave
    std::vector<ScriptEvent> events_;
};

} // namespace soak
