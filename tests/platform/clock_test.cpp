#include "platform/clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace vfs::platform {
namespace {

// Sets TZ for the test and puts the old setting back.
class ZoneSetting {
  public:
    ZoneSetting() {
        if (const char* old = std::getenv("TZ")) saved_ = old;
    }
    ~ZoneSetting() {
        if (saved_) {
            ::setenv("TZ", saved_->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }
    void Set(const char* zone) {
        ::setenv("TZ", zone, 1);
        ::tzset();
    }

  private:
    std::optional<std::string> saved_;
};

int MinuteOfDay(const LocalDateTime& t) {
    return t.hour * 60 + t.minute;
}

// The clock converts to local time once per second; a change of the time zone within that
// second must still show at once.
TEST(ClockTest, SystemNowFollowsAZoneChangeWithinTheSecond) {
    ZoneSetting zone;
    zone.Set("UTC0");
    const LocalDateTime utc = SystemNow();
    zone.Set("EAST-5");  // five hours ahead of UTC
    const LocalDateTime east = SystemNow();
    const int ahead = (MinuteOfDay(east) - MinuteOfDay(utc) + 24 * 60) % (24 * 60);
    EXPECT_TRUE(ahead == 300 || ahead == 301) << ahead;  // the minute may turn meanwhile

    // Within the zone, the answer is the system's own conversion of the time (taken again
    // should the second turn between the two readings).
    std::time_t before = 0;
    LocalDateTime now;
    for (int attempt = 0; attempt < 3; ++attempt) {
        before = std::time(nullptr);
        now = SystemNow();
        if (std::time(nullptr) == before) break;
    }
    std::tm tm{};
    ::localtime_r(&before, &tm);
    EXPECT_EQ(now.year, tm.tm_year + 1900);
    EXPECT_EQ(now.month, tm.tm_mon + 1);
    EXPECT_EQ(now.hour, tm.tm_hour);
    EXPECT_EQ(now.minute, tm.tm_min);
    EXPECT_EQ(now.second, tm.tm_sec);
    EXPECT_GE(now.millisecond, 0);
    EXPECT_LT(now.millisecond, 1000);
}

}  // namespace
}  // namespace vfs::platform
