#ifndef TESTS_SUPPORT_PROCESS_H
#define TESTS_SUPPORT_PROCESS_H

#include <string>
#include <vector>

namespace goalbox::test {

struct ProcessResult {
    std::string out;
    std::string err;
    int exitCode  = -1; // -1 when killed by a signal or by the time limit
    bool timedOut = false;
};

// Runs program with input fed through a pipe on standard input, in directory workDir, with
// the extra environment entries env ("NAME=value") added, and collects both outputs. A run
// longer than timeoutSeconds is killed.
ProcessResult runProgram(const std::string& program, const std::string& input,
                         const std::string& workDir, const std::vector<std::string>& env,
                         double timeoutSeconds = 60.0);

// The GBK bytes of a UTF-8 text, converted by the C library (not by the program's own table).
std::string toGbk(const std::string& utf8);

// A fresh directory under the system's temporary directory.
std::string makeScratchDir(const std::string& tag);

} // namespace goalbox::test

#endif
