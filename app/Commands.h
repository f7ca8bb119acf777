#ifndef APP_COMMANDS_H
#define APP_COMMANDS_H

namespace goalbox {

class GameIo;
struct Board;
struct GameSettings;

// The two commands of the key loop. Each returns false when input ended during one of its
// key waits, so the program can end at once; true otherwise.

// Digit keys: reads a column and a row (firstKey is the column's first digit), walks the
// player there along a shortest walk and prints the walk's length and arrows.
bool goToCellCommand(GameIo& io, Board& board, int firstKey);

// S key: solves a copy of the board within the settings' memory budget, replays the solution on
// the board and prints the time taken and the route.
bool solveCommand(GameIo& io, Board& board, const GameSettings& settings);

} // namespace goalbox

#endif
