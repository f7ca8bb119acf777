// The solve command of the S key.
#include <cstdint>
#include <new>
#include <ostream>
#include <sstream>
#include <vector>

#include "app/Commands.h"
#include "app/Display.h"
#include "app/GameIo.h"
#include "app/Messages.h"
#include "board/Board.h"
#include "solver/Search.h"

namespace goalbox {

bool solveCommand(GameIo& io, Board& board) {
    std::ostream& out = io.out();
    std::vector<SolutionStep> solution;

    // Step 1: announce the search and start the clock.
    out << text::SOLVING << '\n' << std::flush;
    const std::int64_t start = io.clockMillis();

    // Step 2: search on a copy; the live board is untouched until the replay.
    std::int32_t result = -1;
    try {
        result = solve(board, solution);
    } catch (const std::bad_alloc&) {
        // The search has released all it held; the game goes on where it was.
        out << text::SOLVE_OUT_OF_MEMORY << '\n' << std::flush;
        return io.readKey() != KEY_END;
    }
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
        board.move(static_cast<Direction>(step.direction));
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
