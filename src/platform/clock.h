// Local date and time, and the clock the core reads it from.
#pragma once

#include <cstdint>
#include <optional>

namespace vfs {

struct LocalDateTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    bool operator==(const LocalDateTime&) const = default;
};

namespace platform {

// The current local time from the system clock.
LocalDateTime SystemNow();

// Seconds since the epoch for a local date-time (whole seconds, milliseconds ignored);
// nothing when the value is not a valid date or time.
std::optional<int64_t> LocalToEpoch(const LocalDateTime& t);

// Local date-time of a point in time given as seconds since the epoch.
LocalDateTime EpochToLocal(int64_t seconds);

}  // namespace platform
}  // namespace vfs
