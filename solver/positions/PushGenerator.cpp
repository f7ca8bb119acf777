#include "solver/positions/PushGenerator.h"

#include <bit>
#include <cstddef>

#include "analysis/DeadPosition.h"
#include "board/WalkSearch.h"
#include "solver/dead/TrapAfterPush.h"

namespace goalbox {

PushGenerator::PushGenerator(const Board& start, const StaticLevel& level)
    : level_(level), board_(start), trapAfterPush_(start),
      boardKey_(static_cast<std::size_t>(level.keyWords)),
      walkByFloor_(static_cast<std::size_t>(level.floorCount), -1) {
    level_.keyOf(board_, boardKey_.data());
    // On a level whose boxes fill one word of a key, a whole layer of the walk search is one
    // word too.
    if (level.floorCount <= StaticLevel::ONE_WORD_FLOOR) {
        neighbourMasks_.assign(static_cast<std::size_t>(level.floorCount), 0);
        for (std::int32_t f = 0; f < level.floorCount; ++f) {
            for (std::int32_t dir = 0; dir < DIR_COUNT; ++dir) {
                const std::int32_t n = level.floorNeighbour(f, dir);
                if (n != NO_FLOOR) {
                    neighbourMasks_[static_cast<std::size_t>(f)] |= std::uint64_t{1} << n;
                }
            }
        }
    }
}

// The walk search one layer at a time, a layer being a word of floor cells.
void PushGenerator::measureWalksByLayers(std::int32_t start) {
    // On such a level lastBoxMask is every floor cell.
    const std::uint64_t free = level_.lastBoxMask & ~level_.boxSet(boardKey_.data());
    std::uint64_t frontier   = std::uint64_t{1} << start;
    std::uint64_t reached    = frontier;
    walkByFloor_[static_cast<std::size_t>(start)] = 0;
    for (std::int16_t distance = 1; frontier != 0; ++distance) {
        std::uint64_t next = 0;
        for (std::uint64_t cells = frontier; cells != 0; cells &= cells - 1) {
            next |= neighbourMasks_[static_cast<std::size_t>(std::countr_zero(cells))];
        }
        next &= free & ~reached;
        reached |= next;
        frontier = next;
        for (std::uint64_t cells = next; cells != 0; cells &= cells - 1) {
            walkByFloor_[static_cast<std::size_t>(std::countr_zero(cells))] = distance;
        }
    }
    // The player's own cell counts only when it can be walked to (it holds no box).
    reachedFree_ = reached & free;
}

// Every stand cell's walk length at once: by layers of one word where the level allows it,
// otherwise by the walk path finder's search over the board.
void PushGenerator::measureWalks() {
    const CellIndex player = board_.playerCell;
    const std::int32_t start =
        board_.isValidCell(player) ? level_.floorIndex[static_cast<std::size_t>(player)] : NO_FLOOR;
    walksByLayers_ = start != NO_FLOOR && !neighbourMasks_.empty();
    if (walksByLayers_) {
        measureWalksByLayers(start);
    } else {
        walkDistances(board_, walkScratch_);
    }
}

// What jumpTo(stand) would return, for a stand cell on the floor.
std::int16_t PushGenerator::walkLength(CellIndex stand) const {
    if (walksByLayers_) {
        const auto f = static_cast<std::size_t>(level_.floorIndex[static_cast<std::size_t>(stand)]);
        return (reachedFree_ >> f & 1u) != 0 ? walkByFloor_[f] : std::int16_t{-1};
    }
    // jumpTo refuses a stand cell that is not enterable, the player's own cell included.
    if (!isEnterable(board_.cells[static_cast<std::size_t>(stand)])) {
        return -1;
    }
    return walkScratch_.distance(stand);
}

void PushGenerator::setPosition(const std::uint64_t* key) {
    for (std::int32_t w = 0; w < level_.boxWords; ++w) {
        std::uint64_t changed = level_.boxWord(boardKey_.data(), w) ^ level_.boxWord(key, w);
        while (changed != 0) {
            const std::int32_t floor = w * 64 + std::countr_zero(changed);
            changed &= changed - 1;
            std::uint8_t& code = board_.cells[static_cast<std::size_t>(
                level_.floorCells[static_cast<std::size_t>(floor)])];
            code               = level_.hasBox(key, floor) ? withBox(code) : withoutBox(code);
        }
    }
    for (std::int32_t w = 0; w < level_.keyWords; ++w) {
        boardKey_[static_cast<std::size_t>(w)] = key[w];
    }
    board_.playerCell = level_.player(key);
}

void PushGenerator::generate(bool positionTrapped, std::vector<Push>& pushes) {
    pushes.clear();
    // 1. Every stand cell's walk length at once.
    measureWalks();
    std::vector<std::uint8_t>& cells = board_.cells;
    // 2. Each box in ascending cell order, each direction in the fixed order.
    level_.forEachBox(boardKey_.data(), [&](std::int32_t floor) {
        const CellIndex box = level_.floorCells[static_cast<std::size_t>(floor)];
        for (std::int32_t d = 0; d < DIR_COUNT; ++d) {
            // 2.1 Geometry that never changes: stand cell and target on the grid, in line, floor.
            if (!level_.isPushable(box, d)) {
                continue;
            }
            // 2.2 The walk to the stand cell, as jumpTo would find it.
            const auto stand        = static_cast<CellIndex>(box - level_.dirOffset[d]);
            const std::int16_t walk = walkLength(stand);
            if (walk == -1) {
                continue;
            }
            // 2.3 The push, as move would make it: the cell beyond must be free of boxes.
            const auto beyond    = static_cast<CellIndex>(box + level_.dirOffset[d]);
            std::uint8_t& target = cells[static_cast<std::size_t>(beyond)];
            if (!isEnterable(target)) {
                continue;
            }
            ++pushesTried_;
            std::uint8_t& source      = cells[static_cast<std::size_t>(box)];
            const std::uint8_t before = target;
            const std::uint8_t boxed  = source;
            target                    = withBox(target);
            source                    = withoutBox(source);
            // 2.4 The dead test of the position after the push.
            const bool trapped =
                positionTrapped ? isTrapped(board_) : trapAfterPush_.afterPush(board_, box, beyond);
            // 2.5 Undo it.
            target = before;
            source = boxed;
            if (!trapped) {
                pushes.push_back(Push{box, beyond, static_cast<Direction>(d),
                                      static_cast<std::int16_t>(walk + 1)});
            }
        }
    });
}

std::uint64_t PushGenerator::memoryBytes() const {
    return board_.cells.capacity() +
           board_.neighbours.next.capacity() * sizeof(board_.neighbours.next[0]) +
           boardKey_.capacity() * sizeof(std::uint64_t) +
           walkByFloor_.capacity() * sizeof(std::int16_t) +
           walkScratch_.records.capacity() * sizeof(WalkScratch::Record) +
           walkScratch_.queue.capacity() * sizeof(CellIndex) +
           neighbourMasks_.capacity() * sizeof(std::uint64_t);
}

} // namespace goalbox
