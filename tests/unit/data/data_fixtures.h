// Shared set-up of the game-data tests: a scratch working folder, the
// imaging library ready to load images, and small helpers to make files.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "harness.h"

namespace datatest {

// Makes the process's working folder a fresh temporary folder for the test
// and restores the old one afterwards; resets the class chains and images.
class ScratchTest : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;
    // Writes a file relative to the scratch folder (folders are created).
    void Write(const std::string& rel, const std::string& contents) const;
    std::string Read(const std::string& rel) const;
    // A PNG of the given size (for images whose size matters).
    void WritePng(const std::string& rel, int width, int height) const;
    harness::TempDir dir;

  private:
    harness::ScopedCwd cwd_{dir.path()};
};

// The headless layer with its sound commands logged to `path`; returns
// false when the layer refuses.
bool LogSoundCommands(const std::string& path);

} // namespace datatest
