#include "tests/solver/ReferenceSolver.h"

#include <cstddef>
#include <deque>
#include <set>
#include <string>
#include <utility>

#include "analysis/DeadPosition.h"

namespace goalbox::test {

namespace {

std::string positionKey(const Board& board) {
    std::string key(board.cells.begin(), board.cells.end());
    key += std::to_string(board.playerCell);
    return key;
}

} // namespace

std::int32_t referenceFewestMoves(const Board& start) {
    if (start.isSolved()) {
        return 0;
    }
    std::set<std::string> seen{positionKey(start)};
    std::deque<std::pair<Board, std::int32_t>> queue{{start, 0}};
    while (!queue.empty()) {
        const auto [board, moves] = queue.front();
        queue.pop_front();
        for (std::int32_t d = 0; d < DIR_COUNT; ++d) {
            Board next = board;
            if (next.move(static_cast<Direction>(d)) == -1) {
                continue;
            }
            const bool pushed = next.cells != board.cells;
            if (pushed && isTrapped(next)) {
                continue;
            }
            if (!seen.insert(positionKey(next)).second) {
                continue;
            }
            if (next.isSolved()) {
                return moves + 1;
            }
            queue.emplace_back(std::move(next), moves + 1);
        }
    }
    return -1;
}

} // namespace goalbox::test
