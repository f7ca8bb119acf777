// The solve command of the S key.
#include <cstdint>
#include <new>
#include <ostream>
#include <sstream>
#include <vector>

#include "app/Commands.h"
#include "app/Display.h"
#include "app/GameIo.h"
#include "app/GameSettings.h"
#include "app/Messages.h"
#include "board/Board.h"
#include "solver/Solve.h"

namespace goalbox {

namespace {

// How often the status line under the waiting message is refreshed during a long search.
constexpr std::int64_t PROGRESS_INTERVAL_MILLIS = 250;

// A status line that a terminal shows during the search and that leaves no trace: it is
// rewritten in place and wiped before anything else is written. Nothing of it is written when
// the output is not a terminal, so transcripts stay exact.
class ProgressLine {
  public:
    explicit ProgressLine(GameIo& io) : io_(io), last_(io.clockMillis()) {}

    // First the least steps a solution can still have, rising; once a solution with that many
    // is found, the steps worked through of them.
    void show(const SolveProgress& progress) {
        const std::int64_t now = io_.clockMillis();
        if (now - last_ < PROGRESS_INTERVAL_MILLIS) {
            return;
        }
        last_             = now;
        shown_            = true;
        std::ostream& out = io_.out();
        out << '\r';
        if (progress.boundReached) {
            out << text::SOLVE_PROGRESS_FEWEST << progress.bound << text::SOLVE_PROGRESS_STEPS
                << text::SOLVE_PROGRESS_ROUTE << progress.done << '/' << progress.bound;
        } else {
            out << text::SOLVE_PROGRESS_BOUND << progress.bound << text::SOLVE_PROGRESS_STEPS;
        }
        out << text::SOLVE_PROGRESS_STATES << progress.statesStored << "\x1b[K" << std::flush;
    }
    void wipe() {
        if (shown_) {
            io_.out() << "\r\x1b[K";
            shown_ = false;
        }
    }

  private:
    GameIo& io_;
    std::int64_t last_;
    bool shown_ = false;
};

} // namespace

bool solveCommand(GameIo& io, Board& board, const GameSettings& settings) {
    std::ostream& out = io.out();
    std::vector<SolutionStep> solution;

    // Step 1: announce the search and start the clock.
    out << text::SOLVING << '\n' << std::flush;
    const std::int64_t start = io.clockMillis();

    // Step 2: search on a copy; the live board is untouched until the replay.
    ProgressLine progress(io);
    SolveLimits limits;
    limits.memoryBudgetBytes = settings.memoryBudgetBytes;
    if (io.isTerminal()) {
        limits.onProgress = [&progress](const SolveProgress& now) { progress.show(now); };
    }
    std::int32_t result = -1;
    try {
        result = solve(board, solution, limits, nullptr);
    } catch (const std::bad_alloc&) {
        // The search has released all it held; the game goes on where it was.
        progress.wipe();
        out << text::SOLVE_OUT_OF_MEMORY << '\n' << std::flush;
        return io.readKey() != KEY_END;
    }
    progress.wipe();
    if (result == -1) {
        out << text::NO_SOLUTION << '\n' << std::flush;
        if (io.readKey() == KEY_END) {
            return false;
        }
    }

    // Step 3: replay every push on the live board, collecting the route.
    std::ostringstream route;
    for (const SolutionStep& step : solution) {
        WalkPath walk;
        board.walkTo(step.cell, walk);
        writeArrows(route, walk);
        board.move(step.direction);
        route << text::DIRECTION_ARROWS[step.direction];
    }

    // Step 4: the final position, the time taken and the route.
    drawBoard(io, board);
    const auto elapsed = static_cast<std::int32_t>(io.clockMillis() - start);
    out << text::SOLVE_TIME << elapsed * 0.001 << '\n';
    out << text::SOLVE_ROUTE << route.str() << '\n' << std::flush;
    return io.readKey() != KEY_END;
}

} // namespace goalbox
