#ifndef TESTS_SOLVER_TESTBOARD_H
#define TESTS_SOLVER_TESTBOARD_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "board/Board.h"

namespace goalbox::test {

// A board from map rows: '#' wall, ' ' floor, '$' box, '.' goal, '*' box on goal, '@' player,
// '+' player on a goal, '_' outside. Short rows are padded with outside cells. The grid is
// installed as it is (no outside marking), then init() derives the rest.
inline Board boardFromRows(const std::vector<std::string>& rows, std::int16_t steps = 0) {
    std::size_t width = 0;
    for (const std::string& row : rows) {
        width = row.size() > width ? row.size() : width;
    }
    Board board;
    board.cells.assign(rows.size() * width, CELL_OUTSIDE);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            const std::size_t cell = r * width + c;
            std::uint8_t code      = CELL_OUTSIDE;
            switch (rows[r][c]) {
            case '#':
                code = CELL_WALL;
                break;
            case ' ':
                code = CELL_FLOOR;
                break;
            case '$':
                code = CELL_BOX;
                break;
            case '.':
                code = CELL_GOAL;
                break;
            case '*':
                code = CELL_BOX_ON_GOAL;
                break;
            case '@':
                code             = CELL_FLOOR;
                board.playerCell = static_cast<CellIndex>(cell);
                break;
            case '+':
                code             = CELL_GOAL;
                board.playerCell = static_cast<CellIndex>(cell);
                break;
            default:
                break;
            }
            board.cells[cell] = code;
        }
    }
    board.height = static_cast<std::int16_t>(rows.size());
    board.width  = static_cast<std::int16_t>(width);
    board.steps  = steps;
    board.init();
    return board;
}

} // namespace goalbox::test

#endif
