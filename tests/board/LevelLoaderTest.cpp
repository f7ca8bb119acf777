// Unit tests of the level file loader: the outside marking, the map format, the player, the
// size limit, and that every failed load leaves the board as it was.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "board/Board.h"
#include "support/SharedLevels.h"

namespace goalbox {
namespace {

namespace fs = std::filesystem;

constexpr std::uint8_t O = CELL_OUTSIDE;
constexpr std::uint8_t W = CELL_WALL;
constexpr std::uint8_t F = CELL_FLOOR;
constexpr std::uint8_t B = CELL_BOX;
constexpr std::uint8_t G = CELL_GOAL;
constexpr std::uint8_t S = CELL_BOX_ON_GOAL;

// Writes level files into a fresh temporary directory and removes it afterwards.
class LevelLoaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        dir_             = fs::temp_directory_path() /
               ("goalbox-loader-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    // Writes the bytes exactly as given and returns the file's path.
    std::string write(const std::string& name, const std::string& bytes) const {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    LoadResult loadText(const std::string& bytes) { return board_.load(write("level.txt", bytes)); }

    fs::path dir_;
    Board board_;
};

// Compares every field of two boards.
void expectSameBoard(const Board& actual, const Board& expected) {
    EXPECT_EQ(actual.cells, expected.cells);
    EXPECT_EQ(actual.playerCell, expected.playerCell);
    EXPECT_EQ(actual.height, expected.height);
    EXPECT_EQ(actual.width, expected.width);
    EXPECT_EQ(actual.steps, expected.steps);
    EXPECT_EQ(actual.cellCount, expected.cellCount);
    EXPECT_EQ(actual.boxCount, expected.boxCount);
    EXPECT_EQ(actual.dirOffset, expected.dirOffset);
}

TEST_F(LevelLoaderTest, LoadsALevelAndDerivesItsFields) {
    ASSERT_EQ(loadText("#####\n#@$.#\n# * #\n#####\n"), LOAD_OK);
    EXPECT_EQ(board_.height, 4);
    EXPECT_EQ(board_.width, 5);
    EXPECT_EQ(board_.cellCount, 20);
    EXPECT_EQ(board_.boxCount, 2);
    EXPECT_EQ(board_.steps, 0);
    EXPECT_EQ(board_.playerCell, 6);
    EXPECT_EQ(board_.cells, (std::vector<std::uint8_t>{W, W, W, W, W, W, F, B, G, W, //
                                                       W, F, S, F, W, W, W, W, W, W}));
    EXPECT_EQ(board_.dirOffset, (std::array<std::int16_t, DIR_COUNT>{1, 5, -5, -1}));
}

TEST_F(LevelLoaderTest, ColumnRunPassesCellsTheRowPassMarked) {
    // Row 1 starts with two floor cells that the row pass marks; the column run from the top
    // of column 1 still reads them as floor and goes on to row 2.
    ASSERT_EQ(loadText("# #\n  #\n# #\n###\n"), LOAD_OK);
    EXPECT_EQ(board_.cells, (std::vector<std::uint8_t>{W, O, W, O, O, W, W, O, W, W, W, W}));
}

TEST_F(LevelLoaderTest, MarksOutsideOnlyInStraightLinesFromTheEdge) {
    // An indented map with a short last row; the floor between the walls of row 2 is closed
    // off above and below, so it stays floor.
    ASSERT_EQ(loadText("  #####\n  #@ .#\n  # ###\n  ###\n"), LOAD_OK);
    EXPECT_EQ(board_.width, 7);
    EXPECT_EQ(board_.cells, (std::vector<std::uint8_t>{
                                O, O, W, W, W, W, W, //
                                O, O, W, F, F, G, W, //
                                O, O, W, F, W, W, W, //
                                O, O, W, W, W, O, O, //
                            }));

    // The bay at row 1, column 1 reaches the bottom edge only around a corner.
    ASSERT_EQ(loadText("####\n#  #\n## #\n## #\n"), LOAD_OK);
    EXPECT_EQ(board_.cells, (std::vector<std::uint8_t>{
                                W, W, W, W, //
                                W, F, O, W, //
                                W, W, O, W, //
                                W, W, O, W, //
                            }));
}

TEST_F(LevelLoaderTest, PadsShortLinesWithOutside) {
    ASSERT_EQ(loadText("#\n###\n##\n"), LOAD_OK);
    EXPECT_EQ(board_.width, 3);
    EXPECT_EQ(board_.cells, (std::vector<std::uint8_t>{W, O, O, W, W, W, W, W, O}));
}

TEST_F(LevelLoaderTest, LineOfSpacesIsARowOfOutside) {
    ASSERT_EQ(loadText("###\n   \n#@#\n"), LOAD_OK);
    EXPECT_EQ(board_.height, 3);
    EXPECT_EQ(board_.cells, (std::vector<std::uint8_t>{W, W, W, O, O, O, W, O, W}));
}

TEST_F(LevelLoaderTest, PlayerOnAStraightRunToTheEdgeStandsOutside) {
    ASSERT_EQ(loadText("@ #\n"), LOAD_OK);
    EXPECT_EQ(board_.playerCell, 0);
    EXPECT_EQ(board_.cells, (std::vector<std::uint8_t>{O, O, W}));
}

TEST_F(LevelLoaderTest, PlayerRules) {
    ASSERT_EQ(loadText("###\n#+#\n###\n"), LOAD_OK);
    EXPECT_EQ(board_.playerCell, 4);
    EXPECT_EQ(board_.cells[4], CELL_GOAL);

    ASSERT_EQ(loadText("###\n#@#\n###\n"), LOAD_OK);
    EXPECT_EQ(board_.playerCell, 4);
    EXPECT_EQ(board_.cells[4], CELL_FLOOR);

    // The last in reading order holds the player: further right in one row, then lower.
    ASSERT_EQ(loadText("#####\n#@#@#\n#####\n"), LOAD_OK);
    EXPECT_EQ(board_.playerCell, 8);
    ASSERT_EQ(loadText("#####\n###@#\n#+###\n#####\n"), LOAD_OK);
    EXPECT_EQ(board_.playerCell, 11);
    EXPECT_EQ(board_.cells[8], CELL_FLOOR);

    ASSERT_EQ(loadText("###\n#.#\n"), LOAD_OK);
    EXPECT_EQ(board_.playerCell, 0);
}

TEST_F(LevelLoaderTest, RemEndsTheMap) {
    const std::string map = "####\n#@.#\n#$ #\n####\n";
    ASSERT_EQ(loadText(map), LOAD_OK);
    const Board plain = board_;
    ASSERT_EQ(loadText(map + "\n\n"), LOAD_OK);
    expectSameBoard(board_, plain);
    ASSERT_EQ(loadText(map + "REM\nreference: anything \t\x80 at all\n"), LOAD_OK);
    expectSameBoard(board_, plain);

    // The "REM" line counts toward the width, so a narrower map grows to three columns.
    ASSERT_EQ(loadText("##\n##\nREM\n"), LOAD_OK);
    EXPECT_EQ(board_.height, 2);
    EXPECT_EQ(board_.width, 3);
    EXPECT_EQ(board_.cells, (std::vector<std::uint8_t>{W, W, O, W, W, O}));
}

TEST_F(LevelLoaderTest, MapsWithoutRowsLoadAsEmptyBoards) {
    for (const std::string text : {"", "\n\n\n", "REM\n###\n"}) {
        ASSERT_EQ(loadText(text), LOAD_OK) << text;
        EXPECT_EQ(board_.height, 0);
        EXPECT_EQ(board_.cellCount, 0);
        EXPECT_TRUE(board_.cells.empty());
        EXPECT_FALSE(board_.isSolved());
    }
    EXPECT_EQ(board_.width, 3);
}

TEST_F(LevelLoaderTest, LineEnds) {
    ASSERT_EQ(loadText("####\n#@$#\n# .#\n####\n"), LOAD_OK);
    const Board plain = board_;
    // CR LF line ends, with and without "REM", and no line end after the last line.
    ASSERT_EQ(loadText("####\r\n#@$#\r\n# .#\r\n####\r\n"), LOAD_OK);
    expectSameBoard(board_, plain);
    ASSERT_EQ(loadText("####\r\n#@$#\r\n# .#\r\n####\r\nREM\r\nx\r\n"), LOAD_OK);
    expectSameBoard(board_, plain);
    ASSERT_EQ(loadText("####\n#@$#\n# .#\n####"), LOAD_OK);
    expectSameBoard(board_, plain);
    // Empty lines above, between and below the map lines are skipped.
    ASSERT_EQ(loadText("\n\n####\n#@$#\n\n# .#\r\n\r\n####\n\n"), LOAD_OK);
    expectSameBoard(board_, plain);
}

TEST_F(LevelLoaderTest, BadCharactersAreBadData) {
    ASSERT_EQ(loadText("###\n#@#\n###\n"), LOAD_OK);
    const Board before = board_;
    for (const std::string text :
         {"###\n#@\t#\n###\n",      // tab
          "###\n#@x\n###\n",        // letter
          "###\n#@1\n###\n",        // digit
          "###\n#@\xC4\n###\n",     // byte of 128 or more
          "###\n#\r@#\n###\n",      // a lone carriage return
          "###\n#@#\r\r\n###\n",    // a second carriage return before the line end
          "###\n#@#\nrem\nx\n",     // lower-case rem is a map line
          "###\n#@#\nREM \n",       // so is "REM" with a space after it
          "###\n#@#\n###\n#.##X\n", // the last line
          // Read in text mode, Windows took "\r\r\n" for "\r\n" (a line "#@#" after its one
          // CR was dropped) and ended the file at a Ctrl-Z byte, so these two loaded there.
          "###\n#@#\r\r\n###\r\n", "###\n#@#\n\x1a\n###\n"}) {
        EXPECT_EQ(loadText(text), LOAD_BAD_DATA) << text;
        expectSameBoard(board_, before);
    }
}

TEST_F(LevelLoaderTest, SizeLimit) {
    // 7 * 4681 = 32767 cells: the largest board a 16-bit index reaches.
    std::string fits;
    for (int row = 0; row < 7; ++row) {
        fits += std::string(4681, '#') + "\n";
    }
    ASSERT_EQ(loadText(fits), LOAD_OK);
    EXPECT_EQ(board_.cellCount, 32767);
    EXPECT_EQ(board_.dirOffset[DIR_DOWN], 4681);
    EXPECT_EQ(board_.cells.size(), 32767u);

    ASSERT_EQ(loadText("#@#\n"), LOAD_OK);
    const Board before = board_;
    std::string tooMany;
    for (int row = 0; row < 8; ++row) {
        tooMany += std::string(4096, '#') + "\n";
    }
    const std::string tooLong = "#\n" + std::string(32768, ' ') + "\n";
    // 16384 rows of one wall each, widened to 3 columns by the "REM" line.
    std::string widenedByRem;
    for (int row = 0; row < 16384; ++row) {
        widenedByRem += "#\n";
    }
    widenedByRem += "REM\n";
    for (const std::string& text : {tooMany, tooLong, widenedByRem}) {
        EXPECT_EQ(loadText(text), LOAD_BAD_DATA) << text.size();
        expectSameBoard(board_, before);
    }
}

TEST_F(LevelLoaderTest, UnopenablePathsAreNotFoundAndKeepTheLevel) {
    ASSERT_EQ(loadText("#####\n#@$.#\n#####\n"), LOAD_OK);
    ASSERT_EQ(board_.move(DIR_RIGHT), 7);
    const Board before = board_;
    EXPECT_EQ(board_.load((dir_ / "missing.txt").string()), LOAD_NOT_FOUND);
    expectSameBoard(board_, before);
    EXPECT_EQ(board_.steps, 1);
    EXPECT_EQ(board_.load(dir_.string()), LOAD_NOT_FOUND);
    expectSameBoard(board_, before);
}

TEST_F(LevelLoaderTest, FailureBeforeTheFirstLoadKeepsTheDefaultBoard) {
    EXPECT_EQ(board_.load((dir_ / "missing.txt").string()), LOAD_NOT_FOUND);
    expectSameBoard(board_, Board{});
    EXPECT_EQ(loadText("#?#\n"), LOAD_BAD_DATA);
    expectSameBoard(board_, Board{});
}

// Every level file below dir (the files whose extension is extension, "" for none) loads with
// its player on an enterable cell and as many goals as boxes. Returns how many there were.
int expectEveryLevelLoads(const fs::path& dir, const fs::path& extension) {
    int levels = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (!entry.is_regular_file() || entry.path().extension() != extension) {
            continue;
        }
        ++levels;
        Board board;
        if (board.load(entry.path().string()) != LOAD_OK) {
            ADD_FAILURE() << "does not load: " << entry.path();
            continue;
        }
        EXPECT_TRUE(isEnterable(board.cells[board.playerCell])) << entry.path();
        int goals = 0;
        for (const std::uint8_t code : board.cells) {
            goals += isGoal(code) ? 1 : 0;
        }
        EXPECT_GT(board.boxCount, 0) << entry.path();
        EXPECT_EQ(goals, board.boxCount) << entry.path();
    }
    return levels;
}

// The shipped levels and the bench's.
TEST(RepositoryLevelsTest, EveryLevelLoads) {
    EXPECT_GT(expectEveryLevelLoads(fs::path(GOALBOX_SOURCE_DIR) / "STAGES/ZIRK", ""), 0);
    EXPECT_GT(expectEveryLevelLoads(fs::path(GOALBOX_SOURCE_DIR) / "bench/levels", ".txt"), 0);
}

TEST(SharedLevelsTest, EveryLevelLoads) {
    GOALBOX_SKIP_WITHOUT_SHARED_LEVELS();
    EXPECT_GT(expectEveryLevelLoads(GOALBOX_SHARED_LEVELS, ".txt"), 0);
}

} // namespace
} // namespace goalbox
