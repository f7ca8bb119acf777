#ifndef BENCH_SEARCHTIMER_H
#define BENCH_SEARCHTIMER_H

#include <chrono>
#include <ctime>

namespace goalbox::bench {

// The clocks of one search in the bench programs, started at construction: wall-clock time
// (std::chrono::steady_clock), the deadline capSeconds later, and the processor time of the
// process (std::clock: user and system time on Linux and macOS; the C runtime on Windows counts
// elapsed time instead).
class SearchTimer {
  public:
    using Clock = std::chrono::steady_clock;

    explicit SearchTimer(double capSeconds)
        : start_(Clock::now()), deadline_(start_ + std::chrono::duration_cast<Clock::duration>(
                                                       std::chrono::duration<double>(capSeconds))),
          cpuStart_(std::clock()) {}

    Clock::time_point deadline() const { return deadline_; }
    double wallMillis() const {
        return std::chrono::duration<double, std::milli>(Clock::now() - start_).count();
    }
    double cpuMillis() const {
        return static_cast<double>(std::clock() - cpuStart_) * 1000.0 / CLOCKS_PER_SEC;
    }

  private:
    Clock::time_point start_;
    Clock::time_point deadline_;
    std::clock_t cpuStart_;
};

} // namespace goalbox::bench

#endif
