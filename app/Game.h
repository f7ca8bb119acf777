#ifndef APP_GAME_H
#define APP_GAME_H

namespace goalbox {

class GameIo;
struct GameSettings;

// The whole program after the console is set up: banner, level selection, key loop and
// finish block, until "quit", N, Q or the end of input. Returns the exit code (always 0).
int runGame(GameIo& io, const GameSettings& settings);

} // namespace goalbox

#endif
