#ifndef PLATFORM_CONSOLE_H
#define PLATFORM_CONSOLE_H

#include <cstdint>
#include <functional>
#include <string>
#include <thread>

// The console layer: the only place that knows about terminals, key codes on the wire,
// screen clearing, the clock and the output encoding. The game writes UTF-8 text to
// std::cout and std::cerr; openConsole() routes both through buffers that turn it into the
// console's encoding where the bytes leave the program.
namespace goalbox::platform {

// readKey() gives this once standard input has ended, and on every call after that.
inline constexpr int KEY_END = -1;

// Picks the output encoding, installs the converting stream buffers on std::cout and
// std::cerr, and arranges for the terminal to be restored on every exit path.
void openConsole();
// Flushes all output and puts the terminal back as it was found. Safe to call twice.
void closeConsole();

// Flushes std::cout, then reads one key without echo: a plain key gives its code, an arrow
// gives 224 followed by 72 (up), 80 (down), 75 (left) or 77 (right) on the next call, Enter
// gives 13. KEY_END at end of input.
int readKey();
// Flushes std::cout, then reads one typed line (echoed as typed on a terminal). The line
// break and a carriage return before it are dropped. False at end of input with nothing read.
bool readLine(std::string& line);
// Shows one typed character on the console, in order with everything written before it.
void echoKey(int key);
// Clears the console. On a terminal the clear becomes part of the next frame's single write.
void clearScreen();
// Milliseconds from a steady clock.
std::int64_t clockMillis();
// True when standard output is a terminal (not a pipe or a file).
bool isOutputTerminal();

// What the keys typed during a search ask for.
enum KeyWatch : std::uint8_t {
    WATCH_NOTHING, // nothing, or only keys that stay for later reads
    WATCH_ESCAPE,  // an Esc, which has been taken
    WATCH_END,     // standard input has ended
};

// From beginKeyWatch to endKeyWatch (a search, during which no key or line is read) a terminal
// hands each key over at once and echoes none, so that an Esc shows without a read that waits.
// Nothing on a pipe.
void beginKeyWatch();
void endKeyWatch();
// Reads what standard input holds without waiting for more (but for the rest of a begun escape
// sequence, as readKey does) and takes an Esc from it; every other key stays for readKey and
// readLine. WATCH_NOTHING whenever standard input is not a terminal, which is then never read
// ahead, so a script gives the same keys to the same reads. After a stop (Ctrl-Z, fg) the screen
// is repainted here, as by readKey.
KeyWatch pollKeyWatch();
// Starts work on a thread of its own, to which none of the signals that the console handles
// (Ctrl-C, Ctrl-Z, fg and the rest) are delivered: they stay with the thread that changes the
// terminal's mode. The work must not touch the console.
std::thread startWorkerThread(std::function<void()> work);

} // namespace goalbox::platform

#endif
