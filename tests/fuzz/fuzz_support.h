// Shared set-up of the fuzz targets: the headless layer, the imaging
// library, a scratch working folder, and a check that stops the run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fuzz {

// Once per process: headless layer, imaging library with the layer's path
// resolver, and a fresh scratch folder as the working folder (so readers
// that look up resources never see the repository's files).
void Setup();
// The scratch folder made by Setup().
const std::string& ScratchDir();
// A fresh image registry and empty class and instance chains.
void ClearGameData();

// The first line of `text` as the text reader sees it: up to CR, LF or
// character 26, at most `capacity` characters.
std::string FirstLine(std::string_view text, size_t capacity);

// The number of reads of `capacity` characters that consume `text` (the
// read that meets the end included): an upper bound for line-based readers.
size_t MaxReads(std::string_view text);

// Moves every live bullet (both chains) `ticks` times and checks each step:
// the position moves by the old speed and the speed by the acceleration,
// each held at the ends of the signed 32-bit range.
void FlyBullets(int ticks);

[[noreturn]] void Fail(const char* file, int line, const char* what, const std::string& detail);

} // namespace fuzz

// Stops the run (libFuzzer keeps the input) when an invariant does not hold.
#define FUZZ_CHECK(cond, detail)                                                                   \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            ::fuzz::Fail(__FILE__, __LINE__, #cond, (detail));                                     \
        }                                                                                          \
    } while (0)
