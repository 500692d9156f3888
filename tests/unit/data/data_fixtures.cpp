#include "data_fixtures.h"

#include <SDL.h>
#include <SDL_image.h>

#include "common.h"
#include "game_setup.h"

namespace datatest {

namespace {

class DataEnvironment : public ::testing::Environment
{
  public:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(gamesetup::Start(error)) << error;
    }
};

[[maybe_unused]] const auto* const environment =
    ::testing::AddGlobalTestEnvironment(new DataEnvironment);

} // namespace

void ScratchTest::SetUp()
{
    gamesetup::ClearGameData();
    PlayMode = plMoNorm;
}

void ScratchTest::TearDown()
{
    gamesetup::ClearGameData();
}

void ScratchTest::Write(const std::string& rel, const std::string& contents) const
{
    const auto path = dir / rel;
    std::filesystem::create_directories(path.parent_path());
    harness::WriteFile(path, contents);
}

std::string ScratchTest::Read(const std::string& rel) const
{
    return harness::ReadFile(dir / rel);
}

void ScratchTest::WritePng(const std::string& rel, int width, int height) const
{
    const auto path = dir / rel;
    std::filesystem::create_directories(path.parent_path());
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGBA32);
    ASSERT_NE(s, nullptr);
    SDL_FillRect(s, nullptr, 0xFF0000FFu);
    ASSERT_EQ(IMG_SavePNG(s, path.string().c_str()), 0) << IMG_GetError();
    SDL_FreeSurface(s);
}

bool LogSoundCommands(const std::string& path)
{
    std::string error;
    return gamesetup::ConfigureLayer(error, path);
}

} // namespace datatest
