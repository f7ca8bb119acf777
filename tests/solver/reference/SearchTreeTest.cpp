#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "board/Board.h"
#include "solver/reference/SearchState.h"
#include "solver/reference/SearchTree.h"

namespace goalbox {
namespace {

// An open 10 x 5 floor with boxes on the given cells and the player on cell 0.
Board openBoard(const std::vector<CellIndex>& boxCells) {
    Board board;
    board.cells.assign(50, CELL_FLOOR);
    for (const CellIndex cell : boxCells) {
        board.cells[static_cast<std::size_t>(cell)] = CELL_BOX;
    }
    board.height     = 5;
    board.width      = 10;
    board.playerCell = 0;
    board.init();
    return board;
}

// A state as the store sees it: its hash, player, steps and one box bit among 64 cells.
SearchState makeState(std::uint32_t hash, CellIndex player, std::int16_t steps,
                      std::int32_t boxCell = 5) {
    SearchState s;
    s.boxBits.resize(64);
    s.boxBits.set(boxCell);
    s.hash       = hash;
    s.playerCell = player;
    s.steps      = steps;
    s.step       = SolutionStep{player, DIR_DOWN};
    return s;
}

TEST(CaptureState, HashSumsBoxCellProductsModulo65536) {
    EXPECT_EQ(captureState(openBoard({})).hash, 0u);
    EXPECT_EQ(captureState(openBoard({10})).hash, 1320u);
    EXPECT_EQ(captureState(openBoard({10, 20})).hash, 10560u);
    EXPECT_EQ(captureState(openBoard({40})).hash, 3344u);
}

TEST(CaptureState, RecordsBoxesPlayerStepsAndSolvedFlag) {
    Board board   = openBoard({7, 33});
    board.steps   = 12;
    SearchState s = captureState(board);
    EXPECT_EQ(s.boxBits.bitCount, 50);
    EXPECT_TRUE(s.boxBits.test(7));
    EXPECT_TRUE(s.boxBits.test(33));
    EXPECT_FALSE(s.boxBits.test(8));
    EXPECT_EQ(s.playerCell, 0);
    EXPECT_EQ(s.steps, 12);
    EXPECT_FALSE(s.solved);
    EXPECT_EQ(s.step, (SolutionStep{-1, DIR_RIGHT}));

    board.cells[7]  = CELL_BOX_ON_GOAL;
    board.cells[33] = CELL_BOX_ON_GOAL;
    board.cells[40] = CELL_GOAL; // a spare goal does not matter
    EXPECT_TRUE(captureState(board).solved);
}

TEST(SearchTree, ConstructionMakesRootAsFirstEntryOfItsBucket) {
    SearchState initial = captureState(openBoard({10}));
    initial.level       = 4;
    initial.index       = 9;
    const SearchTree tree(initial);

    EXPECT_EQ(initial.level, 0);
    EXPECT_EQ(initial.index, 0);
    ASSERT_EQ(tree.levels.size(), 1u);
    ASSERT_EQ(tree.levels[0].size(), 1u);
    const SearchNode& root = tree.levels[0][0];
    EXPECT_EQ(root.stateRef, (StateRef{1320, 0}));
    EXPECT_FALSE(root.expanded);
    EXPECT_FALSE(root.dead);
    EXPECT_EQ(tree.buckets.size(), 65536u);
    const SearchState& entry = tree.entryAt(root.stateRef);
    EXPECT_TRUE(isSamePosition(entry, initial));
    EXPECT_EQ(entry.level, 0);
    EXPECT_EQ(entry.index, 0);
    // The copy is taken before level and index are set.
    EXPECT_EQ(tree.rootCopy.level, 4);
}

TEST(SearchTree, StoreKeepsEachPositionOnceWithItsFewestSteps) {
    SearchState initial = makeState(100, 1, 0);
    SearchTree tree(initial);

    // The same boxes with the player on two cells (next to each other) are two positions.
    const StoreResult first  = tree.storeState(makeState(200, 10, 8));
    const StoreResult second = tree.storeState(makeState(200, 11, 8));
    EXPECT_EQ(first.outcome, STORE_ADDED);
    EXPECT_EQ(first.ref, (StateRef{200, 0}));
    EXPECT_EQ(second.outcome, STORE_ADDED);
    EXPECT_EQ(second.ref, (StateRef{200, 1}));

    // Equal hash and player but other boxes, or a vector of another length: new positions.
    EXPECT_EQ(tree.storeState(makeState(200, 10, 8, 6)).outcome, STORE_ADDED);
    SearchState longer = makeState(200, 10, 8);
    longer.boxBits.resize(65);
    EXPECT_EQ(tree.storeState(longer).outcome, STORE_ADDED);
    EXPECT_EQ(tree.buckets[200].size(), 4u);

    // As many steps or more: rejected, nothing changes.
    SearchState repeat     = makeState(200, 10, 8);
    repeat.step            = SolutionStep{3, DIR_UP};
    const StoreResult same = tree.storeState(repeat);
    EXPECT_EQ(same.outcome, STORE_REJECTED);
    EXPECT_EQ(same.ref.position, -1);
    repeat.steps = 9;
    EXPECT_EQ(tree.storeState(repeat).outcome, STORE_REJECTED);
    EXPECT_EQ(tree.buckets[200][0].steps, 8);
    EXPECT_EQ(tree.buckets[200][0].step, (SolutionStep{10, DIR_DOWN}));

    // Fewer steps: improved in place, level and index untouched.
    tree.buckets[200][0].level = 3;
    tree.buckets[200][0].index = 2;
    repeat.steps               = 7;
    const StoreResult better   = tree.storeState(repeat);
    EXPECT_EQ(better.outcome, STORE_IMPROVED);
    EXPECT_EQ(better.ref, (StateRef{200, 0}));
    EXPECT_EQ(tree.buckets[200][0].steps, 7);
    EXPECT_EQ(tree.buckets[200][0].step, (SolutionStep{3, DIR_UP}));
    EXPECT_EQ(tree.buckets[200][0].level, 3);
    EXPECT_EQ(tree.buckets[200][0].index, 2);
    EXPECT_EQ(tree.buckets[200].size(), 4u);
}

TEST(SearchTree, AddChildHangsNewNodesAndIgnoresRepeats) {
    SearchState initial = captureState(openBoard({10}));
    SearchTree tree(initial);

    // A state with hash 0 is stored and gets its node like any other.
    tree.addChild(0, 0, makeState(0, 3, 4));
    tree.addChild(0, 0, makeState(0, 4, 4));
    ASSERT_EQ(tree.levels.size(), 2u);
    ASSERT_EQ(tree.levels[1].size(), 2u);
    EXPECT_EQ(tree.levels[1][1].stateRef, (StateRef{0, 1}));
    EXPECT_EQ(tree.levels[1][1].parent, 0);
    EXPECT_EQ(tree.levels[0][0].children, (std::vector<std::int32_t>{0, 1}));
    EXPECT_EQ(tree.buckets[0][1].level, 1);
    EXPECT_EQ(tree.buckets[0][1].index, 1);

    tree.addChild(1, 1, makeState(77, 9, 6));
    ASSERT_EQ(tree.levels.size(), 3u);
    EXPECT_EQ(tree.levels[2][0].parent, 1);

    // A repeat with as many steps makes no node.
    tree.addChild(1, 0, makeState(77, 9, 6));
    EXPECT_EQ(tree.levels[2].size(), 1u);
    EXPECT_TRUE(tree.levels[1][0].children.empty());
}

TEST(SearchTree, CheaperPathRetiresOldNodeAndMakesNewOne) {
    SearchState initial = makeState(1, 1, 0);
    SearchTree tree(initial);
    tree.addChild(0, 0, makeState(10, 2, 10)); // level 1, node 0
    tree.addChild(1, 0, makeState(20, 3, 12)); // level 2, node 0: the position to improve
    tree.addChild(2, 0, makeState(30, 4, 13)); // level 3, node 0: its child

    SearchState cheaper = makeState(20, 3, 8);
    cheaper.step        = SolutionStep{6, DIR_LEFT};
    tree.addChild(0, 0, cheaper);

    const SearchNode& old = tree.levels[2][0];
    EXPECT_TRUE(old.dead);
    EXPECT_TRUE(old.children.empty());
    EXPECT_EQ(old.children.capacity(), 0u);
    EXPECT_FALSE(tree.levels[3][0].dead); // the old child stays, unreachable

    ASSERT_EQ(tree.levels[1].size(), 2u);
    const SearchNode& fresh = tree.levels[1][1];
    EXPECT_FALSE(fresh.dead);
    EXPECT_FALSE(fresh.expanded);
    EXPECT_EQ(fresh.parent, 0);
    EXPECT_EQ(fresh.stateRef, (StateRef{20, 0}));
    EXPECT_EQ(tree.levels[0][0].children, (std::vector<std::int32_t>{0, 1}));

    const SearchState& entry = tree.entryAt(fresh.stateRef);
    EXPECT_EQ(entry.steps, 8);
    EXPECT_EQ(entry.step, (SolutionStep{6, DIR_LEFT}));
    EXPECT_EQ(entry.level, 1);
    EXPECT_EQ(entry.index, 1);
    EXPECT_EQ(tree.buckets[20].size(), 1u);
}

// With the position read back as signed 16 bits, entries past 32767 were named by a negative
// position and a long search corrupted its own links.
TEST(SearchTree, EntriesPastPosition32767StayAddressable) {
    SearchState initial = makeState(1, 1, 0);
    SearchTree tree(initial);
    constexpr std::size_t FILLERS = 32770;
    tree.buckets[7].assign(FILLERS, makeState(7, 50, 3));

    tree.addChild(0, 0, makeState(7, 2, 9));
    const StateRef ref = tree.levels[1][0].stateRef;
    EXPECT_EQ(ref, (StateRef{7, 32770}));
    EXPECT_EQ(tree.entryAt(ref).playerCell, 2);
    EXPECT_EQ(tree.entryAt(ref).level, 1);

    std::int32_t cursor = -1;
    SearchState out;
    tree.nextChild(0, 0, cursor, out);
    EXPECT_EQ(cursor, 0);
    EXPECT_EQ(out.playerCell, 2);
    EXPECT_EQ(out.steps, 9);

    SearchState cheaper = makeState(7, 2, 5);
    tree.addChild(0, 0, cheaper);
    EXPECT_TRUE(tree.levels[1][0].dead);
    EXPECT_EQ(tree.levels[1][1].stateRef, ref);
    EXPECT_EQ(tree.entryAt(ref).steps, 5);
    EXPECT_EQ(tree.entryAt(ref).index, 1);
    EXPECT_EQ(tree.buckets[7].size(), FILLERS + 1);
    EXPECT_EQ(tree.buckets[7][FILLERS - 1].playerCell, 50);
    EXPECT_EQ(tree.buckets[7][FILLERS - 1].level, 0);
}

TEST(SearchTree, NextChildSkipsDeadChildren) {
    SearchState initial = makeState(1, 1, 0);
    SearchTree tree(initial);
    tree.addChild(0, 0, makeState(10, 2, 3)); // level 1 node 0
    tree.addChild(0, 0, makeState(11, 3, 4)); // level 1 node 1
    tree.addChild(0, 0, makeState(12, 4, 5)); // level 1 node 2
    tree.retireNode(1, 0);
    tree.retireNode(1, 2);

    std::int32_t cursor = -1;
    SearchState out;
    tree.nextChild(0, 0, cursor, out);
    EXPECT_EQ(cursor, 1);
    EXPECT_EQ(out.playerCell, 3);
    EXPECT_EQ(out.steps, 4);
    EXPECT_EQ(out.level, 1);
    EXPECT_EQ(out.index, 1);

    // Only a dead child follows the last live one.
    tree.nextChild(0, 0, cursor, out);
    EXPECT_EQ(cursor, -1);
    EXPECT_EQ(out.playerCell, tree.rootCopy.playerCell);

    // A node without children.
    cursor = -1;
    tree.nextChild(1, 1, cursor, out);
    EXPECT_EQ(cursor, -1);

    // A node whose children are all dead.
    tree.retireNode(1, 1);
    cursor = -1;
    tree.nextChild(0, 0, cursor, out);
    EXPECT_EQ(cursor, -1);
}

TEST(SearchTree, RetireReleasesChildrenArrayButKeepsChildNodes) {
    SearchState initial = makeState(1, 1, 0);
    SearchTree tree(initial);
    const std::uint64_t bare = tree.memoryBytes();
    tree.addChild(0, 0, makeState(10, 2, 3));
    tree.addChild(1, 0, makeState(20, 3, 4));
    tree.addChild(1, 0, makeState(21, 4, 4));
    const std::uint64_t grown = tree.memoryBytes();
    // Three entries and three nodes at least.
    EXPECT_GE(grown, bare + 3 * (sizeof(SearchState) + sizeof(SearchNode)));
    EXPECT_EQ(tree.storedCount(), 4u);

    tree.retireNode(1, 0);
    const SearchNode& node = tree.levels[1][0];
    EXPECT_TRUE(node.dead);
    EXPECT_TRUE(node.children.empty());
    EXPECT_EQ(node.children.capacity(), 0u);
    ASSERT_EQ(tree.levels[2].size(), 2u);
    EXPECT_FALSE(tree.levels[2][0].dead);
    EXPECT_FALSE(tree.levels[2][1].dead);
    EXPECT_LT(tree.memoryBytes(), grown);
}

} // namespace
} // namespace goalbox
