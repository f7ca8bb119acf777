// The console on Windows.
//
// Keys come from _getch, which already gives 224 and a second code for an arrow; typed
// digits are echoed with _putch; the screen is cleared by "cls". The console's output code
// page is set to 936 for the run, so the GBK text shows on any Windows, and every output is
// GBK, written in binary mode (line feeds stay line feeds, also in a pipe or a file). When standard
// input is not a console (a script), keys and the level line come from the same byte stream through
// the KeyDecoder, as on other systems. During a search the console's keys are taken by _kbhit and
// _getch as they come; all but the Esc are kept for the reads after it.
#include "platform/Console.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <iostream>
#include <string>
#include <string_view>
#include <utility>

#include <conio.h>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/EncodingStreamBuf.h"
#include "platform/KeyDecoder.h"
#include "platform/TextEncoding.h"

namespace goalbox::platform {
namespace {

constexpr UINT GBK_CODE_PAGE    = 936;
constexpr unsigned READ_CHUNK   = 4096;
constexpr std::size_t MAX_WRITE = std::size_t{1} << 30;
constexpr int LINE_PIECE        = 512;
constexpr int KEY_ESCAPE        = 27;
constexpr int KEY_ENTER         = 13;

bool consoleOpen     = false;
bool exitHookIsSet   = false;
bool inputIsConsole  = true;
UINT foundCodePage   = 0; // 0: there was no console
bool outputFailed[3] = {};
KeyDecoder decoder;
StandardStreams standardStreams;
// The console's keys that came during a search, for the reads after it.
std::deque<int> keptKeys;

void writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty() && !outputFailed[fd]) {
        const auto piece  = static_cast<unsigned>(std::min(bytes.size(), MAX_WRITE));
        const int written = _write(fd, bytes.data(), piece);
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
        } else {
            outputFailed[fd] = true;
        }
    }
}

void restoreCodePage() {
    if (foundCodePage != 0) {
        SetConsoleOutputCP(foundCodePage);
    }
}

// Ctrl-C and closing the window end the program without atexit: put the code page back
// first, then let the default handler end it.
BOOL WINAPI onConsoleControl(DWORD /*event*/) {
    restoreCodePage();
    return FALSE;
}

void readMore() {
    char chunk[READ_CHUNK];
    const int got = _read(_fileno(stdin), chunk, READ_CHUNK);
    if (got > 0) {
        decoder.feed(std::string_view(chunk, static_cast<std::size_t>(got)));
    } else {
        decoder.markEnd();
    }
}

// One line from the console through the C runtime, any length.
bool readConsoleLine(std::string& line) {
    line.clear();
    char piece[LINE_PIECE];
    bool readAny = false;
    while (std::fgets(piece, LINE_PIECE, stdin) != nullptr) {
        readAny = true;
        line += piece;
        if (line.back() == '\n') {
            break;
        }
    }
    if (!line.empty() && line.back() == '\n') {
        line.pop_back();
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return readAny;
}

} // namespace

void openConsole() {
    if (consoleOpen) {
        return;
    }
    consoleOpen   = true;
    foundCodePage = GetConsoleOutputCP();
    if (foundCodePage != 0) {
        SetConsoleOutputCP(GBK_CODE_PAGE);
        SetConsoleCtrlHandler(onConsoleControl, TRUE);
    }
    inputIsConsole = _isatty(_fileno(stdin)) != 0;
    if (!inputIsConsole) {
        _setmode(_fileno(stdin), _O_BINARY); // the decoder sees CR LF and 224 as sent
    }
    // The GBK bytes must reach the console unchanged, which then shows them by code page 936.
    // In text mode the C runtime converts what it writes to a console by its own locale
    // first (and turns every byte of 128 or more into something else); a line feed alone
    // still starts a new line on the console.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);

    standardStreams.install(
        ENCODING_GBK, ENCODING_GBK, nullptr,
        [](std::string_view bytes) { writeAll(_fileno(stdout), bytes); },
        [](std::string_view bytes) { writeAll(_fileno(stderr), bytes); });

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
    restoreCodePage();
}

int readKey() {
    std::cout.flush();
    if (inputIsConsole && !keptKeys.empty()) {
        const int key = keptKeys.front();
        keptKeys.pop_front();
        return key;
    }
    if (inputIsConsole) {
        return _getch();
    }
    int key             = KEY_END;
    DecodeStatus status = decoder.nextKey(key);
    while (status == DECODE_NEED_BYTES || status == DECODE_INCOMPLETE) {
        readMore();
        status = decoder.nextKey(key);
    }
    return key;
}

bool readLine(std::string& line) {
    std::cout.flush();
    if (inputIsConsole) {
        // Keys typed during a search begin the line; an Enter among them ends it.
        std::string typed;
        while (!keptKeys.empty()) {
            const int key = keptKeys.front();
            keptKeys.pop_front();
            if (key == KEY_ENTER) {
                line = std::move(typed);
                return true;
            }
            typed += static_cast<char>(key);
        }
        const bool read = readConsoleLine(line);
        line.insert(0, typed);
        return read || !typed.empty();
    }
    DecodeStatus status = decoder.nextLine(line);
    while (status == DECODE_NEED_BYTES) {
        readMore();
        status = decoder.nextLine(line);
    }
    return status == DECODE_READY;
}

void echoKey(int key) {
    std::cout.flush();
    _putch(key);
}

void clearScreen() {
    std::cout.flush();
    [[maybe_unused]] const int status = std::system("cls");
}

bool isOutputTerminal() {
    return _isatty(_fileno(stdout)) != 0;
}

// The console gives keys without echo at any time: no mode to switch.
void beginKeyWatch() {}
void endKeyWatch() {}

KeyWatch pollKeyWatch() {
    if (!inputIsConsole) {
        return WATCH_NOTHING;
    }
    while (_kbhit() != 0) {
        const int key = _getch();
        if (key == KEY_ESCAPE) {
            return WATCH_ESCAPE;
        }
        keptKeys.push_back(key);
        if (key == 0 || key == 224) {
            keptKeys.push_back(_getch()); // the second code of a function or arrow key
        }
    }
    return WATCH_NOTHING;
}

std::thread startWorkerThread(std::function<void()> work) {
    return std::thread(std::move(work));
}

} // namespace goalbox::platform
