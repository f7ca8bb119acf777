#ifndef APP_CONSOLEIO_H
#define APP_CONSOLEIO_H

#include "app/GameIo.h"

namespace goalbox {

// The game's keys and screen on the real console, through the platform layer.
class ConsoleIo final : public GameIo {
  public:
    int readKey() override;
    bool readLine(std::string& line) override;
    void echo(int key) override;
    void clearScreen() override;
    std::int64_t clockMillis() override;
    bool isTerminal() override;
    void beginKeyWatch() override;
    void endKeyWatch() override;
    KeyWatch pollKeyWatch() override;
    std::thread startWorker(std::function<void()> work) override;
    std::ostream& out() override;
    std::ostream& err() override;
};

} // namespace goalbox

#endif
