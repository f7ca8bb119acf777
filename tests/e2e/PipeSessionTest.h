#ifndef TESTS_E2E_PIPESESSIONTEST_H
#define TESTS_E2E_PIPESESSIONTEST_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Process.h"

namespace goalbox::test {

// Runs the built game through a pipe with LC_ALL=C (so it writes GBK), from a scratch folder
// "run" beside a scratch "STAGES/ZIRK/" that each test fills with its own levels.
class PipeSession : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    void writeLevel(const std::string& name, const std::string& content) const;
    // env: more environment entries ("NAME=value").
    ProcessResult play(const std::string& input, double timeoutSeconds = 60.0,
                       const std::vector<std::string>& env = {}) const;

    std::string root;
    std::string runDir;
};

// Expected output pieces, built from UTF-8 and converted by the C library's GBK converter.
std::string gbk(const std::string& utf8);
std::string banner();
std::string clear();
std::string levelPrompt();
std::string continuePrompt();
std::string taunt();
// A level file's text: the map's lines, each ended by a line break.
std::string levelText(const std::vector<std::string>& map);
// One drawn display: rows are the symbol strings of each row ("▓♀●▼▓").
std::string frame(const std::vector<std::string>& rows, int width, int steps, bool trapped = false);
// The display of a level map without outside cells ('#', ' ', '$', '.', '*', '@', '+').
std::string mapFrame(const std::vector<std::string>& map, int steps, bool trapped = false);

} // namespace goalbox::test

#endif
