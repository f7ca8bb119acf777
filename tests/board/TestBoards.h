#ifndef TESTS_BOARD_TESTBOARDS_H
#define TESTS_BOARD_TESTBOARDS_H

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "board/Board.h"

namespace goalbox::testboards {

// The cell code of one board letter: W wall, F floor, B box, G goal, * box on goal, O outside;
// P is floor with the player on it.
inline std::uint8_t codeOf(char letter) {
    switch (letter) {
    case 'W':
        return CELL_WALL;
    case 'B':
        return CELL_BOX;
    case 'G':
        return CELL_GOAL;
    case '*':
        return CELL_BOX_ON_GOAL;
    case 'O':
        return CELL_OUTSIDE;
    default:
        return CELL_FLOOR;
    }
}

// Builds a board directly from rows of equal length, without the level loader: fills cells,
// height, width and playerCell (the P cell, else cell 0), then calls init().
inline Board boardFromRows(const std::vector<std::string>& rows) {
    Board board;
    board.height = static_cast<std::int16_t>(rows.size());
    board.width  = static_cast<std::int16_t>(rows.empty() ? 0 : rows[0].size());
    board.cells.clear();
    board.playerCell = 0;
    for (const std::string& row : rows) {
        for (const char letter : row) {
            if (letter == 'P') {
                board.playerCell = static_cast<CellIndex>(board.cells.size());
            }
            board.cells.push_back(codeOf(letter));
        }
    }
    board.init();
    return board;
}

// A random board of the given size. Floor is the most common code so that walks get long; every
// code appears. The player stands on a random cell, usually an enterable one.
inline Board randomBoard(std::mt19937& rng, int height, int width) {
    static const char letters[] = "FFFFFFFFFFWWWBBGG*O";
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof(letters)) - 2);
    std::vector<std::string> rows(static_cast<std::size_t>(height), std::string());
    for (std::string& row : rows) {
        for (int column = 0; column < width; ++column) {
            row.push_back(letters[pick(rng)]);
        }
    }
    Board board = boardFromRows(rows);
    std::uniform_int_distribution<int> cell(0, height * width - 1);
    board.playerCell = static_cast<CellIndex>(cell(rng));
    for (int tries = 0; tries < 4 && !isEnterable(board.cells[board.playerCell]); ++tries) {
        board.playerCell = static_cast<CellIndex>(cell(rng));
    }
    return board;
}

} // namespace goalbox::testboards

#endif
