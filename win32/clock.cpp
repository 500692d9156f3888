// The clock the game reads: the instant of the message being handled, and
// the date and time of the start of the run plus that instant; and the
// clock's text, as scripts and options write it.
#include <cstdio>

#include "host_api.h"
#include "layer_internal.h"
#include "win32_testing.h"

namespace w32 {

namespace {

SYSTEMTIME& Start()
{
    static SYSTEMTIME start{};
    return start;
}

int DaysFromCivil(int y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int>(doe) - 719468;
}

void CivilFromDays(int z, int& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const int era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<int>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

} // namespace

bool ParseClock(const std::string& text, SYSTEMTIME& out)
{
    int y, mo, d, h, mi, s, cs;
    char tail;
    if (text.size() != 22 || std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%2d%c", &y, &mo, &d,
                                         &h, &mi, &s, &cs, &tail) != 7)
        return false;
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1601 || mo < 1 || mo > 12 || d < 1 || d > kDays[mo - 1] || h > 23 || mi > 59 ||
        s > 59 || h < 0 || mi < 0 || s < 0 || cs < 0)
        return false;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (mo == 2 && d == 29 && !leap)
        return false;
    out = {};
    out.wYear = static_cast<WORD>(y);
    out.wMonth = static_cast<WORD>(mo);
    out.wDay = static_cast<WORD>(d);
    out.wHour = static_cast<WORD>(h);
    out.wMinute = static_cast<WORD>(mi);
    out.wSecond = static_cast<WORD>(s);
    out.wMilliseconds = static_cast<WORD>(cs * 10);
    out = AddMilliseconds(out, 0);
    return true;
}

SYSTEMTIME AddMilliseconds(const SYSTEMTIME& start, uint64_t ms)
{
    int64_t days = DaysFromCivil(start.wYear, start.wMonth, start.wDay);
    uint64_t inDay = ((start.wHour * 60ull + start.wMinute) * 60ull + start.wSecond) * 1000ull +
                     start.wMilliseconds + ms;
    days += static_cast<int64_t>(inDay / 86400000ull);
    inDay %= 86400000ull;
    int y;
    unsigned m, d;
    CivilFromDays(static_cast<int>(days), y, m, d);
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(y);
    t.wMonth = static_cast<WORD>(m);
    t.wDay = static_cast<WORD>(d);
    t.wDayOfWeek = static_cast<WORD>(((days % 7) + 11) % 7); // 1970-01-01 was a Thursday
    t.wMilliseconds = static_cast<WORD>(inDay % 1000);
    t.wSecond = static_cast<WORD>(inDay / 1000 % 60);
    t.wMinute = static_cast<WORD>(inDay / 60000 % 60);
    t.wHour = static_cast<WORD>(inDay / 3600000);
    return t;
}

std::string FormatClock(const SYSTEMTIME& t)
{
    char buf[96];
    std::snprintf(buf, sizeof buf, "%04u-%02u-%02uT%02u:%02u:%02u.%02u", unsigned(t.wYear),
                  unsigned(t.wMonth), unsigned(t.wDay), unsigned(t.wHour), unsigned(t.wMinute),
                  unsigned(t.wSecond), unsigned(t.wMilliseconds / 10));
    return buf;
}

uint32_t Now()
{
    return static_cast<uint32_t>(detail::Instant());
}

namespace detail {

void SetStartClock(const SYSTEMTIME& start)
{
    Start() = start;
}

const SYSTEMTIME& StartClock()
{
    return Start();
}

} // namespace detail

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
