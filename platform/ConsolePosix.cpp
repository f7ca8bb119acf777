// The console on POSIX systems.
//
// Input: one read()-based KeyDecoder serves a terminal and a pipe alike. On a terminal a key
// read clears only ICANON and ECHO (ISIG stays, so Ctrl-C still ends the program) and puts
// the terminal back right after; the level line is read in the terminal's own line mode,
// echoed as typed. A search keeps the key mode from its start to its end, and what is typed
// meanwhile is read without waiting into the same decoder, which gives up only the Esc keys.
// A signal that ends the program restores the terminal first. The searches' threads take no
// signals, so the handlers always run on the thread that switches the modes.
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
#include <utility>

#include <langinfo.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
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
// More than any frame the game draws; past it a frame is no longer kept for a repaint.
constexpr std::size_t MAX_KEPT_FRAME = std::size_t{4} << 20;

// The terminal as it was found; written by openConsole before the signal handlers exist.
struct termios foundTermios {};
struct termios keyTermios {};
struct termios lineTermios {};
bool inputIsTerminal = false;
bool lineModeDiffers = false;
// Set while the terminal is not as found, so that a signal knows to restore it; the mode then
// in force is keyTermios or, when changedToLineMode is set, lineTermios.
volatile std::sig_atomic_t terminalChanged   = 0;
volatile std::sig_atomic_t changedToLineMode = 0;
// Set by SIGCONT: the screen is to be repainted.
volatile std::sig_atomic_t resumed = 0;
struct sigaction suspendAction {};

// The bytes written to a terminal output since the last clear, for the repaint after a stop.
bool keepFrames = false;
std::string keptFrame;

bool consoleOpen     = false;
bool exitHookIsSet   = false;
bool outputFailed[3] = {};
ConsoleColumn terminalColumn;
KeyDecoder decoder;
StandardStreams standardStreams;

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

// Holds SIGTSTP and SIGCONT back while the terminal mode and its flags change together, so a
// stop never sees a flag that does not match the terminal.
class JobSignalsHeld {
  public:
    JobSignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        sigaddset(&held, SIGTSTP);
        sigaddset(&held, SIGCONT);
        ::sigprocmask(SIG_BLOCK, &held, &previous_);
    }
    ~JobSignalsHeld() { ::sigprocmask(SIG_SETMASK, &previous_, nullptr); }
    JobSignalsHeld(const JobSignalsHeld&)            = delete;
    JobSignalsHeld& operator=(const JobSignalsHeld&) = delete;

  private:
    sigset_t previous_{};
};

// Holds every signal back on the calling thread; a thread started meanwhile starts so.
class AllSignalsHeld {
  public:
    AllSignalsHeld() {
        sigset_t held;
        sigfillset(&held);
        ::pthread_sigmask(SIG_SETMASK, &held, &previous_);
    }
    ~AllSignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    AllSignalsHeld(const AllSignalsHeld&)            = delete;
    AllSignalsHeld& operator=(const AllSignalsHeld&) = delete;

  private:
    sigset_t previous_{};
};

// Switches the terminal for the length of one read, when `mode` is given.
class TerminalMode {
  public:
    explicit TerminalMode(const struct termios* mode) : active_(mode != nullptr) {
        if (active_) {
            const JobSignalsHeld held;
            changedToLineMode = mode == &lineTermios ? 1 : 0;
            terminalChanged   = 1;
            setTerminal(*mode);
        }
    }
    ~TerminalMode() {
        if (active_) {
            const JobSignalsHeld held;
            setTerminal(foundTermios);
            terminalChanged = 0;
        }
    }
    TerminalMode(const TerminalMode&)            = delete;
    TerminalMode& operator=(const TerminalMode&) = delete;

  private:
    bool active_;
};

// The key mode of a search, between beginKeyWatch and endKeyWatch.
std::optional<TerminalMode> watchMode;

void restoreAndReraise(int signalNumber) {
    if (terminalChanged != 0) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &foundTermios);
    }
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

// The mode of the read going on, after a stop. Called from the signal handlers.
void retakeChangedMode() {
    if (terminalChanged != 0) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, changedToLineMode != 0 ? &lineTermios : &keyTermios);
    }
}

// SIGTSTP: the terminal as found, then stop as the default action would. Execution comes back
// here after SIGCONT, or at once where the default action does not stop (an orphaned process
// group), and the read's mode is taken again in both cases.
void restoreAndStop(int /*signalNumber*/) {
    const int savedErrno = errno;
    if (terminalChanged != 0) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &foundTermios);
    }
    std::signal(SIGTSTP, SIG_DFL);
    std::raise(SIGTSTP); // SA_NODEFER: delivered at once, the program stops here
    ::sigaction(SIGTSTP, &suspendAction, nullptr);
    retakeChangedMode();
    errno = savedErrno;
}

// SIGCONT: the mode of the interrupted read again, and a repaint once the read goes on.
void retakeTerminal(int /*signalNumber*/) {
    const int savedErrno = errno;
    retakeChangedMode();
    resumed = 1;
    errno   = savedErrno;
}

bool isIgnored(int signalNumber) {
    struct sigaction previous {};
    return ::sigaction(signalNumber, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN;
}

void installSignalHandlers() {
    for (int signalNumber : ENDING_SIGNALS) {
        if (isIgnored(signalNumber)) {
            continue; // ignored on purpose (nohup): keep it so
        }
        struct sigaction action {};
        action.sa_handler = restoreAndReraise;
        sigemptyset(&action.sa_mask);
        ::sigaction(signalNumber, &action, nullptr);
    }
    // Where SIGTSTP comes in ignored (a parent that wants no stops), Ctrl-Z keeps doing
    // nothing.
    if (!isIgnored(SIGTSTP)) {
        suspendAction.sa_handler = restoreAndStop;
        sigemptyset(&suspendAction.sa_mask);
        suspendAction.sa_flags = SA_NODEFER;
        ::sigaction(SIGTSTP, &suspendAction, nullptr);
    }
    struct sigaction continueAction {};
    continueAction.sa_handler = retakeTerminal;
    sigemptyset(&continueAction.sa_mask);
    ::sigaction(SIGCONT, &continueAction, nullptr);
}

// Keeps what goes to a terminal output from the last clear on, for repaintAfterStop.
void keepFrame(std::string_view bytes) {
    if (!keepFrames) {
        return;
    }
    if (const std::size_t clear = bytes.rfind(CLEAR_SEQUENCE); clear != std::string_view::npos) {
        keptFrame.assign(bytes.substr(clear));
    } else if (keptFrame.size() + bytes.size() <= MAX_KEPT_FRAME) {
        keptFrame.append(bytes);
    }
}

// After a stop: writes the kept frame again, which begins with its clear.
void repaintAfterStop() {
    if (resumed == 0) {
        return;
    }
    resumed = 0;
    writeAll(STDOUT_FILENO, keptFrame);
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
            repaintAfterStop();
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
    for (;;) {
        ready = ::poll(&input, 1, milliseconds);
        if (ready >= 0 || errno != EINTR) {
            break;
        }
        repaintAfterStop();
    }
    return ready != 0;
}

// The terminal's width, for wrapping long lines of wide characters; asked again after every
// wait, since the window may have been resized during it.
void refreshTerminalWidth() {
    winsize size{};
    terminalColumn.width =
        ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 0;
}

} // namespace

void openConsole() {
    if (consoleOpen) {
        return;
    }
    consoleOpen = true;
    prepareTerminal();
    refreshTerminalWidth();
    std::signal(SIGPIPE, SIG_IGN);

    const std::string codeset = localeCodeset();
    keepFrames                = inputIsTerminal && ::isatty(STDOUT_FILENO) != 0;
    standardStreams.install(
        chooseEncoding(codeset, ::isatty(STDOUT_FILENO) != 0),
        chooseEncoding(codeset, ::isatty(STDERR_FILENO) != 0), &terminalColumn,
        [](std::string_view bytes) {
            keepFrame(bytes);
            writeAll(STDOUT_FILENO, bytes);
        },
        [](std::string_view bytes) { writeAll(STDERR_FILENO, bytes); });

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
    standardStreams.uninstall();
    if (terminalChanged != 0) {
        const JobSignalsHeld held;
        setTerminal(foundTermios);
        terminalChanged = 0;
    }
}

namespace {

int waitForKey() {
    std::cout.flush();
    repaintAfterStop();
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

bool waitForLine(std::string& line) {
    std::cout.flush();
    repaintAfterStop();
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

} // namespace

int readKey() {
    const int key = waitForKey();
    refreshTerminalWidth();
    return key;
}

bool readLine(std::string& line) {
    const bool read = waitForLine(line);
    refreshTerminalWidth();
    return read;
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

void beginKeyWatch() {
    if (inputIsTerminal && !watchMode) {
        watchMode.emplace(&keyTermios);
    }
}

void endKeyWatch() {
    watchMode.reset();
}

KeyWatch pollKeyWatch() {
    if (!inputIsTerminal) {
        return WATCH_NOTHING;
    }
    std::cout.flush();
    repaintAfterStop();
    if (!decoder.hasEnded() && inputArrives(0)) {
        readMore();
    }
    DecodeStatus status = decoder.takeEscape();
    if (status == DECODE_INCOMPLETE) {
        // An ESC that may begin an arrow's sequence: its rest comes at once, or it is the Esc.
        const bool more = inputArrives(ESCAPE_WAIT_MS);
        if (more) {
            readMore();
        }
        status = decoder.takeEscape(!more);
    }
    if (status == DECODE_READY) {
        return WATCH_ESCAPE;
    }
    return decoder.hasEnded() ? WATCH_END : WATCH_NOTHING;
}

std::thread startWorkerThread(std::function<void()> work) {
    const AllSignalsHeld held;
    return std::thread(std::move(work));
}

} // namespace goalbox::platform
