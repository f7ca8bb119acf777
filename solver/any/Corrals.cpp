#include "solver/any/Corrals.h"

#include <algorithm>
#include <cstddef>

namespace goalbox {

Corrals::Corrals(const StaticLevel& level, std::int32_t boxCount)
    : level_(level), areaMark_(static_cast<std::size_t>(level.floorCount), 0),
      part_(static_cast<std::size_t>(level.floorCount), NO_PART) {
    std::int32_t goals = 0;
    for (const std::uint8_t goal : level.goal) {
        goals += goal != 0 ? 1 : 0;
    }
    goalsMustFill_ = goals <= boxCount;
}

std::int32_t Corrals::measureArea(const std::uint64_t* key, std::int32_t player) {
    if (++stamp_ == 0) {
        std::fill(areaMark_.begin(), areaMark_.end(), 0);
        stamp_ = 1;
    }
    std::int32_t lowest                         = player;
    areaMark_[static_cast<std::size_t>(player)] = stamp_;
    flood(key, player, [&](std::int32_t next) {
        if (areaMark_[static_cast<std::size_t>(next)] == stamp_) {
            return false;
        }
        areaMark_[static_cast<std::size_t>(next)] = stamp_;
        lowest                                    = std::min(lowest, next);
        return true;
    });
    return lowest;
}

void Corrals::measureParts(const std::uint64_t* key) {
    // The free cells outside the area, in connected parts.
    std::fill(part_.begin(), part_.end(), NO_PART);
    partCount_ = 0;
    for (std::int32_t start = 0; start < level_.floorCount; ++start) {
        if (part_[static_cast<std::size_t>(start)] != NO_PART || inArea(start) ||
            level_.hasBox(key, start)) {
            continue;
        }
        const std::int32_t part                = partCount_++;
        part_[static_cast<std::size_t>(start)] = part;
        flood(key, start, [&](std::int32_t next) {
            if (part_[static_cast<std::size_t>(next)] != NO_PART) {
                return false;
            }
            part_[static_cast<std::size_t>(next)] = part;
            return true;
        });
    }
    chosen_ = NO_PART;
}

// A box of key on floor cell floor next to a cell of the part (or of any part).
bool Corrals::isFenceBox(const std::uint64_t* key, std::int32_t floor, std::int32_t part) const {
    if (!level_.hasBox(key, floor)) {
        return false;
    }
    for (std::int32_t dir = 0; dir < DIR_COUNT; ++dir) {
        const std::int32_t next = neighbour(floor, dir);
        if (next != NO_FLOOR && isInPart(next, part)) {
            return true;
        }
    }
    return false;
}

void Corrals::fence(const std::uint64_t* key, std::int32_t part,
                    std::vector<std::int32_t>& boxes) const {
    boxes.clear();
    level_.forEachBox(key, [&](std::int32_t box) {
        if (isFenceBox(key, box, part)) {
            boxes.push_back(box);
        }
    });
}

// The pushes into the part when the part narrows the search (see Corrals.h), or -1.
std::int32_t Corrals::narrowingPushes(const std::uint64_t* key, std::int32_t part) const {
    bool mustChange     = false;
    std::int32_t pushes = 0;
    bool narrows        = true;
    level_.forEachBox(key, [&](std::int32_t box) {
        if (!narrows || !isFenceBox(key, box, part)) {
            return;
        }
        const CellIndex cell = level_.floorCells[static_cast<std::size_t>(box)];
        mustChange           = mustChange || level_.goal[static_cast<std::size_t>(cell)] == 0;
        for (std::int32_t dir = 0; dir < DIR_COUNT && narrows; ++dir) {
            if (!level_.isPushable(cell, dir)) {
                continue;
            }
            const std::int32_t stand  = neighbour(box, DIR_COUNT - 1 - dir);
            const std::int32_t target = neighbour(box, dir);
            if (isInPart(stand, part) || isFenceBox(key, stand, part)) {
                continue; // cannot be the first push of a fence box
            }
            if (isInPart(target, part)) {
                if (!inArea(stand)) {
                    narrows = false; // a push into the corral that the player cannot make now
                } else {
                    ++pushes;
                }
            } else if (!isFenceBox(key, target, part)) {
                narrows = false; // a fence box could leave along the fence or outwards
            }
        }
    });
    if (!narrows) {
        return -1;
    }
    if (!mustChange && goalsMustFill_) {
        for (std::int32_t f = 0; f < level_.floorCount && !mustChange; ++f) {
            mustChange = isInPart(f, part) && level_.isGoalFloor(f);
        }
    }
    return mustChange ? pushes : -1;
}

bool Corrals::choose(const std::uint64_t* key) {
    chosen_            = NO_PART;
    std::int32_t least = -1;
    for (std::int32_t part = 0; part < partCount_; ++part) {
        const std::int32_t pushes = narrowingPushes(key, part);
        if (pushes != -1 && (least == -1 || pushes < least)) {
            least   = pushes;
            chosen_ = part;
        }
    }
    if (chosen_ == NO_PART && partCount_ > 1 && narrowingPushes(key, ALL_PARTS) != -1) {
        chosen_ = ALL_PARTS;
    }
    return chosen_ != NO_PART;
}

std::uint64_t Corrals::memoryBytes() const {
    return areaMark_.capacity() * sizeof(std::uint32_t) +
           (part_.capacity() + stack_.capacity()) * sizeof(std::int32_t);
}

} // namespace goalbox
