#ifndef SOLVER_POSITIONS_PUSHBETWEEN_H
#define SOLVER_POSITIONS_PUSHBETWEEN_H

#include <bit>
#include <cstddef>
#include <cstdint>

#include "solver/SolutionStep.h"
#include "solver/positions/StaticLevel.h"

namespace goalbox {

// The push that leads from the position of key before to that of key after, one box moved one
// cell: the box left the one cell of before's boxes that after lacks and arrived on the one
// cell that before lacks. Its stand cell is one step behind the box.
inline SolutionStep pushBetween(const StaticLevel& level, const std::uint64_t* before,
                                const std::uint64_t* after) {
    CellIndex from              = NO_CELL;
    CellIndex to                = NO_CELL;
    const std::int32_t boxWords = (level.floorCount + 63) / 64;
    for (std::int32_t w = 0; w < boxWords; ++w) {
        std::uint64_t mask = ~std::uint64_t{0};
        if (w == level.floorCount / 64) {
            mask = (std::uint64_t{1} << (level.floorCount % 64)) - 1;
        }
        const std::uint64_t left    = before[w] & ~after[w] & mask;
        const std::uint64_t arrived = after[w] & ~before[w] & mask;
        if (left != 0) {
            from = level.floorCells[static_cast<std::size_t>(w * 64 + std::countr_zero(left))];
        }
        if (arrived != 0) {
            to = level.floorCells[static_cast<std::size_t>(w * 64 + std::countr_zero(arrived))];
        }
    }
    // On a board one column wide right and down share an offset; only down is a push there.
    std::int32_t dir = 0;
    while (dir + 1 < DIR_COUNT && (static_cast<CellIndex>(from + level.dirOffset[dir]) != to ||
                                   !level.isPushable(from, dir))) {
        ++dir;
    }
    return SolutionStep{static_cast<CellIndex>(from - level.dirOffset[dir]),
                        static_cast<Direction>(dir)};
}

} // namespace goalbox

#endif
