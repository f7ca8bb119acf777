// The level file loader: Board::load reads and checks a whole level file, then Board::setLevel
// installs the grid and turns the floor outside the level's walls into CELL_OUTSIDE.
#include "board/Board.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace goalbox {

namespace {

// A board's sizes and indices are 16-bit signed.
constexpr std::size_t MAX_CELLS = 32767;

constexpr int NOT_A_CELL = -1;

// The cell code of one map character, or NOT_A_CELL.
int codeOf(char c) {
    switch (c) {
    case ' ':
    case '@':
        return CELL_FLOOR;
    case '#':
        return CELL_WALL;
    case '$':
        return CELL_BOX;
    case '*':
        return CELL_BOX_ON_GOAL;
    case '.':
    case '+':
        return CELL_GOAL;
    default:
        return NOT_A_CELL;
    }
}

} // namespace

LoadResult Board::load(const std::string& path) {
    try {
        // 1. Open the file. A directory opens as a stream on some systems but is no level.
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) {
            return LOAD_NOT_FOUND;
        }
        // Binary on every system: the bytes decide, not the C library's text mode, which on
        // Windows would turn "\r\r\n" into "\r\n" and end the file at a Ctrl-Z byte.
        std::ifstream file(path, std::ios::binary);
        if (!file) {
            return LOAD_NOT_FOUND;
        }

        // 2. Read the map: every non-empty line up to a line "REM" or the end of the file.
        //    The width counts every line read; the size is checked as it grows.
        std::vector<std::string> rows;
        std::size_t widest = 0;
        std::string line;
        while (std::getline(file, line)) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back(); // the CR of a CR LF line end
            }
            widest           = std::max(widest, line.size());
            const bool isEnd = line == "REM";
            if (!isEnd && !line.empty()) {
                rows.push_back(std::move(line));
            }
            if (widest > MAX_CELLS || rows.size() > MAX_CELLS || rows.size() * widest > MAX_CELLS) {
                return LOAD_BAD_DATA;
            }
            if (isEnd) {
                break;
            }
        }
        const auto rowCount    = static_cast<std::int16_t>(rows.size());
        const auto columnCount = static_cast<std::int16_t>(widest);

        // 3. Build the grid, padding short rows with floor; the last "@" or "+" holds the player.
        std::vector<std::uint8_t> grid(rows.size() * widest, CELL_FLOOR);
        int player = 0;
        for (int row = 0; row < rowCount; ++row) {
            for (std::size_t column = 0; column < rows[row].size(); ++column) {
                const char c   = rows[row][column];
                const int code = codeOf(c);
                if (code == NOT_A_CELL) {
                    return LOAD_BAD_DATA;
                }
                const int cell = row * columnCount + static_cast<int>(column);
                grid[cell]     = static_cast<std::uint8_t>(code);
                if (c == '@' || c == '+') {
                    player = cell;
                }
            }
        }

        // 4. Install it.
        setLevel(grid, rowCount, columnCount, static_cast<CellIndex>(player));
        return LOAD_OK;
    } catch (const std::exception&) {
        return LOAD_BAD_DATA;
    }
}

void Board::setLevel(const std::vector<std::uint8_t>& grid, std::int16_t newHeight,
                     std::int16_t newWidth, CellIndex newPlayerCell) {
    // The marked copy is built completely before any field changes, so a failed allocation
    // leaves the board as it was. A cell becomes outside when it and every cell between it and
    // one edge, straight along its row or its column, were loaded as plain floor.
    std::vector<std::uint8_t> marked(grid);
    const int w = newWidth;
    const int h = newHeight;

    // 1. Row pass: from each end of a row inwards, over floor still unmarked.
    for (int row = 0; row < h; ++row) {
        std::uint8_t* line = marked.data() + row * w;
        for (int column = 0; column < w && line[column] == CELL_FLOOR; ++column) {
            line[column] = CELL_OUTSIDE;
        }
        for (int column = w - 1; column >= 0 && line[column] == CELL_FLOOR; --column) {
            line[column] = CELL_OUTSIDE;
        }
    }

    // 2. Column pass: from each end of a column inwards, over floor as loaded, so a cell the
    //    row pass has marked already does not stop the run.
    for (int column = 0; column < w; ++column) {
        for (int row = 0; row < h && grid[row * w + column] == CELL_FLOOR; ++row) {
            marked[row * w + column] = CELL_OUTSIDE;
        }
        for (int row = h - 1; row >= 0 && grid[row * w + column] == CELL_FLOOR; --row) {
            marked[row * w + column] = CELL_OUTSIDE;
        }
    }

    // 3. Replace the primary fields and derive the rest.
    cells      = std::move(marked);
    playerCell = newPlayerCell;
    height     = newHeight;
    width      = newWidth;
    steps      = 0;
    init();
}

} // namespace goalbox
