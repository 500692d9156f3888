// Motion between ticks: how far the run's clock has gone since the last tick
// of the screen's timer, as a part of its period, and the program's picture
// for that moment. The period is the distance of the last two ticks' instants.
#include "motion.h"

#include <algorithm>
#include <functional>

#include "host.h"
#include "runmodes/run.h"
#include "shell.h"

namespace w32::detail {

namespace {

// Ticks further apart than this belong to a timer that stopped and started again.
constexpr uint64_t kLongestPeriod = 1000;

struct Motion
{
    std::function<const uint32_t*(double, const PictureTarget&, int&)> hook;
    UINT_PTR timer = 0;
    uint64_t last = kNever; // the instant of the timer's last tick
    uint64_t period = 0;    // 0: not known yet
};

Motion& M()
{
    static Motion m;
    return m;
}

} // namespace

void NoteTick(UINT_PTR id, uint64_t instant)
{
    Motion& m = M();
    const bool same =
        id == m.timer && m.last != kNever && instant > m.last && instant - m.last <= kLongestPeriod;
    m.period = same ? instant - m.last : 0;
    m.timer = id;
    m.last = instant;
}

const uint32_t* PictureBetweenTicks(uint64_t& clock, int& changedLeft, const PictureTarget& into)
{
    changedLeft = 0;
    Motion& m = M();
    if (!m.hook)
        return nullptr;
    clock = RunClock();
    double since = 0;
    if (m.period != 0 && m.last != kNever && clock > m.last)
        since = std::min(1.0, static_cast<double>(clock - m.last) / static_cast<double>(m.period));
    const uint32_t* picture = m.hook(since, into, changedLeft);
    changedLeft = std::clamp(changedLeft, 0, kClientW);
    return picture;
}

bool MotionHooked()
{
    return static_cast<bool>(M().hook);
}

void ResetMotion()
{
    M() = Motion{};
}

} // namespace w32::detail

namespace w32 {

void SetBetweenTicksHook(
    std::function<const uint32_t*(double sinceTick, const PictureTarget& into, int& changedLeft)>
        hook)
{
    detail::M().hook = std::move(hook);
}

} // namespace w32
