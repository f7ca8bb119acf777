#ifndef APP_GAMESETTINGS_H
#define APP_GAMESETTINGS_H

#include <cstdint>
#include <iosfwd>
#include <thread>

#include "solver/Solve.h"

namespace goalbox {

// What the player may set for a run, passed from main down to the commands.
struct GameSettings {
    // The memory that the searches of the S key may take together.
    std::uint64_t memoryBudgetBytes = DEFAULT_MEMORY_BUDGET;
    // The machine's processors (0: unknown). With more than one, the S key's second search runs
    // beside the first from the start; with one, only after the first has run out of memory.
    unsigned processorCount = std::thread::hardware_concurrency();
};

// The settings of a run: the memory budget from memoryMib, the value of GOALBOX_MEMORY_MIB in
// MiB (null when it is not set), or else 60 % of the machine's physical memory
// (DEFAULT_MEMORY_BUDGET when that is 0, unknown). A value that is not a positive whole number
// is reported on err, and the default is used.
GameSettings readSettings(const char* memoryMib, std::uint64_t physicalBytes, std::ostream& err);

} // namespace goalbox

#endif
