// Listings of folders, cached: looking names up without regard to letter
// case costs one stat when the folder has not changed.
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "layer_internal.h"

namespace fs = std::filesystem;

namespace w32::detail {

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool LessNoCase(const std::string& a, const std::string& b)
{
    const std::string la = Lower(a), lb = Lower(b);
    return la != lb ? la < lb : a < b; // names differing only in case keep a fixed order
}

namespace {

// Listings of folders, so that a name looked up again (a missing picture is
// looked for in several themes' folders at every level start) costs one stat
// instead of a scan. A listing stays valid while its folder keeps the same
// identity and change times; it is trusted only once it was taken a while
// after the folder's last change, as file times are coarser than the clock.
struct Listing
{
    timespec mtime{};
    timespec ctime{};
    bool settled = false;
    std::unordered_map<std::string, std::string> byLower; // lower case -> name to use
};

constexpr long kSettleNs = 100'000'000; // 100 ms
constexpr size_t kMaxListings = 512;

std::mutex listingsMutex;
std::map<std::pair<dev_t, ino_t>, Listing> listings; // by the folder's identity

bool SameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool LongAfter(const timespec& later, const timespec& earlier)
{
    const long long ns = (static_cast<long long>(later.tv_sec) - earlier.tv_sec) * 1'000'000'000LL +
                         (later.tv_nsec - earlier.tv_nsec);
    return ns >= kSettleNs;
}

} // namespace

// Looks `part` up in folder `dir` without regard to case; among several
// names that differ only in case the first in LessNoCase order wins.
bool FindNoCase(const std::string& dir, const std::string& part, std::string& found)
{
    struct stat st
    {
    };
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    std::lock_guard<std::mutex> lock(listingsMutex);
    const std::pair<dev_t, ino_t> key{st.st_dev, st.st_ino};
    auto it = listings.find(key);
    const bool fresh = it != listings.end() && it->second.settled &&
                       SameTime(it->second.mtime, st.st_mtim) &&
                       SameTime(it->second.ctime, st.st_ctim);
    if (!fresh) {
        Listing l;
        l.mtime = st.st_mtim;
        l.ctime = st.st_ctim;
        std::error_code ec;
        for (fs::directory_iterator d(dir, ec), end; !ec && d != end; d.increment(ec)) {
            std::string name = d->path().filename().string();
            auto [slot, added] = l.byLower.try_emplace(Lower(name), name);
            if (!added && LessNoCase(name, slot->second))
                slot->second = std::move(name);
        }
        if (ec) {
            // A folder that cannot be read whole: answer from what was read, keep nothing.
            auto hit = l.byLower.find(Lower(part));
            if (hit == l.byLower.end())
                return false;
            found = hit->second;
            return true;
        }
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        l.settled = LongAfter(now, l.mtime) && LongAfter(now, l.ctime);
        if (listings.size() >= kMaxListings)
            listings.clear();
        it = listings.insert_or_assign(key, std::move(l)).first;
    }
    auto hit = it->second.byLower.find(Lower(part));
    if (hit == it->second.byLower.end())
        return false;
    found = hit->second;
    return true;
}

} // namespace w32::detail
