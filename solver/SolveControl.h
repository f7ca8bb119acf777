#ifndef SOLVER_SOLVECONTROL_H
#define SOLVER_SOLVECONTROL_H

#include <cstdint>
#include <new>

#include "solver/Solve.h"

namespace goalbox {

// The caller's limits as the searches of one solve call see them: the memory budget, the stop
// request and the progress report, and the figures they keep in stats.
class SolveControl {
  public:
    // The figures go into stats when given, else into the control's own; either way they start
    // from SolveStats{}.
    SolveControl(const SolveLimits& limits, SolveStats* stats)
        : limits_(limits), stats_(stats != nullptr ? *stats : ownStats_) {
        stats_ = SolveStats{};
    }
    SolveControl(const SolveControl&)            = delete;
    SolveControl& operator=(const SolveControl&) = delete;

    // Records the peak and gives up with std::bad_alloc once bytes pass the budget; unwinding
    // releases everything the search holds.
    // entries is the number of positions the bytes hold, for the figure of bytes per position.
    void checkMemory(std::uint64_t bytes, std::uint64_t entries) {
        if (bytes > stats_.peakMemoryBytes) {
            stats_.peakMemoryBytes = bytes;
            stats_.peakEntries     = entries;
        }
        if (bytes > limits_.memoryBudgetBytes) {
            throw std::bad_alloc();
        }
    }

    // Called once per turn of a search loop; every STOP_CHECK_INTERVAL turns it reports
    // progress and asks shouldStop.
    bool stopRequested(const SolveProgress& progress) {
        if (!limits_.shouldStop && !limits_.onProgress) {
            return false;
        }
        if (--turnsUntilCheck_ != 0) {
            return false;
        }
        turnsUntilCheck_ = STOP_CHECK_INTERVAL;
        report(progress);
        if (limits_.shouldStop && limits_.shouldStop()) {
            stats_.aborted = true;
            return true;
        }
        return false;
    }

    void report(SolveProgress progress) const {
        if (limits_.onProgress) {
            progress.statesStored = stats_.statesStored;
            limits_.onProgress(progress);
        }
    }

    SolveStats& stats() { return stats_; }
    const SolveLimits& limits() const { return limits_; }

  private:
    static constexpr std::uint32_t STOP_CHECK_INTERVAL = 1024;

    const SolveLimits& limits_;
    SolveStats ownStats_;
    SolveStats& stats_;
    std::uint32_t turnsUntilCheck_ = STOP_CHECK_INTERVAL;
};

} // namespace goalbox

#endif
