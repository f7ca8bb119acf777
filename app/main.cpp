// goalbox: the box-pushing puzzle on the console.
#include "app/ConsoleIo.h"
#include "app/Game.h"
#include "platform/Console.h"
#include "platform/SystemMemory.h"
#include "solver/Solve.h"

int main() {
    goalbox::platform::openConsole();
    // The solver stops and says so, instead of being killed, once its store and tree would
    // take more than this share of the machine's memory.
    if (const std::uint64_t physical = goalbox::platform::physicalMemoryBytes(); physical > 0) {
        goalbox::setDefaultMemoryBudget(physical / 10 * 6);
    }
    goalbox::ConsoleIo io;
    const int code = goalbox::runGame(io);
    goalbox::platform::closeConsole();
    return code;
}
