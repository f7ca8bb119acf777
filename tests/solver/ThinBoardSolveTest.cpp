// Boards with no rows or a single row or column, as odd level files give them.
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "board/Board.h"
#include "solver/Search.h"
#include "solver/SearchState.h"

namespace goalbox {
namespace {

Board boardOf(std::int16_t height, std::int16_t width, std::vector<std::uint8_t> cells,
              CellIndex player) {
    Board board;
    board.height     = height;
    board.width      = width;
    board.cells      = std::move(cells);
    board.playerCell = player;
    board.init();
    return board;
}

TEST(ThinBoardSolve, NoRowsHasNoSolution) {
    // A level file of only "REM": no rows, three columns. The dead-line test read the first cell
    // of every column here, on a board without cells (a crash of the S key on such a level).
    std::vector<SolutionStep> solution;
    EXPECT_EQ(solve(boardOf(0, 3, {}, 0), solution), -1);
    EXPECT_TRUE(solution.empty());
}

TEST(ThinBoardSolve, OneRowAndOneColumnAreSolvedByOnePush) {
    // "#@$.#" and the same standing upright.
    constexpr std::uint8_t W = CELL_WALL;
    std::vector<SolutionStep> solution;
    EXPECT_EQ(solve(boardOf(1, 5, {W, CELL_FLOOR, CELL_BOX, CELL_GOAL, W}, 1), solution), 1);
    EXPECT_EQ(solution, (std::vector<SolutionStep>{{1, DIR_RIGHT}}));
    solution.clear();
    EXPECT_EQ(solve(boardOf(5, 1, {W, CELL_FLOOR, CELL_BOX, CELL_GOAL, W}, 1), solution), 1);
    EXPECT_EQ(solution, (std::vector<SolutionStep>{{1, DIR_DOWN}}));
}

} // namespace
} // namespace goalbox
