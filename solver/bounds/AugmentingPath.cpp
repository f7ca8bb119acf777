#include "solver/bounds/AugmentingPath.h"

#include <algorithm>
#include <cstddef>
#include <limits>

namespace goalbox {

namespace {

constexpr std::int64_t SLACK_NONE = std::numeric_limits<std::int64_t>::max() / 4;

} // namespace

void AugmentingPath::augment(const std::int64_t* costs, std::int32_t columnCount, std::int32_t row,
                             std::int64_t* rowPotential, std::int64_t* columnPotential,
                             std::int32_t* columnRow) {
    const std::int32_t m = columnCount;
    const auto columns   = static_cast<std::size_t>(m) + 1;
    if (minSlack_.size() < columns) {
        minSlack_.resize(columns);
        way_.resize(columns);
        used_.resize(columns);
    }
    std::int64_t* u      = rowPotential;
    std::int64_t* v      = columnPotential;
    std::int32_t* owner  = columnRow;
    std::int32_t* way    = way_.data();
    std::int64_t* slack  = minSlack_.data();
    std::uint8_t* used   = used_.data();
    owner[0]             = row;
    std::int32_t column0 = 0;
    std::fill(slack, slack + columns, SLACK_NONE);
    std::fill(used, used + columns, std::uint8_t{0});
    do {
        used[column0]           = 1;
        const std::int32_t row0 = owner[column0];
        const std::int64_t* line =
            &costs[static_cast<std::size_t>(row0 - 1) * static_cast<std::size_t>(m)];
        const std::int64_t base = u[row0];
        std::int64_t delta      = SLACK_NONE;
        std::int32_t column1    = 0;
        for (std::int32_t column = 1; column <= m; ++column) {
            if (used[column]) {
                continue;
            }
            const std::int64_t reduced = line[column - 1] - base - v[column];
            if (reduced < slack[column]) {
                slack[column] = reduced;
                way[column]   = column0;
            }
            if (slack[column] < delta) {
                delta   = slack[column];
                column1 = column;
            }
        }
        for (std::int32_t column = 0; column <= m; ++column) {
            if (used[column]) {
                u[owner[column]] += delta;
                v[column] -= delta;
            } else {
                slack[column] -= delta;
            }
        }
        column0 = column1;
    } while (owner[column0] != 0);
    // Flip the augmenting path.
    do {
        const std::int32_t column1 = way[column0];
        owner[column0]             = owner[column1];
        column0                    = column1;
    } while (column0 != 0);
}

std::uint64_t AugmentingPath::memoryBytes() const {
    return minSlack_.capacity() * sizeof(std::int64_t) + way_.capacity() * sizeof(std::int32_t) +
           used_.capacity();
}

} // namespace goalbox
