// Standard output that cannot take the game's writes: a full device, a closed descriptor, a
// reader that goes away after ten bytes. The game must neither hang nor crash: it plays the keys
// to the end of its input and ends with exit code 0 (a sanitizer report would change that).
#include "e2e/PipeSessionTest.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace goalbox::test {
namespace {

const std::string ROOM_LEVEL = "#######\n#@    #\n#  $  #\n#  .  #\n#######\n";

// Moves, a walk, help, a solve with its replay, and Q: every kind of output the game writes.
const std::string KEYS = "x"
                         "room\n"
                         "\x1b[C"
                         "3,1\n"
                         "k"
                         "h"
                         "k"
                         "s"
                         "k"
                         "q";

class OutputFailure : public PipeSession {
  protected:
    // Runs `redirections` after the game in bash, from the run folder, with the keys on
    // standard input and a time limit; returns the game's exit status (124: timed out).
    int runWith(const std::string& redirections) const {
        std::ofstream(root + "/keys", std::ios::binary) << KEYS;
        std::ofstream script(root + "/run.sh");
        script << "cd '" << runDir << "' || exit 99\n"
               << "LC_ALL=C timeout 60 '" << GOALBOX_BINARY << "' < ../keys " << redirections
               << "\n"
               << "echo \"${PIPESTATUS[0]}\" > ../status\n";
        script.close();
        const int status = std::system(("bash '" + root + "/run.sh'").c_str());
        EXPECT_TRUE(WIFEXITED(status));
        std::ifstream in(root + "/status");
        int code = -1;
        in >> code;
        return code;
    }
    std::string fileText(const std::string& name) const {
        std::ifstream in(root + "/" + name, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

TEST_F(OutputFailure, FullDevice) {
    writeLevel("room", ROOM_LEVEL);
    EXPECT_EQ(runWith("> /dev/full 2> ../err"), 0);
    EXPECT_EQ(fileText("err"), gbk("载入成功:-)\n")); // the other output still works
    EXPECT_EQ(runWith("> /dev/full 2> /dev/full"), 0);
}

TEST_F(OutputFailure, ClosedDescriptors) {
    writeLevel("room", ROOM_LEVEL);
    // With standard output closed, the level file is opened as descriptor 1.
    EXPECT_EQ(runWith(">&- 2> ../err"), 0);
    EXPECT_EQ(fileText("err"), gbk("载入成功:-)\n"));
    EXPECT_EQ(runWith(">&- 2>&-"), 0);
}

TEST_F(OutputFailure, ReaderLeavesAfterTenBytes) {
    writeLevel("room", ROOM_LEVEL);
    EXPECT_EQ(runWith("2> ../err | head -c 10 > ../out"), 0);
    EXPECT_EQ(fileText("out"), banner().substr(0, 10));
    EXPECT_EQ(fileText("err"), gbk("载入成功:-)\n"));
}

} // namespace
} // namespace goalbox::test
