// The go-to-cell command of the digit keys.
#include <cstdint>
#include <ostream>

#include "app/Commands.h"
#include "app/Display.h"
#include "app/GameIo.h"
#include "app/Messages.h"
#include "board/Board.h"

namespace goalbox {

namespace {

bool isDigitKey(int key) {
    return key >= '0' && key <= '9';
}

// Reads further digits into number (kept modulo 65536, like the target cell) and echoes
// them; returns the first key that is not a digit, used up and not echoed.
int readNumber(GameIo& io, std::uint16_t& number) {
    for (;;) {
        const int key = io.readKey();
        if (!isDigitKey(key)) {
            return key;
        }
        io.echo(key);
        number = static_cast<std::uint16_t>(number * 10u + static_cast<unsigned>(key - '0'));
    }
}

} // namespace

bool goToCellCommand(GameIo& io, Board& board, int firstKey) {
    std::ostream& out = io.out();

    // Step 1: the column, starting with the key that opened the command.
    out << "X:";
    io.echo(firstKey);
    std::uint16_t column = static_cast<std::uint16_t>(firstKey - '0');
    if (readNumber(io, column) == KEY_END) {
        return false;
    }

    // Step 2: the row; a first key that is not a digit abandons the command.
    out << "\tY:";
    const int rowKey = io.readKey();
    if (rowKey == KEY_END) {
        return false;
    }
    if (!isDigitKey(rowKey)) {
        return true;
    }
    io.echo(rowKey);
    std::uint16_t row = static_cast<std::uint16_t>(rowKey - '0');
    if (readNumber(io, row) == KEY_END) {
        return false;
    }
    out << '\n';

    // Step 3: the target keeps 16 bits; range and reachability are the walk's business.
    const std::uint32_t wide =
        static_cast<std::uint32_t>(row) * static_cast<std::uint16_t>(board.width) + column;
    const auto target = static_cast<CellIndex>(static_cast<std::uint16_t>(wide));
    WalkPath path;
    board.walkTo(target, path);

    // Step 4: the walk's length and its arrows, then a key to go back.
    out << text::PATH_LENGTH << path.size() << '\n';
    writeArrows(out, path);
    out << '\n' << std::flush;
    return io.readKey() != KEY_END;
}

} // namespace goalbox
