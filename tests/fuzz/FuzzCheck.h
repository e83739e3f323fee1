#pragma once

#include <cstdio>
#include <cstdlib>

// A property a fuzz target holds the code to. A broken one aborts, which libFuzzer reports as
// a crash with the input that caused it, and which fails a corpus replay.
inline void FuzzCheck(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", property);
        std::abort();
    }
}
