#ifndef SOLVER_ANY_PACKINGORDER_H
#define SOLVER_ANY_PACKINGORDER_H

#include <cstdint>
#include <vector>

#include "solver/positions/StaticLevel.h"

namespace goalbox {

// An order in which to fill the goals, and a guide for the search for some route that follows
// it (not a lower bound).
//
// Goals that lie in a room with one door must be filled from the back: a box on a goal near the
// door closes the way to those behind it. The order is worked out backward from the full room:
// with every goal holding a box, the box that can be pulled out the most easily (back to a cell
// where a box starts, the other goals' boxes staying) is the one filled last; it is taken away,
// and so on until every goal has its place. Where no box left can be pulled back to a start
// cell, boxes may have to be moved in turns (one parked while another passes), and the box that
// comes off the goals the most easily, to any cell, is taken instead; where none can come off
// at all, the level gets no order.
//
// Goals next to each other make a group (a room of goals), which keeps the order among its
// goals; goals apart from each other can be filled in any order. The guide counts the goals
// filled in the prefixes of the groups' orders (packed) and the pushes that bring the nearest
// box onto the next goal of some group, the goals of its prefix standing for walls, and the other
// boxes in that box's way: a box nearest by the table is often walled in by others, which must
// move aside first.
class PackingOrder {
  public:
    static constexpr std::int32_t BLOCKED = INT32_MAX;

    PackingOrder(const StaticLevel& level, const std::uint64_t* startKey, std::int32_t boxCount);

    // Whether the level has an order (as many boxes as goals, each goal pulled out in turn).
    bool usable() const { return usable_; }
    std::int32_t goalCount() const { return static_cast<std::int32_t>(order_.size()); }
    std::int32_t groupCount() const { return static_cast<std::int32_t>(groupEnds_.size()); }

    struct Guide {
        std::int32_t packed;     // goals filled in the order's prefix
        std::int32_t nextPushes; // pushes of the nearest box to the next goal, or BLOCKED
        std::int32_t box;        // that box's floor cell, NO_FLOOR where there is none
        std::int32_t next;       // the place in the order of its goal
    };
    Guide guide(const std::uint64_t* key) const;
    // The boxes of key on the cells that the guide's box and the player pushing it pass on one
    // shortest way of the table; 0 where the guide has no box.
    std::int32_t obstacles(const std::uint64_t* key, const Guide& guide) const;

    // The order, first goal first, as floor cells (for tests).
    const std::vector<std::int32_t>& order() const { return order_; }

    // The place in the order of the group's first goal without a box in key; -1 when every
    // goal of the group has one.
    std::int32_t nextOf(const std::uint64_t* key, std::int32_t group) const;
    // The goal at place k of the order, and the pushes from floor cell floor onto it with the
    // goals before it in its group as walls (NO_PATH where there is no way).
    std::int32_t goalAt(std::int32_t k) const { return order_[static_cast<std::size_t>(k)]; }
    std::int32_t pushesTo(std::int32_t k, std::int32_t floor) const {
        return nextPushes_[static_cast<std::size_t>(k) *
                               static_cast<std::size_t>(level_.floorCount) +
                           static_cast<std::size_t>(floor)];
    }
    static constexpr std::int32_t NO_PATH = 0xFFFF;

    std::uint64_t memoryBytes() const;

  private:
    std::size_t groupBegin(std::int32_t group) const {
        return group == 0 ? 0 : groupEnds_[static_cast<std::size_t>(group) - 1];
    }
    std::int32_t pullOutMoves(std::int32_t goal, const std::vector<std::uint8_t>& blocked,
                              bool anyCell);
    void groupByRooms();
    void measureNextPushes();
    std::int32_t neighbour(std::int32_t floor, std::int32_t dir) const {
        return level_.floorNeighbour(floor, dir);
    }

    const StaticLevel& level_;
    bool usable_ = false;
    std::vector<std::uint8_t> startBox_; // per floor cell: a box stands there at the start
    std::vector<std::int32_t> order_;    // the goals, group by group, first filled first
    std::vector<std::size_t> groupEnds_; // per group of goals: where it ends in order_
    // Per prefix length k * floorCount + floor: the pushes from the floor cell onto goal order_[k]
    // with the goals order_[0 .. k-1] as walls, or NO_PATH.
    std::vector<std::uint16_t> nextPushes_;
    // Working arrays of the backward searches.
    std::vector<std::uint32_t> seen_;
    std::uint32_t stamp_ = 0;
    std::vector<std::int32_t> queue_;
};

} // namespace goalbox

#endif
