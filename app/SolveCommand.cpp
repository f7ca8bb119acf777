// The solve command of the S key: the search for the fewest steps and, beside it, the search for
// some route, whose answer stands in when the first cannot end.
//
// Threads: both searches run on threads of their own (GameIo::startWorker, which keeps the
// console's signals away from them), each on its own copy of the board. The program's thread
// only waits: every WATCH_INTERVAL, or at once when a search ends, it polls the keys for an Esc,
// redraws the progress line and looks at the searches. So an Esc is answered within that
// interval whatever phase the search is in, every write and every change of the terminal's
// mode stays on one thread, and a search only ever reads one atomic flag to learn that it is to
// stop. The searches are stopped and joined on every way out of the command (SearchThread's
// destructor), an exception included.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <new>
#include <ostream>
#include <sstream>
#include <string_view>
#include <thread>
#include <utility>
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
// How often the waiting command looks at the keys and the searches: an Esc takes effect within
// this.
constexpr std::chrono::milliseconds WATCH_INTERVAL{50};

// The budget's split between the two searches, which together never take more. It is fixed,
// the same with one processor as with many, so that what each search finds depends on the board
// and the budget alone, never on the machine or on timing. The exact search gets three quarters:
// the levels it can end grow with its memory, and its answer is the one the command wants. The
// other finds its route in a fraction of what the exact search would need on the same level, so
// a quarter rarely holds it back.
std::uint64_t anyShare(std::uint64_t budget) {
    return budget / 4;
}
std::uint64_t exactShare(std::uint64_t budget) {
    return budget - anyShare(budget);
}

// What the searches tell the waiting command, under one lock: how far the exact search has come,
// and that a search has ended.
struct SearchNews {
    std::mutex mutex;
    std::condition_variable changed;
    SolveProgress progress;
    bool hasProgress = false;
};

using Search = std::int32_t (*)(Board, std::vector<SolutionStep>&, const SolveLimits&, SolveStats*);

// One search on a thread of its own. Its answer is read only once it has ended; it is stopped
// and joined at the latest when the object goes.
class SearchThread {
  public:
    explicit SearchThread(SearchNews& news) : news_(news) {}
    ~SearchThread() {
        stop();
        join();
    }
    SearchThread(const SearchThread&)            = delete;
    SearchThread& operator=(const SearchThread&) = delete;

    void start(GameIo& io, Search search, const Board& board, SolveLimits limits) {
        limits.shouldStop = [this] { return stopping_.load(std::memory_order_relaxed); };
        thread_           = io.startWorker(
            [this, search, board, limits = std::move(limits)] { run(search, board, limits); });
    }
    bool isStarted() const { return thread_.joinable(); }
    void stop() { stopping_.store(true, std::memory_order_relaxed); }
    void join() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    bool hasEnded() const { return ended_.load(std::memory_order_acquire); }
    // Once ended: out of its memory budget, or the exception that ended it otherwise.
    bool isOutOfMemory() const { return outOfMemory_; }
    const std::exception_ptr& failure() const { return failure_; }
    bool hasRoute() const {
        return hasEnded() && !outOfMemory_ && failure_ == nullptr && result_ != -1;
    }
    std::int32_t result() const { return result_; }
    const std::vector<SolutionStep>& solution() const { return solution_; }

  private:
    void run(Search search, const Board& board, const SolveLimits& limits) {
        try {
            result_ = search(board, solution_, limits, nullptr);
        } catch (const std::bad_alloc&) {
            outOfMemory_ = true; // the search has released all it held
        } catch (...) {
            failure_ = std::current_exception();
        }
        {
            const std::lock_guard<std::mutex> lock(news_.mutex);
            ended_.store(true, std::memory_order_release);
        }
        news_.changed.notify_all();
    }

    SearchNews& news_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> ended_{false};
    std::int32_t result_ = -1;
    bool outOfMemory_    = false;
    std::exception_ptr failure_;
    std::vector<SolutionStep> solution_;
};

// The terminal's key mode for the length of the searches.
class WatchedKeys {
  public:
    explicit WatchedKeys(GameIo& io) : io_(io) { io_.beginKeyWatch(); }
    ~WatchedKeys() { end(); }
    WatchedKeys(const WatchedKeys&)            = delete;
    WatchedKeys& operator=(const WatchedKeys&) = delete;

    void end() {
        if (watching_) {
            watching_ = false;
            io_.endKeyWatch();
        }
    }

  private:
    GameIo& io_;
    bool watching_ = true;
};

// A status line that a terminal shows during the search and that leaves no trace: it is
// rewritten in place and wiped before anything else is written. Nothing of it is written when
// the output is not a terminal, so transcripts stay exact.
class ProgressLine {
  public:
    explicit ProgressLine(GameIo& io) : io_(io), last_(io.clockMillis()) {}

    // First the least steps a solution can still have, rising; once a solution with that many
    // is found, the steps worked through of them. Then the stored positions, or, once the
    // other search holds a route (routeSteps not -1), its length and the key that takes it.
    void showSearch(const SolveProgress& progress, std::int32_t routeSteps) {
        if (!isDue()) {
            return;
        }
        std::ostream& out = begin();
        if (progress.boundReached) {
            out << text::SOLVE_PROGRESS_FEWEST << progress.bound << text::SOLVE_PROGRESS_STEPS
                << text::SOLVE_PROGRESS_ROUTE << progress.done << '/' << progress.bound;
        } else {
            out << text::SOLVE_PROGRESS_BOUND << progress.bound << text::SOLVE_PROGRESS_STEPS;
        }
        if (routeSteps != -1) {
            out << text::SOLVE_PROGRESS_OFFER << routeSteps << text::SOLVE_PROGRESS_OFFER_STEPS;
        } else {
            out << text::SOLVE_PROGRESS_STATES << progress.statesStored;
        }
        finish();
    }
    // While only the search for some route is left: the seconds since the command began.
    void showWait(std::int64_t elapsedMillis) {
        if (!isDue()) {
            return;
        }
        begin() << text::SOLVE_PROGRESS_WAIT << elapsedMillis / 1000
                << text::SOLVE_PROGRESS_WAIT_SECONDS;
        finish();
    }
    void wipe() {
        if (shown_) {
            io_.out() << "\r\x1b[K";
            shown_ = false;
        }
    }

  private:
    bool isDue() {
        if (!io_.isTerminal()) {
            return false;
        }
        const std::int64_t now = io_.clockMillis();
        if (now - last_ < PROGRESS_INTERVAL_MILLIS) {
            return false;
        }
        last_ = now;
        return true;
    }
    std::ostream& begin() {
        shown_ = true;
        return io_.out() << '\r';
    }
    void finish() { io_.out() << "\x1b[K" << std::flush; }

    GameIo& io_;
    std::int64_t last_;
    bool shown_ = false;
};

// How the wait for an answer ended.
enum Ending : std::uint8_t {
    ENDED_EXACT,  // the exact search ended (its answer, or its failure other than memory)
    ENDED_BUDGET, // the exact search ran out of memory, and then the other ended
    ENDED_ESCAPE, // the player pressed Esc
    ENDED_INPUT,  // input ended
};

// The two searches of one S key and the wait for them.
class Searches {
  public:
    Searches(GameIo& io, const Board& board, const GameSettings& settings)
        : io_(io), board_(board), settings_(settings) {}

    // Starts the exact search and, with more than one processor, the other beside it.
    void start() {
        SolveLimits limits;
        limits.memoryBudgetBytes = exactShare(settings_.memoryBudgetBytes);
        if (io_.isTerminal()) {
            limits.onProgress = [this](const SolveProgress& now) {
                const std::lock_guard<std::mutex> lock(news_.mutex);
                news_.progress    = now;
                news_.hasProgress = true;
            };
        }
        const Search exactSearch = solve;
        exact_.start(io_, exactSearch, board_, std::move(limits));
        if (settings_.processorCount > 1) {
            startAny();
        }
    }

    // Waits until there is something to show, with the progress line on a terminal meanwhile.
    Ending wait(ProgressLine& line, std::int64_t start) {
        for (;;) {
            const int endedBefore = endedCount();
            // 1. The exact search has ended: its answer, unless it ran out of memory; then the
            //    other's once that has ended too (started only now on a single processor).
            if (exact_.hasEnded()) {
                if (!exact_.isOutOfMemory()) {
                    return ENDED_EXACT;
                }
                if (!any_.isStarted()) {
                    startAny();
                }
                if (any_.hasEnded()) {
                    return ENDED_BUDGET;
                }
            }
            // 2. The keys: an Esc, or the end of input.
            const KeyWatch keys = io_.pollKeyWatch();
            if (keys == WATCH_ESCAPE) {
                return ENDED_ESCAPE;
            }
            if (keys == WATCH_END) {
                return ENDED_INPUT;
            }
            // 3. The progress line.
            if (exact_.hasEnded()) {
                line.showWait(io_.clockMillis() - start);
            } else if (const SolveProgress* progress = latestProgress()) {
                line.showSearch(*progress, any_.hasRoute() ? any_.result() - board_.steps : -1);
            }
            // 4. Sleep until a search ends or the interval has passed.
            std::unique_lock<std::mutex> lock(news_.mutex);
            news_.changed.wait_for(lock, WATCH_INTERVAL,
                                   [&] { return endedCount() != endedBefore; });
        }
    }

    // Asks both searches to stop; their threads are joined by join() or at the latest when
    // the object goes.
    void stop() {
        exact_.stop();
        any_.stop();
    }
    void join() {
        exact_.join();
        any_.join();
    }

    const SearchThread& exact() const { return exact_; }
    const SearchThread& any() const { return any_; }

  private:
    void startAny() {
        SolveLimits limits;
        limits.memoryBudgetBytes = anyShare(settings_.memoryBudgetBytes);
        any_.start(io_, solveAny, board_, std::move(limits));
    }
    int endedCount() const {
        return static_cast<int>(exact_.hasEnded()) + static_cast<int>(any_.hasEnded());
    }
    const SolveProgress* latestProgress() {
        const std::lock_guard<std::mutex> lock(news_.mutex);
        if (!news_.hasProgress) {
            return nullptr;
        }
        progress_ = news_.progress;
        return &progress_;
    }

    GameIo& io_;
    const Board& board_;
    const GameSettings& settings_;
    SolveProgress progress_;
    // The news outlive the threads that write them.
    SearchNews news_;
    SearchThread exact_{news_};
    SearchThread any_{news_};
};

// Replays the pushes on the live board, collecting the route, and shows the final position, why
// the route may be longer than needed (when caveat is not empty), the time since start and the
// route.
void showRoute(GameIo& io, Board& board, const std::vector<SolutionStep>& solution,
               std::int64_t start, std::string_view caveat) {
    std::ostringstream route;
    for (const SolutionStep& step : solution) {
        WalkPath walk;
        board.walkTo(step.cell, walk);
        writeArrows(route, walk);
        board.move(step.direction);
        route << text::DIRECTION_ARROWS[step.direction];
    }
    drawBoard(io, board);
    std::ostream& out = io.out();
    if (!caveat.empty()) {
        out << caveat << '\n';
    }
    const auto elapsed = static_cast<std::int32_t>(io.clockMillis() - start);
    out << text::SOLVE_TIME << elapsed * 0.001 << '\n';
    out << text::SOLVE_ROUTE << route.str() << '\n' << std::flush;
}

} // namespace

bool solveCommand(GameIo& io, Board& board, const GameSettings& settings) {
    std::ostream& out = io.out();

    // Step 1: announce the search and start the clock.
    out << text::SOLVING << '\n' << std::flush;
    const std::int64_t start = io.clockMillis();

    // Step 2: the searches on copies; the live board is untouched until the replay. The keys
    // are watched for an Esc meanwhile.
    WatchedKeys watch(io);
    ProgressLine progress(io);
    Searches searches(io, board, settings);
    searches.start();
    const Ending ending = searches.wait(progress, start);
    searches.stop();
    progress.wipe();
    // What is shown may be written while a search still winds down; it is joined, and the
    // terminal given back, before any key is read.
    auto settle = [&] {
        searches.join();
        watch.end();
    };
    const SearchThread& exact = searches.exact();
    const SearchThread& any   = searches.any();

    // Step 3: the exact search's answer, exactly as without the other search.
    if (ending == ENDED_EXACT) {
        if (exact.failure() != nullptr) {
            std::rethrow_exception(exact.failure());
        }
        if (exact.result() == -1) {
            out << text::NO_SOLUTION << '\n' << std::flush;
            settle();
            if (io.readKey() == KEY_END) {
                return false;
            }
        }
        showRoute(io, board, exact.solution(), start, {});
        settle();
        return io.readKey() != KEY_END;
    }
    if (ending == ENDED_INPUT) {
        settle();
        return false;
    }

    // Step 4: otherwise the other search's route, when it has one.
    if (any.hasEnded() && any.failure() != nullptr) {
        std::rethrow_exception(any.failure());
    }
    if (any.hasRoute()) {
        showRoute(io, board, any.solution(), start,
                  ending == ENDED_BUDGET ? text::SOLVE_BUDGET_ROUTE : text::SOLVE_STOPPED_ROUTE);
    } else {
        out << (ending == ENDED_BUDGET ? text::SOLVE_OUT_OF_MEMORY : text::SOLVE_STOPPED) << '\n'
            << std::flush;
    }
    settle();
    return io.readKey() != KEY_END;
}

} // namespace goalbox
