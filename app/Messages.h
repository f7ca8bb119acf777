#ifndef APP_MESSAGES_H
#define APP_MESSAGES_H

#include <string_view>

// Every text the player sees, in UTF-8. The console layer turns them into the console's
// encoding (GBK on a GBK console) where the bytes leave the program.
namespace goalbox::text {

extern const std::string_view TITLE;
extern const std::string_view INFO;
extern const std::string_view LEVEL_PROMPT;
extern const std::string_view LOAD_OK_MESSAGE;
extern const std::string_view LOAD_NOT_FOUND_MESSAGE;
extern const std::string_view LOAD_BAD_DATA_MESSAGE;
extern const std::string_view LOAD_UNKNOWN_MESSAGE;
extern const std::string_view HELP;
extern const std::string_view TAUNT;
extern const std::string_view CONTINUE_PROMPT;
extern const std::string_view HELP_HINT;
extern const std::string_view STEP_COUNTER;
extern const std::string_view TRAPPED_WARNING;
extern const std::string_view PATH_LENGTH;
extern const std::string_view SOLVING;
extern const std::string_view NO_SOLUTION;
extern const std::string_view SOLVE_TIME;
extern const std::string_view SOLVE_ROUTE;
extern const std::string_view SOLVE_OUT_OF_MEMORY;
extern const std::string_view SOLVE_PROGRESS_BOUND;
extern const std::string_view SOLVE_PROGRESS_FEWEST;
extern const std::string_view SOLVE_PROGRESS_STEPS;
extern const std::string_view SOLVE_PROGRESS_ROUTE;
extern const std::string_view SOLVE_PROGRESS_STATES;
extern const std::string_view SOLVE_PROGRESS_OFFER;
extern const std::string_view SOLVE_PROGRESS_OFFER_STEPS;
extern const std::string_view SOLVE_PROGRESS_WAIT;
extern const std::string_view SOLVE_PROGRESS_WAIT_SECONDS;
extern const std::string_view SOLVE_BUDGET_ROUTE;
extern const std::string_view SOLVE_STOPPED_ROUTE;
extern const std::string_view SOLVE_STOPPED;
extern const std::string_view SETTINGS_BAD_MEMORY;

// Board symbols, indexed like the cell codes they stand for, and the player.
extern const std::string_view SYMBOL_OUTSIDE;
extern const std::string_view SYMBOL_WALL;
extern const std::string_view SYMBOL_BOX;
extern const std::string_view SYMBOL_FLOOR;
extern const std::string_view SYMBOL_BOX_ON_GOAL;
extern const std::string_view SYMBOL_GOAL;
extern const std::string_view SYMBOL_PLAYER;

// The arrow of each direction, in direction order: right, down, up, left.
extern const std::string_view DIRECTION_ARROWS[4];

} // namespace goalbox::text

#endif
