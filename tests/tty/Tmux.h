#ifndef TESTS_TTY_TMUX_H
#define TESTS_TTY_TMUX_H

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

namespace goalbox::test {

// A tmux server of its own (socket name `socket`) holding the session "game"; killed with the
// object.
class Tmux {
  public:
    explicit Tmux(std::string socket) : socket_(std::move(socket)) {}
    // Ends the server and removes its socket, which tmux leaves behind.
    ~Tmux() {
        std::string path = run("display-message -p '#{socket_path}'");
        run("kill-server");
        while (!path.empty() && path.back() == '\n') {
            path.pop_back();
        }
        if (!path.empty()) {
            std::remove(path.c_str());
        }
    }
    Tmux(const Tmux&)            = delete;
    Tmux& operator=(const Tmux&) = delete;

    // Runs one tmux command and returns what it printed.
    std::string run(const std::string& args) const {
        const std::string command = "tmux -L " + socket_ + " " + args + " 2>/dev/null";
        std::string output;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[4096];
            std::size_t n = 0;
            while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
                output.append(buffer, n);
            }
            pclose(pipe);
        }
        return output;
    }
    std::string screen() const { return run("capture-pane -p -t game"); }
    // Waits up to `seconds` until the screen shows needle (at the end of a line when atLineEnd);
    // returns the screen.
    std::string waitFor(const std::string& needle, bool atLineEnd = false, int seconds = 10) const {
        std::string shown;
        for (int i = 0; i < seconds * 10; ++i) {
            shown                = screen();
            const std::size_t at = shown.find(needle + (atLineEnd ? "\n" : ""));
            if (at != std::string::npos) {
                return shown;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        ADD_FAILURE() << "never shown: " << needle << "\nscreen:\n" << shown;
        return shown;
    }

  private:
    std::string socket_;
};

} // namespace goalbox::test

#endif
