// Fuzz target: any bytes as a level file. Board::load must give one of its three results, leave
// the board exactly as it was on a failure, and on success leave a board whose derived fields
// are those init() gives, whose player stands on the grid (or on cell 0 of an empty one), and
// whose size, player and cells agree with a plain reading of the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "analysis/DeadPosition.h"
#include "board/Board.h"
#include "board/WalkSearch.h"
#include "tests/fuzz/FuzzCheck.h"

namespace goalbox::fuzz {
namespace {

constexpr std::size_t MAX_CELLS = 32767;

// What a plain reading of the file says: the lines up to "REM" without their CR LF or LF ends,
// the width over every line read, and whether the map is too large or holds a bad character.
struct Expected {
    LoadResult result = LOAD_OK;
    std::vector<std::string> rows;
    std::size_t width = 0;
    int playerCell    = 0;
};

bool isMapCharacter(char c) {
    return std::string_view(" #$*.@+").find(c) != std::string_view::npos;
}

Expected readPlainly(std::string_view bytes) {
    Expected e;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t end = std::min(bytes.find('\n', at), bytes.size());
        std::string line(bytes.substr(at, end - at));
        at = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        e.width = std::max(e.width, line.size());
        if (line == "REM") {
            break;
        }
        if (!line.empty()) {
            e.rows.push_back(line);
        }
    }
    if (e.width > MAX_CELLS || e.rows.size() * e.width > MAX_CELLS) {
        e.result = LOAD_BAD_DATA;
        return e;
    }
    for (std::size_t row = 0; row < e.rows.size(); ++row) {
        for (std::size_t column = 0; column < e.rows[row].size(); ++column) {
            const char c = e.rows[row][column];
            if (!isMapCharacter(c)) {
                e.result = LOAD_BAD_DATA;
                return e;
            }
            if (c == '@' || c == '+') {
                e.playerCell = static_cast<int>(row * e.width + column);
            }
        }
    }
    return e;
}

// The code a map character stands for, before the outside marking.
std::uint8_t loadedCode(char c) {
    switch (c) {
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
        return CELL_FLOOR;
    }
}

void checkSameBoard(const Board& a, const Board& b) {
    FUZZ_CHECK(a.cells == b.cells);
    FUZZ_CHECK(a.playerCell == b.playerCell);
    FUZZ_CHECK(a.height == b.height);
    FUZZ_CHECK(a.width == b.width);
    FUZZ_CHECK(a.steps == b.steps);
    FUZZ_CHECK(a.cellCount == b.cellCount);
    FUZZ_CHECK(a.boxCount == b.boxCount);
    FUZZ_CHECK(a.dirOffset == b.dirOffset);
}

void checkLoaded(const Board& board, const Expected& e) {
    FUZZ_CHECK(board.cells.size() == static_cast<std::size_t>(board.height * board.width));
    Board derived = board;
    derived.init();
    FUZZ_CHECK(derived.cellCount == board.cellCount);
    FUZZ_CHECK(derived.boxCount == board.boxCount);
    FUZZ_CHECK(derived.dirOffset == board.dirOffset);
    FUZZ_CHECK(board.isValidCell(board.playerCell) ||
               (board.playerCell == 0 && board.cellCount == 0));
    FUZZ_CHECK(board.steps == 0);

    FUZZ_CHECK(static_cast<std::size_t>(board.height) == e.rows.size());
    FUZZ_CHECK(static_cast<std::size_t>(board.width) == e.width);
    FUZZ_CHECK(board.playerCell == e.playerCell);
    // Every cell keeps its loaded code, except plain floor, which may have become outside.
    for (std::size_t row = 0; row < e.rows.size(); ++row) {
        for (std::size_t column = 0; column < e.width; ++column) {
            const char c              = column < e.rows[row].size() ? e.rows[row][column] : ' ';
            const std::uint8_t code   = board.cells[row * e.width + column];
            const std::uint8_t wanted = loadedCode(c);
            FUZZ_CHECK(code == wanted || (wanted == CELL_FLOOR && code == CELL_OUTSIDE));
        }
    }
}

// The file every input is written to, removed when the run ends.
struct ScratchFile {
    ScratchFile() {
        const char* dir = std::getenv("TMPDIR");
        path = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/goalbox-fuzz-level-" +
               std::to_string(::getpid());
    }
    ~ScratchFile() { std::remove(path.c_str()); }
    ScratchFile(const ScratchFile&)            = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    std::string path;
};

} // namespace
} // namespace goalbox::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace goalbox;
    using namespace goalbox::fuzz;
    static const ScratchFile scratch;
    const std::string& path = scratch.path;
    // One board for the whole run, so a load lands on whatever the last successful load left.
    static Board board;

    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        FUZZ_CHECK(file.good());
    }
    const Board before      = board;
    const LoadResult result = board.load(path);
    const Expected expected = readPlainly(bytes);
    FUZZ_CHECK(result == LOAD_OK || result == LOAD_NOT_FOUND || result == LOAD_BAD_DATA);
    FUZZ_CHECK(result == expected.result);
    if (result != LOAD_OK) {
        checkSameBoard(board, before);
        return 0;
    }
    checkLoaded(board, expected);

    // Whatever loads is a board the rest of the program may be handed.
    static WalkScratch walks;
    static_cast<void>(isTrapped(board));
    walkDistances(board, walks);
    return 0;
}
