// GameIo on the real console.
#include "app/ConsoleIo.h"

#include <iostream>

#include "platform/Console.h"

namespace goalbox {

static_assert(KEY_END == platform::KEY_END);

int ConsoleIo::readKey() {
    return platform::readKey();
}
bool ConsoleIo::readLine(std::string& line) {
    return platform::readLine(line);
}
void ConsoleIo::echo(int key) {
    platform::echoKey(key);
}
void ConsoleIo::clearScreen() {
    platform::clearScreen();
}
std::int64_t ConsoleIo::clockMillis() {
    return platform::clockMillis();
}
bool ConsoleIo::isTerminal() {
    return platform::isOutputTerminal();
}
std::ostream& ConsoleIo::out() {
    return std::cout;
}
std::ostream& ConsoleIo::err() {
    return std::cerr;
}

} // namespace goalbox
