// The memory budget from GOALBOX_MEMORY_MIB and from the machine's memory.
#include "app/GameSettings.h"

#include <sstream>

#include <gtest/gtest.h>

namespace goalbox {
namespace {

constexpr std::uint64_t MIB      = std::uint64_t{1} << 20;
constexpr std::uint64_t PHYSICAL = 10000 * MIB;

TEST(GameSettings, MemoryBudgetFromTheSettingOrTheMachine) {
    std::ostringstream err;
    // Unset: 60 % of the machine's memory, or the fixed default where that is unknown.
    EXPECT_EQ(readSettings(nullptr, PHYSICAL, err).memoryBudgetBytes, 6000 * MIB);
    EXPECT_EQ(readSettings(nullptr, 0, err).memoryBudgetBytes, DEFAULT_MEMORY_BUDGET);
    // A whole number of MiB, more than the machine has included.
    EXPECT_EQ(readSettings("1", PHYSICAL, err).memoryBudgetBytes, MIB);
    EXPECT_EQ(readSettings("0512", 0, err).memoryBudgetBytes, 512 * MIB);
    EXPECT_EQ(readSettings("20000", PHYSICAL, err).memoryBudgetBytes, 20000 * MIB);
    EXPECT_EQ(err.str(), "");

    // Anything else is reported once, and the default holds.
    for (const char* bad : {"", "0", "-5", "1.5", "64M", " 64", "abc", "17592186044416"}) {
        SCOPED_TRACE(bad);
        std::ostringstream told;
        EXPECT_EQ(readSettings(bad, PHYSICAL, told).memoryBudgetBytes, 6000 * MIB);
        EXPECT_EQ(told.str(), "环境变量 GOALBOX_MEMORY_MIB 应是一个正整数（求解可用的内存，单位 "
                              "MiB），现改用默认的内存上限。\n");
    }
    // The largest number of MiB whose bytes still fit.
    std::ostringstream told;
    EXPECT_EQ(readSettings("17592186044415", PHYSICAL, told).memoryBudgetBytes,
              17592186044415 * MIB);
    EXPECT_EQ(told.str(), "");
}

} // namespace
} // namespace goalbox
