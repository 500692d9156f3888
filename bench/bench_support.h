// Helpers shared by the benchmarks: a scratch copy of the default content,
// the game program beside the benchmark, and the CPU time of a process.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

namespace bench {

// A fresh copy of game/data and game/res in a temporary folder, removed at the end.
struct Scratch
{
    std::filesystem::path dir;
    explicit Scratch(const std::string& tag);
    ~Scratch();
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
};

// The game program: $ZODUZOR_BINARY, else <build>/zoduzor beside <build>/bench.
std::filesystem::path GameBinary();

// Processor time of a running process's threads, in seconds (negative if unknown).
double CpuSeconds(pid_t pid);

// Whether a process is alive and has not ended (an unreaped process that
// ended keeps its CPU figures, frozen).
bool Running(pid_t pid);

// Starts the game in `dir` with the script, headless or not, and a trace
// file if given; returns its pid. Without a display a window gets SDL's
// offscreen video driver; sound is always the dummy driver.
pid_t StartGame(const std::filesystem::path& dir, const std::string& script, bool headless = false,
                const std::string& trace = "");

// The median of the values (0 for none).
double Median(std::vector<double> values);

// For a benchmark that runs the program in real time: one run, timed by the
// benchmark itself, reported in milliseconds.
void OnceInRealTime(benchmark::internal::Benchmark* b);

} // namespace bench
