#include "solver/reference/SearchState.h"

#include <cstddef>

namespace goalbox {

std::uint32_t boxHash(const Board& board) {
    std::uint32_t hash = 0;
    for (CellIndex cell = 0; cell < board.cellCount; ++cell) {
        if (isBox(board.cells[static_cast<std::size_t>(cell)])) {
            const auto i = static_cast<std::uint32_t>(cell);
            hash         = (hash + i * (i + 1) * (i + 2)) % 65536u;
        }
    }
    return hash;
}

SearchState captureState(const Board& board) {
    SearchState s;
    board.saveSnapshot(s);
    s.solved = board.isSolved();
    s.hash   = boxHash(board);
    return s;
}

bool isSamePosition(const SearchState& a, const SearchState& b) {
    // Cheap fields first; the box bits last, whole words at a time.
    return a.hash == b.hash && a.playerCell == b.playerCell &&
           a.boxBits.bitCount == b.boxBits.bitCount && a.boxBits.words == b.boxBits.words;
}

} // namespace goalbox
