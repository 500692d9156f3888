#include "data_fixtures.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstring>
#include <sstream>

#include "common.h"
#include "enemydata.h"
#include "rastrum.h"
#include "win32.h"

namespace datatest {

namespace {

void Resolve(const char* path, char* out, uint32_t outSize)
{
    const std::string resolved = w32::ResolvePath(path);
    std::strncpy(out, resolved.c_str(), outSize);
    if (outSize > 0) {
        out[outSize - 1] = '\0';
    }
}

class DataEnvironment : public ::testing::Environment
{
  public:
    void SetUp() override
    {
        w32::RunConfig config;
        config.headless = true;
        std::string error;
        ASSERT_TRUE(w32::Configure(config, error)) << error;
        Rastrum_BEGIN();
        Rastrum_SetPathResolver(Resolve);
    }
};

[[maybe_unused]] const auto* const environment =
    ::testing::AddGlobalTestEnvironment(new DataEnvironment);

} // namespace

void ScratchTest::SetUp()
{
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    p1E.clear();
    p1Be.clear();
    p1Bp.clear();
    p1EC.clear();
    p1BC.clear();
    InitGraphics(0);
    numOfImg = 0;
    PlayMode = plMoNorm;
}

void ScratchTest::TearDown()
{
    p1E.clear();
    p1Be.clear();
    p1Bp.clear();
    p1EC.clear();
    p1BC.clear();
    std::filesystem::current_path(old_);
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
    w32::RunConfig config;
    config.headless = true;
    config.mciLogPath = path;
    std::string error;
    return w32::Configure(config, error);
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

} // namespace datatest
