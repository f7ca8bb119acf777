#ifndef APP_GAMEIO_H
#define APP_GAMEIO_H

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <thread>

namespace goalbox {

// readKey() gives this once input has ended, and on every call after that.
inline constexpr int KEY_END = -1;

// What the keys typed during a search ask for.
enum KeyWatch : std::uint8_t {
    WATCH_NOTHING, // nothing, or only keys that stay for later reads
    WATCH_ESCAPE,  // an Esc, which has been taken
    WATCH_END,     // input has ended
};

// Everything the game loop and its commands need from the outside world: keys, the typed
// level line, echo, clearing, the clock and the two output streams. The program passes the
// console (app/ConsoleIo.h); tests pass a scripted key list and string streams.
class GameIo {
  public:
    virtual ~GameIo() = default;

    // One key code (arrows as 224 followed by 72/80/75/77); KEY_END at end of input.
    virtual int readKey() = 0;
    // One typed line without its line break; false at end of input.
    virtual bool readLine(std::string& line) = 0;
    // Shows one typed character.
    virtual void echo(int key)         = 0;
    virtual void clearScreen()         = 0;
    virtual std::int64_t clockMillis() = 0;
    // True when out() shows on a terminal, where transient status lines may be drawn.
    virtual bool isTerminal() = 0;

    // Keys during a search, which reads none: from beginKeyWatch to endKeyWatch a terminal hands
    // each key over at once and shows none, and pollKeyWatch tells without waiting whether an
    // Esc was typed (it is taken; every other key stays for readKey and readLine) or input has
    // ended. Input that is not a terminal is not read then. No key or line is read in between.
    virtual void beginKeyWatch()    = 0;
    virtual void endKeyWatch()      = 0;
    virtual KeyWatch pollKeyWatch() = 0;
    // Runs work on a thread of its own, which the console's signals never interrupt. The work
    // must not touch the console.
    virtual std::thread startWorker(std::function<void()> work) = 0;

    virtual std::ostream& out() = 0;
    virtual std::ostream& err() = 0;
};

} // namespace goalbox

#endif
