#include "game_setup.h"

#include "common.h"
#include "enemydata.h"
#include "rastrum.h"
#include "shell.h"
#include "win32.h"
#include "winwrap.h"

namespace gamesetup {

bool ConfigureLayer(std::string& error, const std::string& mciLog)
{
    w32::RunConfig config;
    config.headless = true;
    config.mciLogPath = mciLog;
    return w32::Configure(config, error);
}

bool Start(std::string& error)
{
    if (!ConfigureLayer(error))
        return false;
    InitModules();
    return true;
}

void ClearGameData()
{
    p1E.clear();
    p1Be.clear();
    p1Bp.clear();
    p1EC.clear();
    p1BC.clear();
    InitGraphics(0);
    numOfImg = 0;
}

} // namespace gamesetup
