// Banner, level selection, the key loop and the finish block.
#include "app/Game.h"

#include <ostream>
#include <string>

#include "app/Commands.h"
#include "app/Display.h"
#include "app/GameIo.h"
#include "app/Messages.h"
#include "board/Board.h"

namespace goalbox {

namespace {

const std::string DEFAULT_LEVEL_DIR = "../STAGES/ZIRK/";

constexpr int KEY_ARROW_PREFIX = 224;
constexpr int KEY_ARROW_UP     = 72;
constexpr int KEY_ARROW_DOWN   = 80;
constexpr int KEY_ARROW_LEFT   = 75;
constexpr int KEY_ARROW_RIGHT  = 77;

// Where play goes after a level: choose another one, or end the program.
enum class Next { CHOOSE_LEVEL, END };

bool isKey(int key, char letter) {
    return key == letter || key == letter - 'A' + 'a';
}

std::string_view loadMessage(LoadResult result) {
    switch (result) {
    case LOAD_OK:
        return text::LOAD_OK_MESSAGE;
    case LOAD_NOT_FOUND:
        return text::LOAD_NOT_FOUND_MESSAGE;
    case LOAD_BAD_DATA:
        return text::LOAD_BAD_DATA_MESSAGE;
    }
    return text::LOAD_UNKNOWN_MESSAGE;
}

// Asks for level names until one loads. False on "quit" or at the end of input.
bool selectLevel(GameIo& io, Board& board) {
    io.clearScreen();
    bool loaded = false;
    while (!loaded) {
        io.out() << text::LEVEL_PROMPT << std::flush;
        std::string line;
        if (!io.readLine(line) || line == "quit") {
            return false;
        }
        const LoadResult result = board.load(DEFAULT_LEVEL_DIR + line);
        io.err() << loadMessage(result) << std::flush;
        loaded = result == LOAD_OK;
    }
    return true;
}

// After Q or a solved board: the taunt, or the continue prompt.
Next finish(GameIo& io, Board& board, BoardSnapshot& snapshot) {
    drawBoard(io, board);
    if (!board.isSolved()) {
        io.out() << text::TAUNT << '\n' << std::flush;
        return Next::END;
    }
    for (;;) {
        io.out() << text::CONTINUE_PROMPT << std::flush;
        const int key = io.readKey();
        if (isKey(key, 'Y')) {
            snapshot = BoardSnapshot{};
            return Next::CHOOSE_LEVEL;
        }
        if (key == KEY_END || isKey(key, 'N')) {
            return Next::END;
        }
        io.out() << '\n';
    }
}

// An arrow key's second code; anything else after 224 does nothing.
void moveByArrow(Board& board, int code) {
    switch (code) {
    case KEY_ARROW_UP:
        board.move(DIR_UP);
        break;
    case KEY_ARROW_DOWN:
        board.move(DIR_DOWN);
        break;
    case KEY_ARROW_LEFT:
        board.move(DIR_LEFT);
        break;
    case KEY_ARROW_RIGHT:
        board.move(DIR_RIGHT);
        break;
    default:
        break;
    }
}

// Runs the key loop on a loaded level until it is left.
Next play(GameIo& io, Board& board, BoardSnapshot& snapshot, const GameSettings& settings) {
    for (;;) {
        // Step 1: show the position and read one key.
        drawBoard(io, board);
        const int key = io.readKey();

        // Step 2: carry out the key's command.
        bool inputOpen = key != KEY_END;
        if (isKey(key, 'Q')) {
            return finish(io, board, snapshot);
        } else if (isKey(key, 'C')) {
            snapshot = BoardSnapshot{};
            return Next::CHOOSE_LEVEL;
        } else if (isKey(key, 'R')) {
            board.restoreSnapshot(snapshot);
        } else if (isKey(key, 'H')) {
            io.out() << text::HELP << std::flush;
            inputOpen = io.readKey() != KEY_END;
        } else if (isKey(key, 'S')) {
            inputOpen = solveCommand(io, board, settings);
        } else if (key >= '0' && key <= '9') {
            inputOpen = goToCellCommand(io, board, key);
        } else if (key == KEY_ARROW_PREFIX) {
            const int code = io.readKey();
            inputOpen      = code != KEY_END;
            moveByArrow(board, code);
        }
        if (!inputOpen) {
            return Next::END;
        }

        // Step 3: a solved board ends the level.
        if (board.isSolved()) {
            return finish(io, board, snapshot);
        }
    }
}

} // namespace

int runGame(GameIo& io, const GameSettings& settings) {
    // Step 1: the banner, and a key to go on.
    io.out() << '\t' << text::TITLE << '\n' << text::INFO << '\n' << std::flush;
    if (io.readKey() == KEY_END) {
        return 0;
    }

    // Step 2: the symbols and the one board of the run.
    fillSymbolTable();
    Board board;
    BoardSnapshot snapshot;

    // Step 3: levels, one after another, until the player leaves.
    while (selectLevel(io, board)) {
        snapshot = BoardSnapshot{};
        board.saveSnapshot(snapshot);
        if (play(io, board, snapshot, settings) == Next::END) {
            break;
        }
    }
    return 0;
}

} // namespace goalbox
