#include "platform/clock.h"

#include <sys/time.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace vfs::platform {

namespace {

LocalDateTime FromTm(const std::tm& tm, int millisecond) {
    return LocalDateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                         tm.tm_min,         tm.tm_sec,     millisecond};
}

}  // namespace

// The status line asks for the time several times per file while a folder is scanned, and
// the conversion to local time is by far the dearest part of the answer. It is made once
// per second (and again whenever the time zone setting changes); within the second only
// the milliseconds are new. Each thread keeps its own.
LocalDateTime SystemNow() {
    struct Converted {
        bool valid = false;
        time_t seconds = 0;
        std::string zone;  // the TZ setting the conversion was made under
        bool zoneSet = false;
        std::tm tm{};
    };
    thread_local Converted last;
    timeval tv{};
    gettimeofday(&tv, nullptr);
    const char* zone = std::getenv("TZ");
    const bool sameZone =
        (zone != nullptr) == last.zoneSet && (zone == nullptr || last.zone == zone);
    if (!last.valid || last.seconds != tv.tv_sec || !sameZone) {
        time_t secs = tv.tv_sec;
        localtime_r(&secs, &last.tm);
        last.seconds = tv.tv_sec;
        last.zoneSet = zone != nullptr;
        last.zone = zone != nullptr ? zone : "";
        last.valid = true;
    }
    return FromTm(last.tm, static_cast<int>(tv.tv_usec / 1000));
}

std::optional<int64_t> LocalToEpoch(const LocalDateTime& t) {
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour < 0 || t.hour > 23 ||
        t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59 || t.year < 1601) {
        return std::nullopt;
    }
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    std::tm probe = tm;
    time_t secs = mktime(&probe);
    if (secs == static_cast<time_t>(-1) && !(probe.tm_year == 69 && probe.tm_mon == 11)) {
        return std::nullopt;
    }
    // mktime normalises 31 February into March: such a day is not a valid date.
    if (probe.tm_mday != t.day || probe.tm_mon != t.month - 1) return std::nullopt;
    return static_cast<int64_t>(secs);
}

LocalDateTime EpochToLocal(int64_t seconds) {
    std::tm tm{};
    time_t secs = static_cast<time_t>(seconds);
    localtime_r(&secs, &tm);
    return FromTm(tm, 0);
}

}  // namespace vfs::platform
