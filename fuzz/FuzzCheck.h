#pragma once
// A check inside a fuzz target: a broken one ends the run with the input
// saved, as a crash would.

#include <cstdio>
#include <cstdlib>

inline void Require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}
