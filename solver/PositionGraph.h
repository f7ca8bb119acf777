#ifndef SOLVER_POSITIONGRAPH_H
#define SOLVER_POSITIONGRAPH_H

#include <cstdint>
#include <vector>

#include "solver/FreezeTest.h"
#include "solver/LowerBound.h"
#include "solver/PositionStore.h"
#include "solver/PushGenerator.h"
#include "solver/StaticLevel.h"

namespace goalbox {

// The positions that the searches of one solve call have met and the pushes between them,
// found as they are asked for and kept for both searches. A position is an entry of a
// PositionStore; the first time a search asks for an entry's pushes they are generated
// (PushGenerator) and kept as edges, so the passes never generate again what the guided search
// has generated, and a position expanded again under a cheaper path costs no new generation.
//
// What an entry knows depends on the position alone, never on the way it was reached: its
// solved flag, its estimate of the steps still needed (LowerBound; the cheap nearest-goal sum
// until the full assignment is asked for, or until the assignment of the position it was first
// reached from settles it), and its pushes with their costs (walk + 1).
//
// A push that leaves a position that cannot be solved, by the estimate (DEAD) or because the
// pushed box is frozen off a goal (FreezeTest), leads nowhere: its position is not stored for
// it. (Reached by a push of another box, which the freeze test does not look at, the same
// position may be stored; it then leads to no solution either.) The searches never lose a
// solution by this, and the route stays the same (see BoundedPasses).
class PositionGraph {
  public:
    static constexpr std::uint32_t NONE = PositionStore::NONE;

    // One push of an entry: the entry it leads to, or NONE when that position cannot be
    // solved, and its cost in steps.
    struct Edge {
        std::uint32_t child;
        std::int16_t cost;
    };

    // The pushes of one entry, in order.
    class Pushes {
      public:
        Pushes(const std::uint32_t* child, const std::int16_t* cost, std::uint32_t count)
            : child_(child), cost_(cost), count_(count) {}
        std::uint32_t size() const { return count_; }
        Edge operator[](std::uint32_t i) const { return Edge{child_[i], cost_[i]}; }

      private:
        const std::uint32_t* child_;
        const std::int16_t* cost_;
        std::uint32_t count_;
    };

    // Entry 0 is the start position (startKey); startTrapped tells whether it shows a dead
    // pattern, which only the start can.
    PositionGraph(const StaticLevel& level, LowerBound& bound, PushGenerator& generator,
                  const std::uint64_t* startKey, bool startTrapped);

    std::uint32_t size() const { return store_.size(); }
    const std::uint64_t* key(std::uint32_t entry) const { return store_.key(entry); }
    bool isSolved(std::uint32_t entry) const { return (flags_[entry] & SOLVED) != 0; }

    // The estimate as it stands: a lower bound on the steps still needed, perhaps the cheap one.
    std::int32_t knownEstimate(std::uint32_t entry) const;
    bool isEstimateExact(std::uint32_t entry) const { return (flags_[entry] & EXACT) != 0; }
    // The full estimate (LowerBound::estimate), worked out on first use.
    std::int32_t exactEstimate(std::uint32_t entry);

    // The pushes of entry in the order of the search procedure (boxes by ascending cell, for
    // each the directions right, down, up, left), minus those after which the board is trapped.
    // They stay valid until the next call of pushesOf.
    Pushes pushesOf(std::uint32_t entry);
    bool hasPushes(std::uint32_t entry) const { return (flags_[entry] & GENERATED) != 0; }

    // How many times pushes were generated, the trial pushes that move would accept, and the
    // heap bytes held.
    std::uint64_t generations() const { return generations_; }
    std::uint64_t pushesTried() const { return generator_.pushesTried(); }
    std::uint64_t memoryBytes() const;

  private:
    static constexpr std::uint8_t SOLVED    = 1;
    static constexpr std::uint8_t EXACT     = 2;
    static constexpr std::uint8_t GENERATED = 4;

    std::uint32_t addEntry(const std::uint64_t* key, std::uint64_t hash, bool solved,
                           std::int32_t estimate);

    const StaticLevel& level_;
    LowerBound& bound_;
    PushGenerator& generator_;
    bool startTrapped_;
    FreezeTest freezeTest_;
    PositionStore store_;

    // Per entry. Estimates are kept in 16 bits: a position whose estimate does not fit would
    // need more steps than the 16-bit step counter holds, and counts as hopeless.
    std::vector<std::int16_t> estimate_;
    std::vector<std::uint8_t> flags_;
    std::vector<std::uint32_t> firstEdge_;
    std::vector<std::uint16_t> edgeCount_;

    // The edges of all generated entries, each entry's in consecutive places.
    std::vector<std::uint32_t> edgeChild_;
    std::vector<std::int16_t> edgeCost_;
    std::vector<Push> pushes_;
    std::vector<std::uint64_t> parentKey_;
    std::vector<std::uint64_t> childKeys_; // the keys after each push, one after another
    std::vector<std::uint64_t> childHashes_;
    std::vector<std::uint32_t> found_;
    std::uint64_t generations_ = 0;
};

} // namespace goalbox

#endif
