#include "platform/clock.h"

#include "platform/win32_support.h"

namespace vfs::platform {

namespace {

LocalDateTime FromSystemTime(const SYSTEMTIME& t) {
    return LocalDateTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

}  // namespace

LocalDateTime SystemNow() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return FromSystemTime(now);
}

// The time-zone rules of the year in question decide the offset, so a summer date read in
// winter (and the other way round) converts with its own daylight-saving state.
std::optional<int64_t> LocalToEpoch(const LocalDateTime& t) {
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour < 0 || t.hour > 23 ||
        t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59 || t.year < 1601 ||
        t.year > 30827) {
        return std::nullopt;
    }
    SYSTEMTIME local{};
    local.wYear = static_cast<WORD>(t.year);
    local.wMonth = static_cast<WORD>(t.month);
    local.wDay = static_cast<WORD>(t.day);
    local.wHour = static_cast<WORD>(t.hour);
    local.wMinute = static_cast<WORD>(t.minute);
    local.wSecond = static_cast<WORD>(t.second);
    // The conversion to a file time refuses a day the month does not have (31 February).
    FILETIME check{};
    if (!SystemTimeToFileTime(&local, &check)) return std::nullopt;
    SYSTEMTIME utc{};
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc)) return std::nullopt;
    FILETIME instant{};
    if (!SystemTimeToFileTime(&utc, &instant)) return std::nullopt;
    return FileTimeToEpochSeconds(instant);
}

LocalDateTime EpochToLocal(int64_t seconds) {
    const FILETIME instant = EpochSecondsToFileTime(seconds);
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    if (!FileTimeToSystemTime(&instant, &utc) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
        return LocalDateTime{};
    }
    local.wMilliseconds = 0;
    return FromSystemTime(local);
}

}  // namespace vfs::platform
