// The board display and the arrow writer.
#include "app/Display.h"

#include <ostream>

#include "analysis/DeadPosition.h"
#include "app/GameIo.h"
#include "app/Messages.h"

namespace goalbox {

std::map<std::uint8_t, std::string_view> SymbolTable;

void fillSymbolTable() {
    SymbolTable = {
        {CELL_OUTSIDE, text::SYMBOL_OUTSIDE},
        {CELL_WALL, text::SYMBOL_WALL},
        {CELL_BOX, text::SYMBOL_BOX},
        {CELL_FLOOR, text::SYMBOL_FLOOR},
        {CELL_BOX_ON_GOAL, text::SYMBOL_BOX_ON_GOAL},
        {CELL_GOAL, text::SYMBOL_GOAL},
    };
}

namespace {

// Row and column labels: at least two digits, padded with "0" ("00" ... "99", "100").
void appendLabel(std::string& frame, int number) {
    if (number < 10) {
        frame += '0';
    }
    frame += std::to_string(number);
}

} // namespace

std::string renderBoard(const Board& board) {
    std::string frame;
    frame += text::HELP_HINT;
    frame += '\n';

    frame += "  ";
    for (int column = 0; column < board.width; ++column) {
        appendLabel(frame, column);
    }
    frame += '\n';

    for (int row = 0; row < board.height; ++row) {
        appendLabel(frame, row);
        for (int column = 0; column < board.width; ++column) {
            const auto cell = static_cast<CellIndex>(row * board.width + column);
            if (cell == board.playerCell) {
                frame += text::SYMBOL_PLAYER;
                continue;
            }
            std::uint8_t code = CELL_OUTSIDE;
            if (cell >= 0 && static_cast<std::size_t>(cell) < board.cells.size()) {
                code = board.cells[static_cast<std::size_t>(cell)];
            }
            const auto symbol = SymbolTable.find(code);
            frame += symbol != SymbolTable.end() ? symbol->second : text::SYMBOL_OUTSIDE;
        }
        frame += '\n';
    }

    frame += text::STEP_COUNTER;
    frame += std::to_string(board.steps);
    frame += '\n';

    if (isTrapped(board)) {
        frame += text::TRAPPED_WARNING;
        frame += '\n';
    }
    return frame;
}

void drawBoard(GameIo& io, const Board& board) {
    io.clearScreen();
    io.out() << renderBoard(board) << std::flush;
}

void writeArrows(std::ostream& out, const WalkPath& path) {
    for (const Direction d : path) {
        out << text::DIRECTION_ARROWS[d];
    }
}

} // namespace goalbox
