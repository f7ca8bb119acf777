#ifndef TESTS_SUPPORT_MIDSEARCHTUNINGS_H
#define TESTS_SUPPORT_MIDSEARCHTUNINGS_H

#include <array>

#include "solver/exact/SearchTuning.h"

namespace goalbox::test {

// Tunings under which the route search must still give the plain search's routes: the tables
// of box sets added after the first, second and third expansions, in the middle of the search;
// and the table of the positions near the end from the first expansion on, grown after 1, 4,
// 16, ... expansions, in partial layers and to the end on small boards.
inline std::array<SearchTuning, 2> midSearchTunings() {
    SearchTuning setsMidway;
    setsMidway.smallTable      = 0;
    setsMidway.pairsAfter      = 1;
    setsMidway.triplesAfter    = 2;
    setsMidway.quadruplesAfter = 3;
    setsMidway.endTableAfter   = 0;
    SearchTuning endsEarly;
    endsEarly.endTableAfter = 1;
    return {setsMidway, endsEarly};
}

} // namespace goalbox::test

#endif
