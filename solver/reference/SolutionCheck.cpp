// Checking and writing down a solution.
#include "solver/reference/SolutionCheck.h"

namespace goalbox {

bool replaysToSolved(const Board& start, const std::vector<SolutionStep>& solution,
                     std::int32_t result) {
    Board board = start;
    for (const SolutionStep& step : solution) {
        WalkPath walk;
        if (board.walkTo(step.cell, walk) == -1) {
            return false;
        }
        const auto target = static_cast<std::size_t>(
            static_cast<CellIndex>(step.cell + board.dirOffset[step.direction]));
        if (target >= board.cells.size() || !isBox(board.cells[target]) ||
            board.move(step.direction) == -1) {
            return false;
        }
    }
    return board.isSolved() && board.steps == result;
}

std::string routeText(const std::vector<SolutionStep>& solution) {
    std::string text;
    for (const SolutionStep& step : solution) {
        if (!text.empty()) {
            text += ';';
        }
        text += std::to_string(step.cell) + ',' + std::to_string(step.direction);
    }
    return text;
}

} // namespace goalbox
