#include "solver/dead/LoneBoxes.h"

#include <cstddef>

namespace goalbox {

LoneBoxes::LoneBoxes(const StaticLevel& level)
    : floorCount_(static_cast<std::size_t>(level.floorCount)) {
    if (level.floorCount > MAX_FLOOR || level.floorCount == 0) {
        return;
    }
    const std::size_t floors = floorCount_;
    solvable_.assign((floors * floors + 63) / 64, 0);
    const auto neighbour = [&level](std::int32_t floor, std::int32_t dir) {
        return level.floorNeighbours[static_cast<std::size_t>(floor) * DIR_COUNT +
                                     static_cast<std::size_t>(dir)];
    };
    std::vector<std::uint32_t> queue;
    const auto reach = [&](std::int32_t box, std::int32_t player) {
        const std::size_t at =
            static_cast<std::size_t>(box) * floors + static_cast<std::size_t>(player);
        std::uint64_t& word     = solvable_[at / 64];
        const std::uint64_t bit = std::uint64_t{1} << (at % 64);
        if ((word & bit) == 0) {
            word |= bit;
            queue.push_back(static_cast<std::uint32_t>(at));
        }
    };
    // 1. A box on a goal, the player anywhere else.
    for (std::int32_t box = 0; box < level.floorCount; ++box) {
        if (level.goal[static_cast<std::size_t>(level.floorCells[static_cast<std::size_t>(box)])] ==
            0) {
            continue;
        }
        for (std::int32_t player = 0; player < level.floorCount; ++player) {
            if (player != box) {
                reach(box, player);
            }
        }
    }
    // 2. Backward: the player walked here from a neighbour, or pulled the box after it (a push
    //    from the cell behind the box's earlier cell left the player on that cell).
    for (std::size_t head = 0; head < queue.size(); ++head) {
        const auto box    = static_cast<std::int32_t>(queue[head] / floors);
        const auto player = static_cast<std::int32_t>(queue[head] % floors);
        for (std::int32_t dir = 0; dir < DIR_COUNT; ++dir) {
            const std::int32_t from = neighbour(player, dir);
            if (from == NO_FLOOR || from == box) {
                continue;
            }
            reach(box, from);
            // The push in the direction from player to box, from the cell beyond player.
            const std::int32_t back = DIR_COUNT - 1 - dir;
            if (neighbour(player, back) == box &&
                level.isPushable(level.floorCells[static_cast<std::size_t>(player)], back)) {
                reach(player, from);
            }
        }
    }
}

} // namespace goalbox
