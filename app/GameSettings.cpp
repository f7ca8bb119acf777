// The settings a player gives through the environment.
#include "app/GameSettings.h"

#include <ostream>
#include <string_view>

#include "app/Messages.h"

namespace goalbox {

namespace {

constexpr int MIB_SHIFT = 20;
// More MiB than this would not fit the budget's bytes.
constexpr std::uint64_t MAX_MIB = UINT64_MAX >> MIB_SHIFT;

// The MiB of a text of decimal digits alone, or 0 when it is not a positive whole number.
std::uint64_t mibOf(std::string_view digits) {
    if (digits.empty()) {
        return 0;
    }
    std::uint64_t mib = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return 0;
        }
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (mib > (MAX_MIB - digit) / 10) {
            return 0;
        }
        mib = mib * 10 + digit;
    }
    return mib;
}

} // namespace

GameSettings readSettings(const char* memoryMib, std::uint64_t physicalBytes, std::ostream& err) {
    GameSettings settings;
    // The solver stops and says so, instead of being killed, once its searches would take more
    // than this share of the machine's memory.
    if (physicalBytes > 0) {
        settings.memoryBudgetBytes = physicalBytes / 10 * 6;
    }
    if (memoryMib != nullptr) {
        if (const std::uint64_t mib = mibOf(memoryMib); mib > 0) {
            settings.memoryBudgetBytes = mib << MIB_SHIFT;
        } else {
            err << text::SETTINGS_BAD_MEMORY << '\n' << std::flush;
        }
    }
    return settings;
}

} // namespace goalbox
