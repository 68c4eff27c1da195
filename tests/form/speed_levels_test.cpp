#include "form/speed_levels.h"

#include <gtest/gtest.h>

namespace vfs {
namespace {

// The stored copy pause is all that brings the operator's level back at the next start, so
// every level's own pause must lead back to that level.
TEST(SpeedLevelsTest, EachLevelsCopyPauseLeadsBackToItsPosition) {
    for (int position = 0; position < static_cast<int>(kSpeedLevels.size()); ++position) {
        EXPECT_EQ(SpeedPositionFor(OnSelectionPauses(position).copyMs), position);
    }
}

}  // namespace
}  // namespace vfs
