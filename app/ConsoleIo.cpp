// GameIo on the real console.
#include "app/ConsoleIo.h"

#include <iostream>
#include <utility>

#include "platform/Console.h"

namespace goalbox {

static_assert(KEY_END == platform::KEY_END);
static_assert(static_cast<int>(WATCH_NOTHING) == platform::WATCH_NOTHING &&
              static_cast<int>(WATCH_ESCAPE) == platform::WATCH_ESCAPE &&
              static_cast<int>(WATCH_END) == platform::WATCH_END);

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
void ConsoleIo::beginKeyWatch() {
    platform::beginKeyWatch();
}
void ConsoleIo::endKeyWatch() {
    platform::endKeyWatch();
}
KeyWatch ConsoleIo::pollKeyWatch() {
    return static_cast<KeyWatch>(platform::pollKeyWatch());
}
std::thread ConsoleIo::startWorker(std::function<void()> work) {
    return platform::startWorkerThread(std::move(work));
}
std::ostream& ConsoleIo::out() {
    return std::cout;
}
std::ostream& ConsoleIo::err() {
    return std::cerr;
}

} // namespace goalbox
