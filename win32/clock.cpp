// The clock the game reads: the instant of the message being handled, and
// the date and time of the start of the run plus that instant.
#include "layer_internal.h"
#include "win32_testing.h"

namespace w32 {

uint32_t Now()
{
    return static_cast<uint32_t>(detail::Instant());
}

namespace testing {

void AdvanceClock(uint32_t ms)
{
    detail::TheDisplay().Wait(ms);
    detail::SetInstant(detail::Instant() + ms);
}

} // namespace testing

} // namespace w32

void GetLocalTime(SYSTEMTIME* time)
{
    if (time)
        *time = w32::AddMilliseconds(w32::detail::StartClock(), w32::detail::Instant());
}

DWORD GetTickCount()
{
    return static_cast<DWORD>(w32::detail::Instant());
}
