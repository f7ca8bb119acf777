#ifndef APP_GAMEIO_H
#define APP_GAMEIO_H

#include <cstdint>
#include <iosfwd>
#include <string>

namespace goalbox {

// readKey() gives this once input has ended, and on every call after that.
inline constexpr int KEY_END = -1;

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

    virtual std::ostream& out() = 0;
    virtual std::ostream& err() = 0;
};

} // namespace goalbox

#endif
