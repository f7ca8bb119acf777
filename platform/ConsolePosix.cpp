// The console on POSIX systems.
//
// Input: one read()-based KeyDecoder serves a terminal and a pipe alike. On a terminal a key
// read clears only ICANON and ECHO (ISIG stays, so Ctrl-C still ends the program) and puts
// the terminal back right after; the level line is read in the terminal's own line mode,
// echoed as typed. A signal that ends the program restores the terminal first.
//
// Output: std::cout and std::cerr go through EncodingStreamBufs, in GBK or UTF-8 as the
// locale and the kind of output decide, and leave by write() only when flushed. SIGPIPE is
// ignored: once a write to an output fails (a reader that went away), that output drops
// everything after, and the game goes on until its input ends.
#include "platform/Console.h"

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include <langinfo.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "platform/EncodingStreamBuf.h"
#include "platform/KeyDecoder.h"
#include "platform/TextEncoding.h"

namespace goalbox::platform {
namespace {

// How long a terminal may take to deliver the rest of an escape sequence.
constexpr int ESCAPE_WAIT_MS              = 50;
constexpr std::size_t READ_CHUNK          = 4096;
constexpr std::string_view CLEAR_SEQUENCE = "\x1b[H\x1b[2J\x1b[3J";
constexpr int ENDING_SIGNALS[]            = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// The terminal as it was found; written by openConsole before the signal handlers exist.
struct termios foundTermios {};
struct termios keyTermios {};
struct termios lineTermios {};
bool inputIsTerminal = false;
bool lineModeDiffers = false;
// Set while the terminal is not as found, so that a signal knows to restore it.
volatile std::sig_atomic_t terminalChanged = 0;

bool consoleOpen     = false;
bool exitHookIsSet   = false;
bool outputFailed[3] = {};
ConsoleColumn terminalColumn;
KeyDecoder decoder;
std::optional<EncodingStreamBuf> outBuffer;
std::optional<EncodingStreamBuf> errBuffer;
std::streambuf* foundOutBuffer = nullptr;
std::streambuf* foundErrBuffer = nullptr;

void writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty() && !outputFailed[fd]) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd ready{fd, POLLOUT, 0};
            ::poll(&ready, 1, -1);
        } else {
            outputFailed[fd] = true;
        }
    }
}

void setTerminal(const struct termios& mode) {
    while (::tcsetattr(STDIN_FILENO, TCSANOW, &mode) != 0 && errno == EINTR) {
    }
}

// Switches the terminal for the length of one read, when `mode` is given.
class TerminalMode {
  public:
    explicit TerminalMode(const struct termios* mode) : active_(mode != nullptr) {
        if (active_) {
            terminalChanged = 1;
            setTerminal(*mode);
        }
    }
    ~TerminalMode() {
        if (active_) {
            setTerminal(foundTermios);
            terminalChanged = 0;
        }
    }
    TerminalMode(const TerminalMode&)            = delete;
    TerminalMode& operator=(const TerminalMode&) = delete;

  private:
    bool active_;
};

void restoreAndReraise(int signalNumber) {
    if (terminalChanged != 0) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &foundTermios);
    }
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

void installSignalHandlers() {
    for (int signalNumber : ENDING_SIGNALS) {
        struct sigaction previous {};
        if (::sigaction(signalNumber, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) {
            continue; // ignored on purpose (nohup): keep it so
        }
        struct sigaction action {};
        action.sa_handler = restoreAndReraise;
        sigemptyset(&action.sa_mask);
        ::sigaction(signalNumber, &action, nullptr);
    }
}

// The locale's character set, found without leaving LC_CTYPE changed (LC_NUMERIC is never
// touched, so numbers keep their '.').
std::string localeCodeset() {
    std::string codeset;
    if (std::setlocale(LC_CTYPE, "") != nullptr) {
        if (const char* name = ::nl_langinfo(CODESET); name != nullptr) {
            codeset = name;
        }
    }
    std::setlocale(LC_CTYPE, "C");
    return codeset;
}

void prepareTerminal() {
    inputIsTerminal = ::isatty(STDIN_FILENO) != 0 && ::tcgetattr(STDIN_FILENO, &foundTermios) == 0;
    if (!inputIsTerminal) {
        return;
    }
    keyTermios = foundTermios;
    keyTermios.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    keyTermios.c_cc[VMIN]  = 1;
    keyTermios.c_cc[VTIME] = 0;
    lineTermios            = foundTermios;
    lineTermios.c_lflag |= ICANON | ECHO;
    lineModeDiffers = (foundTermios.c_lflag & (ICANON | ECHO)) != (ICANON | ECHO);
    installSignalHandlers();
}

// Reads what standard input has (blocking until something comes); marks the end of input
// at end of file or on an error.
void readMore() {
    char chunk[READ_CHUNK];
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (got > 0) {
            decoder.feed(std::string_view(chunk, static_cast<std::size_t>(got)));
            return;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        decoder.markEnd();
        return;
    }
}

// True when standard input has something to read (or has ended) within `milliseconds`.
bool inputArrives(int milliseconds) {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    int ready = 0;
    do {
        ready = ::poll(&input, 1, milliseconds);
    } while (ready < 0 && errno == EINTR);
    return ready != 0;
}

} // namespace

void openConsole() {
    if (consoleOpen) {
        return;
    }
    consoleOpen = true;
    prepareTerminal();
    std::signal(SIGPIPE, SIG_IGN);

    const std::string codeset = localeCodeset();
    outBuffer.emplace(chooseEncoding(codeset, ::isatty(STDOUT_FILENO) != 0), &terminalColumn,
                      [](std::string_view bytes) { writeAll(STDOUT_FILENO, bytes); });
    errBuffer.emplace(chooseEncoding(codeset, ::isatty(STDERR_FILENO) != 0), &terminalColumn,
                      [](std::string_view bytes) { writeAll(STDERR_FILENO, bytes); });
    foundOutBuffer = std::cout.rdbuf(&*outBuffer);
    foundErrBuffer = std::cerr.rdbuf(&*errBuffer);

    if (!exitHookIsSet) {
        exitHookIsSet = true;
        std::atexit(closeConsole);
    }
}

void closeConsole() {
    if (!consoleOpen) {
        return;
    }
    consoleOpen = false;
    std::cout.flush();
    std::cerr.flush();
    outBuffer->finish();
    errBuffer->finish();
    std::cout.rdbuf(foundOutBuffer);
    std::cerr.rdbuf(foundErrBuffer);
    if (terminalChanged != 0) {
        setTerminal(foundTermios);
        terminalChanged = 0;
    }
}

int readKey() {
    std::cout.flush();
    int key             = KEY_END;
    DecodeStatus status = decoder.nextKey(key);
    if (status == DECODE_READY || status == DECODE_END) {
        return key;
    }
    const TerminalMode mode(inputIsTerminal ? &keyTermios : nullptr);
    for (;;) {
        // A begun escape sequence waits briefly on a terminal; on a pipe the next byte (or
        // the end of input) decides.
        const bool timedOut =
            status == DECODE_INCOMPLETE && inputIsTerminal && !inputArrives(ESCAPE_WAIT_MS);
        if (!timedOut) {
            readMore();
        }
        status = decoder.nextKey(key, timedOut);
        if (status == DECODE_READY || status == DECODE_END) {
            return key;
        }
    }
}

bool readLine(std::string& line) {
    std::cout.flush();
    DecodeStatus status = decoder.nextLine(line);
    if (status == DECODE_NEED_BYTES) {
        const TerminalMode mode(inputIsTerminal && lineModeDiffers ? &lineTermios : nullptr);
        while (status == DECODE_NEED_BYTES) {
            readMore();
            status = decoder.nextLine(line);
        }
    }
    if (inputIsTerminal) {
        terminalColumn.value = 0; // the terminal echoed the line and its line break
    }
    return status == DECODE_READY;
}

void echoKey(int key) {
    std::cout.put(static_cast<char>(key));
    std::cout.flush();
}

void clearScreen() {
    std::cout << CLEAR_SEQUENCE;
}

bool isOutputTerminal() {
    return ::isatty(STDOUT_FILENO) != 0;
}

} // namespace goalbox::platform
