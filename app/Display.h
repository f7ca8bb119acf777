#ifndef APP_DISPLAY_H
#define APP_DISPLAY_H

#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>
#include <string_view>

#include "board/Board.h"

namespace goalbox {

class GameIo;

// Cell code -> display symbol. Empty until fillSymbolTable() runs after the banner.
extern std::map<std::uint8_t, std::string_view> SymbolTable;
void fillSymbolTable();

// The whole display of a board as text: hint line, column header, rows, step counter and,
// while isTrapped holds, the trapped warning. Each line ends with a line break.
std::string renderBoard(const Board& board);
// Clears the console and writes renderBoard() in one piece.
void drawBoard(GameIo& io, const Board& board);
// Writes the arrow of each direction of path, first step first, nothing else.
void writeArrows(std::ostream& out, const WalkPath& path);

} // namespace goalbox

#endif
