// Configure: the run mode chosen once at start-up. The one place where the
// display is chosen and the API's host installed; the script, the clock of
// the start, the time limit, the recording and the kept session; and the
// hooks through which the program answers for its state.
#include <algorithm>
#include <ctime>
#include <filesystem>
#include <memory>

#include "display/display.h"
#include "host_api.h"
#include "pad/pad.h"
#include "run.h"
#include "storage/storage.h"
#include "window/window_controls.h"

namespace w32::detail {

namespace {

// The display of the run, installed in the API with the run mode.
std::unique_ptr<Display>& Shown()
{
    static std::unique_ptr<Display> display;
    return display;
}

bool LoadScript(const std::string& path, std::string& error)
{
    RunMode& m = TheRunMode();
    InFile in(path);
    if (!in.is_open()) {
        error = path + ":0: cannot read the script";
        return false;
    }
    if (!ParseScript(in, path, m.script, error))
        return false;
    m.hasScript = true;
    m.scriptNext = 0;
    return true;
}

// The clock of the start: as given, else a fixed one for a run without a
// screen (so that runs repeat), else the local time now.
bool ChooseStartClock(const std::string& given, bool fixed, SYSTEMTIME& start, std::string& error)
{
    if (!given.empty()) {
        if (ParseClock(given, start))
            return true;
        error = "bad clock '" + given + "' (want YYYY-MM-DDTHH:MM:SS.CC)";
        return false;
    }
    if (fixed)
        return ParseClock("2000-01-01T12:00:00.00", start);
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    start = {};
    start.wYear = static_cast<WORD>(tm.tm_year + 1900);
    start.wMonth = static_cast<WORD>(tm.tm_mon + 1);
    start.wDay = static_cast<WORD>(tm.tm_mday);
    start.wHour = static_cast<WORD>(tm.tm_hour);
    start.wMinute = static_cast<WORD>(tm.tm_min);
    start.wSecond = static_cast<WORD>(std::min(tm.tm_sec, 59));
    start = AddMilliseconds(start, 0);
    return true;
}

} // namespace

} // namespace w32::detail

namespace w32 {

bool Configure(const RunConfig& c, std::string& error)
{
    detail::RunMode& m = detail::TheRunMode();
    m.hasScript = false;
    m.script = {};
    const bool replay = !c.replayPath.empty();
    if (!detail::LoadReplay(c, m.script, error))
        return false;
    m.hasScript = replay;
    m.scriptNext = 0;
    // The one place where the display is chosen. Without a screen, time is
    // virtual and a run always ends at its time limit; a replay verified
    // without one ends with its last event, and one watched is shown on the
    // screen by a display with a clock of its own.
    std::unique_ptr<detail::Display> display =
        detail::CreateDisplay(c.headless ? "none" : "window");
    if (replay && !c.headless) {
        const detail::ReplayPlan& plan = detail::ThePlan();
        display =
            detail::CreateWatchingDisplay(std::move(display), plan.begins, plan.end, plan.speed);
        detail::HidePicker();
    }
    if (replay) {
        // Time in which no game is played goes straight to the replay's next
        // line; when watched, only while nothing is shown.
        const uint64_t unseen = c.headless ? detail::kNever : detail::ThePlan().begins;
        display = detail::CreateSkippingDisplay(std::move(display), [&m, unseen]() -> uint64_t {
            if (detail::Playing() || detail::Instant() >= unseen)
                return 0;
            return std::min({m.NextEvent(), m.TimeLimit(), unseen});
        });
    }
    detail::Shown() = std::move(display);
    detail::InstallHost(*detail::Shown(), m);
    m.maxTime = replay ? static_cast<uint32_t>(detail::ThePlan().limit) : c.maxTimeMs;
    m.maxTimeGiven = c.maxTimeGiven || c.headless;
    // A watched replay is silent until its game begins.
    detail::MciSetDeviceAllowed(!c.headless && !(replay && detail::ThePlan().begins > 0));
    if (!detail::MciOpenLog(c.mciLogPath, error))
        return false;
    if (!c.scriptPath.empty() && !detail::LoadScript(c.scriptPath, error))
        return false;
    for (ScriptEvent& e : m.script.events) {
        if ((e.kind == ScriptKind::Screenshot || e.kind == ScriptKind::Dump) &&
            !c.fileFolder.empty() && !e.text.empty() && e.text[0] != '/')
            e.text = (std::filesystem::path(c.fileFolder) / e.text).string();
    }
    SYSTEMTIME start{};
    if (!detail::ChooseStartClock(c.clock.empty() ? m.script.clock : c.clock, c.headless, start,
                                  error))
        return false;
    detail::SetStartClock(start);
    detail::CloseRecording();
    if (!c.recordPath.empty() && !detail::OpenRecording(c.recordPath, start)) {
        error = "cannot write the recording " + c.recordPath;
        return false;
    }
    if (c.keepReplays && !replay)
        detail::KeepSession(start);
    detail::SetInstant(0);
    return true;
}

void SetDumpHook(std::function<std::string()> hook)
{
    detail::TheRunMode().dumpHook = std::move(hook);
}
void SetHashHook(std::function<uint64_t()> hook)
{
    detail::TheRunMode().hashHook = std::move(hook);
}
void SetPlayingHook(std::function<bool()> hook)
{
    detail::TheRunMode().playingHook = std::move(hook);
}
void SetMessageBoxHook(std::function<void(const char*, const char*)> hook)
{
    detail::TheRunMode().boxHook = std::move(hook);
}
void SetCarryHooks(std::function<std::string()> carried,
                   std::function<bool(const std::string&)> begin)
{
    detail::TheRunMode().carryHook = std::move(carried);
    detail::TheRunMode().beginHook = std::move(begin);
}

namespace testing {

void Reset(bool headless)
{
    detail::RunMode& m = detail::TheRunMode();
    detail::ResetApi();
    m.script = {};
    m.scriptNext = 0;
    m.hasScript = false;
    detail::CloseRecording();
    m.dumpHook = nullptr;
    m.hashHook = nullptr;
    m.playingHook = nullptr;
    m.boxHook = nullptr;
    m.carryHook = nullptr;
    m.beginHook = nullptr;
    detail::ResetPads();
    detail::ResetWindowControls();
    RunConfig c;
    c.headless = headless;
    std::string error;
    Configure(c, error);
}

} // namespace testing

} // namespace w32
