// goalbox: the box-pushing puzzle on the console.
#include <cstdlib>

#include "app/ConsoleIo.h"
#include "app/Game.h"
#include "app/GameSettings.h"
#include "platform/Console.h"
#include "platform/SystemMemory.h"

int main() {
    goalbox::platform::openConsole();
    goalbox::ConsoleIo io;
    const goalbox::GameSettings settings = goalbox::readSettings(
        std::getenv("GOALBOX_MEMORY_MIB"), goalbox::platform::physicalMemoryBytes(), io.err());
    const int code = goalbox::runGame(io, settings);
    goalbox::platform::closeConsole();
    return code;
}
