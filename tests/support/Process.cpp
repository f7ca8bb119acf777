// Running the built program through pipes, for end-to-end tests.
#include "support/Process.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <iconv.h>
#include <poll.h>
#include <signal.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace goalbox::test {

ProcessResult runProgram(const std::string& program, const std::string& input,
                         const std::string& workDir, const std::vector<std::string>& env,
                         double timeoutSeconds) {
    int inPipe[2], outPipe[2], errPipe[2];
    if (pipe(inPipe) != 0 || pipe(outPipe) != 0 || pipe(errPipe) != 0) {
        throw std::runtime_error("pipe failed");
    }
    std::vector<std::string> envStrings;
    for (char** e = environ; *e != nullptr; ++e) {
        envStrings.emplace_back(*e);
    }
    for (const std::string& extra : env) {
        const std::string name = extra.substr(0, extra.find('=') + 1);
        std::erase_if(envStrings, [&](const std::string& s) { return s.rfind(name, 0) == 0; });
        envStrings.push_back(extra);
    }
    std::vector<char*> envp;
    for (std::string& s : envStrings) {
        envp.push_back(s.data());
    }
    envp.push_back(nullptr);

    const pid_t pid = fork();
    if (pid == 0) {
        dup2(inPipe[0], 0);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) {
            close(fd);
        }
        if (chdir(workDir.c_str()) != 0) {
            _exit(126);
        }
        char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
        execve(program.c_str(), argv, envp.data());
        _exit(127);
    }
    close(inPipe[0]);
    close(outPipe[1]);
    close(errPipe[1]);
    signal(SIGPIPE, SIG_IGN);
    fcntl(inPipe[1], F_SETFL, O_NONBLOCK);

    ProcessResult result;
    std::size_t written = 0;
    int inFd            = inPipe[1];
    if (input.empty()) {
        close(inFd);
        inFd = -1;
    }
    bool outOpen = true, errOpen = true;
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(static_cast<long>(timeoutSeconds * 1000));
    while (outOpen || errOpen) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            result.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        pollfd fds[3] = {{outOpen ? outPipe[0] : -1, POLLIN, 0},
                         {errOpen ? errPipe[0] : -1, POLLIN, 0},
                         {inFd, POLLOUT, 0}};
        if (poll(fds, 3, static_cast<int>(left)) < 0 && errno != EINTR) {
            break;
        }
        char buffer[65536];
        for (int i = 0; i < 2; ++i) {
            if (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) {
                const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
                if (n > 0) {
                    (i == 0 ? result.out : result.err).append(buffer, static_cast<size_t>(n));
                } else if (n == 0 || errno != EINTR) {
                    (i == 0 ? outOpen : errOpen) = false;
                }
            }
        }
        if (inFd >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
            const ssize_t n = write(inFd, input.data() + written, input.size() - written);
            if (n > 0) {
                written += static_cast<size_t>(n);
            }
            if ((n < 0 && errno != EAGAIN && errno != EINTR) || written == input.size()) {
                close(inFd);
                inFd = -1;
            }
        }
    }
    if (inFd >= 0) {
        close(inFd);
    }
    close(outPipe[0]);
    close(errPipe[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status) && !result.timedOut) {
        result.exitCode = WEXITSTATUS(status);
    }
    return result;
}

std::string toGbk(const std::string& utf8) {
    iconv_t cd = iconv_open("GBK", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error("iconv_open failed");
    }
    std::string out(utf8.size() * 2 + 16, '\0');
    char* in        = const_cast<char*>(utf8.data());
    size_t inLeft   = utf8.size();
    char* outPtr    = out.data();
    size_t outLeft  = out.size();
    const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1)) {
        throw std::runtime_error("text has no GBK form: " + utf8);
    }
    out.resize(out.size() - outLeft);
    return out;
}

std::string makeScratchDir(const std::string& tag) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / ("goalbox-" + tag + "-XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    return pattern;
}

} // namespace goalbox::test
