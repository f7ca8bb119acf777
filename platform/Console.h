#ifndef PLATFORM_CONSOLE_H
#define PLATFORM_CONSOLE_H

#include <cstdint>
#include <string>

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

} // namespace goalbox::platform

#endif
