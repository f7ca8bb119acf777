// Unit tests of the dead-position test: the nine square patterns and their near misses, the four
// wall-line scans with their start positions and counters, boards of one row or column, and the
// symmetries the test must respect (transposing the board, moving the player).
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/DeadPosition.h"
#include "board/Board.h"
#include "tests/board/TestBoards.h"

namespace goalbox {
namespace {

using testboards::boardFromRows;
using testboards::codeOf;

// The same board with rows and columns swapped. Scan 1 on a board is scan 2 on its transpose and
// scan 3 is scan 4, and the square patterns map onto each other, so the result must not change.
Board transposed(const Board& board) {
    Board result  = board;
    result.height = board.width;
    result.width  = board.height;
    for (int row = 0; row < board.height; ++row) {
        for (int column = 0; column < board.width; ++column) {
            result.cells[static_cast<std::size_t>(column * board.height + row)] =
                board.cells[static_cast<std::size_t>(row * board.width + column)];
        }
    }
    result.init();
    return result;
}

// The rows of a board with one cell replaced by letter.
std::vector<std::string> withCell(std::vector<std::string> rows, int row, int column, char letter) {
    rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = letter;
    return rows;
}

// --- Square test ---------------------------------------------------------------------------

TEST(DeadSquareTest, MatchesExactlyTheNinePatternsOverAllCodes) {
    // TL, TR, BL, BR; B is exactly CELL_BOX, W exactly CELL_WALL, ? anything.
    const std::array<std::string, 9> patterns = {"BBBB", "BWW?", "WB?W", "W?BW", "?WWB",
                                                 "BBWW", "WWBB", "BWBW", "WBWB"};
    const std::string letters                 = "OWBF*G";
    int deadCount                             = 0;
    for (const char tl : letters) {
        for (const char tr : letters) {
            for (const char bl : letters) {
                for (const char br : letters) {
                    const std::string square{tl, tr, bl, br};
                    bool expected = false;
                    for (const std::string& pattern : patterns) {
                        bool matches = true;
                        for (std::size_t i = 0; i < 4; ++i) {
                            matches = matches && (pattern[i] == '?' || pattern[i] == square[i]);
                        }
                        expected = expected || matches;
                    }
                    const Board board = boardFromRows({{tl, tr}, {bl, br}});
                    EXPECT_EQ(hasDeadSquare(board), expected) << square;
                    deadCount += expected ? 1 : 0;
                }
            }
        }
    }
    // Every pattern is met, so the loop above checked both answers.
    EXPECT_GT(deadCount, 9);
}

TEST(DeadSquareTest, NearMissesDoNotMatch) {
    EXPECT_FALSE(hasDeadSquare(boardFromRows({"BB", "BW"}))); // three boxes and a wall
    EXPECT_FALSE(hasDeadSquare(boardFromRows({"BB", "WB"}))); // three boxes and a wall
    EXPECT_FALSE(hasDeadSquare(boardFromRows({"*W", "WW"}))); // a box on a goal in a corner
    EXPECT_FALSE(hasDeadSquare(boardFromRows({"BB", "WF"}))); // two boxes, a single wall
    EXPECT_FALSE(hasDeadSquare(boardFromRows({"BB", "FW"}))); // two boxes, a single wall
    EXPECT_FALSE(hasDeadSquare(boardFromRows({"B*", "WW"}))); // one of the two on a goal
    EXPECT_FALSE(hasDeadSquare(boardFromRows({"BO", "OF"}))); // outside is not a wall
    // The patterns the misses fall short of.
    EXPECT_TRUE(hasDeadSquare(boardFromRows({"BW", "WF"})));
    EXPECT_TRUE(hasDeadSquare(boardFromRows({"BB", "WW"})));
}

TEST(DeadSquareTest, EverySquarePositionIsExamined) {
    const std::vector<std::string> floor = {"FFFFF", "FFFFF", "FFFFF", "FFFFF"};
    for (int row = 0; row + 1 < 4; ++row) {
        for (int column = 0; column + 1 < 5; ++column) {
            auto rows = withCell(floor, row, column, 'B');
            rows      = withCell(rows, row, column + 1, 'B');
            rows      = withCell(rows, row + 1, column, 'B');
            rows      = withCell(rows, row + 1, column + 1, 'B');
            EXPECT_TRUE(hasDeadSquare(boardFromRows(rows))) << row << "," << column;
            rows = withCell(rows, row + 1, column + 1, '*');
            EXPECT_FALSE(hasDeadSquare(boardFromRows(rows))) << row << "," << column;
        }
    }
}

TEST(DeadSquareTest, BoxInACornerWhateverTheOppositeCell) {
    const std::vector<std::string> corner = {"WWWW", "WBFG", "WGFF"};
    EXPECT_TRUE(isTrapped(boardFromRows(corner)));
    for (const char opposite : {'F', 'O', 'B'}) {
        EXPECT_TRUE(isTrapped(boardFromRows(withCell(corner, 0, 0, opposite)))) << opposite;
    }
    EXPECT_FALSE(isTrapped(boardFromRows(withCell(corner, 1, 1, '*'))));
    // Two boxes side by side over two walls, inside open floor.
    const std::vector<std::string> pair = {"FFFF", "FBBF", "FWWF", "FFFF"};
    EXPECT_TRUE(hasDeadSquare(boardFromRows(pair)));
    EXPECT_FALSE(hasDeadSquare(boardFromRows(withCell(pair, 1, 2, '*'))));
}

// --- Wall-line test ------------------------------------------------------------------------

// Two boxes and one goal under a solid wall row: dead by scan 1 alone.
const std::vector<std::string> kUnderWall = {"WWWWWWW", "WFBGBFW", "WFFFFFW", "WWWWWWW"};

TEST(DeadWallLineTest, BoxesOutnumberGoalsUnderAWall) {
    const Board board = boardFromRows(kUnderWall);
    EXPECT_FALSE(hasDeadSquare(board));
    EXPECT_TRUE(isTrapped(board));
    // A second goal in the row balances the boxes.
    EXPECT_FALSE(isTrapped(boardFromRows(withCell(kUnderWall, 1, 1, 'G'))));
    // A box on a goal is neither a box nor a goal: one box against no goal stays dead.
    EXPECT_TRUE(isTrapped(boardFromRows(withCell(withCell(kUnderWall, 1, 4, 'F'), 1, 3, '*'))));
}

TEST(DeadWallLineTest, OneExitAnywhereInTheLineSavesIt) {
    // The cell above the row's last floor decides: walls and outside are no exit; floor, an
    // empty goal and a box on a goal are.
    for (const char above : {'W', 'O'}) {
        EXPECT_TRUE(isTrapped(boardFromRows(withCell(kUnderWall, 0, 5, above)))) << above;
    }
    for (const char above : {'F', 'G', '*'}) {
        EXPECT_FALSE(isTrapped(boardFromRows(withCell(kUnderWall, 0, 5, above)))) << above;
    }
    // A box counts as an exit too. Here row 3 is only opened by the box at (2,5), which is
    // itself safe: it has floor above and below and a goal in its column.
    const std::vector<std::string> boxAbove = {"WWWWWWW", "WFFFFFW", "WWWWWBW",
                                               "WFBGBFW", "WFFFFGW", "WWWWWWW"};
    EXPECT_FALSE(isTrapped(boardFromRows(boxAbove)));
    EXPECT_TRUE(isTrapped(boardFromRows(withCell(boxAbove, 2, 5, 'W'))));
}

TEST(DeadWallLineTest, CountersRunOnAcrossWalls) {
    // The goal before the inner wall still balances the box after it.
    const std::vector<std::string> rows = {"WWWWWWW", "WGWFBFW", "WFFFFFW", "WWWWWWW"};
    EXPECT_FALSE(isTrapped(boardFromRows(rows)));
    // The same box before the wall and the goal after it: dead at the inner wall.
    EXPECT_TRUE(isTrapped(boardFromRows({"WWWWWWW", "WFBFWGW", "WFFFFFW", "WWWWWWW"})));
}

// Row 1 starts with floor and its box sits under walls, except that row 0 opens at column 2,
// before row 1's first non-floor cell (column 3). Only scan 1 can find the box, and only by
// starting at column 3: starting at column 0 or at row 0's first non-floor cell would count
// an exit.
const std::vector<std::string> kScannedStart = {"FWFWWW", "FFFBFW", "FFFFFF"};
// Row 1 over a row 2 that starts with floor. Only scan 3 can find the box, and only by starting
// at row 2's first non-floor cell (column 2): starting at column 0 or at row 1's first
// non-floor cell (the outside cell at column 1) would count an exit.
const std::vector<std::string> kNeighbourStart = {"FFFFFF", "FOFBFW", "FFWWWW"};

TEST(DeadWallLineTest, StartPositionSkipsLeadingFloor) {
    EXPECT_TRUE(isTrapped(boardFromRows(kScannedStart)));
    EXPECT_TRUE(isTrapped(boardFromRows(kNeighbourStart)));
    // The same through scans 2 and 4.
    EXPECT_TRUE(isTrapped(transposed(boardFromRows(kScannedStart))));
    EXPECT_TRUE(isTrapped(transposed(boardFromRows(kNeighbourStart))));
    // An opening from the start position on does save the box.
    EXPECT_FALSE(isTrapped(boardFromRows(withCell(kScannedStart, 0, 4, 'F'))));
    EXPECT_FALSE(isTrapped(boardFromRows(withCell(kNeighbourStart, 2, 4, 'F'))));
}

TEST(DeadWallLineTest, ThinAndEmptyBoards) {
    // One row: no squares, no scans 1 and 3; scans 2 and 4 compare single cells.
    EXPECT_TRUE(isTrapped(boardFromRows({"WB"})));
    EXPECT_TRUE(isTrapped(boardFromRows({"BW"})));
    EXPECT_FALSE(isTrapped(boardFromRows({"FB"})));
    EXPECT_FALSE(isTrapped(boardFromRows({"GB"})));
    EXPECT_FALSE(isTrapped(boardFromRows({"B"})));
    // One column.
    EXPECT_TRUE(isTrapped(boardFromRows({"W", "B"})));
    EXPECT_FALSE(isTrapped(boardFromRows({"F", "B"})));
    // No cells at all.
    EXPECT_FALSE(isTrapped(boardFromRows({})));
    Board noColumns = boardFromRows({"", "", ""});
    EXPECT_EQ(noColumns.height, 3);
    EXPECT_FALSE(isTrapped(noColumns));
}

// --- Properties on random boards -----------------------------------------------------------

TEST(DeadPositionTest, IgnoresPlayerAndAgreesWithTranspose) {
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> size(1, 7);
    int trapped = 0;
    for (int round = 0; round < 3000; ++round) {
        Board board        = testboards::randomBoard(rng, size(rng), size(rng));
        const bool result  = isTrapped(board);
        const Board before = board;
        trapped += result ? 1 : 0;
        const Board flipped = transposed(board);
        EXPECT_EQ(hasDeadSquare(flipped), hasDeadSquare(board));
        EXPECT_EQ(hasDeadWallLine(flipped), hasDeadWallLine(board));
        for (CellIndex cell = 0; cell < board.cellCount; ++cell) {
            board.playerCell = cell;
            EXPECT_EQ(isTrapped(board), result);
        }
        EXPECT_EQ(board.cells, before.cells);
    }
    // Random boards give both answers, so the comparisons above were not all between falses.
    EXPECT_GT(trapped, 100);
    EXPECT_LT(trapped, 2900);
}

} // namespace
} // namespace goalbox
