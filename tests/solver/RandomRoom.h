#ifndef TESTS_SOLVER_RANDOMROOM_H
#define TESTS_SOLVER_RANDOMROOM_H

#include <algorithm>
#include <cstddef>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace goalbox::test {

// A walled room of the given inner size with a few inner walls, boxCount boxes and as many
// goals, and the player on a free cell. With pulls > 0 the boxes start on the goals and the
// player then pulls them about at random, so the room is solvable; with pulls 0 boxes and
// goals are placed at random, which is often unsolvable.
inline std::vector<std::string> randomRoom(std::mt19937& random, int innerWidth, int innerHeight,
                                           int boxCount, int pulls) {
    std::vector<std::string> rows(static_cast<std::size_t>(innerHeight + 2),
                                  std::string(static_cast<std::size_t>(innerWidth + 2), '#'));
    std::vector<std::pair<int, int>> free;
    std::bernoulli_distribution wall(0.1);
    for (int r = 1; r <= innerHeight; ++r) {
        for (int c = 1; c <= innerWidth; ++c) {
            if (!wall(random)) {
                rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = ' ';
                free.emplace_back(r, c);
            }
        }
    }
    if (static_cast<int>(free.size()) < 2 * boxCount + 1) {
        return rows;
    }
    std::shuffle(free.begin(), free.end(), random);
    std::vector<bool> goal(rows.size() * rows[0].size(), false);
    std::vector<bool> box(goal.size(), false);
    auto index = [&rows](int r, int c) {
        return static_cast<std::size_t>(r) * rows[0].size() + static_cast<std::size_t>(c);
    };
    for (int i = 0; i < boxCount; ++i) {
        const auto [r, c] = free[static_cast<std::size_t>(i)];
        goal[index(r, c)] = true;
        // Without pulls the boxes go to other free cells, else they start on the goals.
        const auto [br, bc] = free[static_cast<std::size_t>(pulls > 0 ? i : boxCount + i)];
        box[index(br, bc)]  = true;
    }
    auto [pr, pc] = free[static_cast<std::size_t>(2 * boxCount)];

    const int dr[] = {0, 1, -1, 0};
    const int dc[] = {1, 0, 0, -1};
    std::uniform_int_distribution<int> direction(0, 3);
    std::bernoulli_distribution pullBox(0.6);
    auto open = [&](int r, int c) {
        return rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] != '#' &&
               !box[index(r, c)];
    };
    for (int i = 0; i < pulls; ++i) {
        const int d  = direction(random);
        const int nr = pr + dr[d], nc = pc + dc[d];
        if (!open(nr, nc)) {
            continue;
        }
        // The box behind the player follows it: the reverse of a push.
        const int br = pr - dr[d], bc = pc - dc[d];
        if (box[index(br, bc)] && pullBox(random)) {
            box[index(br, bc)] = false;
            box[index(pr, pc)] = true;
        }
        pr = nr;
        pc = nc;
    }

    for (int r = 1; r <= innerHeight; ++r) {
        for (int c = 1; c <= innerWidth; ++c) {
            char& cell = rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
            if (cell == '#') {
                continue;
            }
            const bool g = goal[index(r, c)];
            if (box[index(r, c)]) {
                cell = g ? '*' : '$';
            } else if (r == pr && c == pc) {
                cell = g ? '+' : '@';
            } else {
                cell = g ? '.' : ' ';
            }
        }
    }
    return rows;
}

// The rows as one text, for a failure message.
inline std::string picture(const std::vector<std::string>& rows) {
    std::string text;
    for (const std::string& row : rows) {
        text += row + '\n';
    }
    return text;
}

} // namespace goalbox::test

#endif
