// The console's millisecond clock, the same on every system.
#include <chrono>

#include "platform/Console.h"

namespace goalbox::platform {

std::int64_t clockMillis() {
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count();
}

} // namespace goalbox::platform
