#ifndef TESTS_APP_TESTBOARD_H
#define TESTS_APP_TESTBOARD_H

#include <cstdint>
#include <string>
#include <vector>

#include "board/Board.h"

namespace goalbox::test {

// A board from rows of equal length: '#' wall, ' ' floor, '$' box, '.' goal, '*' box on goal,
// '-' outside, '@' player on floor. Installed as it is (no outside marking), then init().
inline Board boardFromRows(const std::vector<std::string>& rows) {
    Board board;
    board.height = static_cast<std::int16_t>(rows.size());
    board.width  = static_cast<std::int16_t>(rows.empty() ? 0 : rows[0].size());
    board.cells.clear();
    for (const std::string& row : rows) {
        for (const char c : row) {
            if (c == '@') {
                board.playerCell = static_cast<CellIndex>(board.cells.size());
            }
            board.cells.push_back(c == '#'   ? CELL_WALL
                                  : c == '$' ? CELL_BOX
                                  : c == '.' ? CELL_GOAL
                                  : c == '*' ? CELL_BOX_ON_GOAL
                                  : c == '-' ? CELL_OUTSIDE
                                             : CELL_FLOOR);
        }
    }
    board.init();
    return board;
}

} // namespace goalbox::test

#endif
