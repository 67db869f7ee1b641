// A test helper that checks what it does reports a failure at the line of
// the test that called it, not only at its own: it takes the call site as
// default arguments (GCC's builtins, what C++20 calls std::source_location)
// and holds a CallerTrace while it runs.
#pragma once

#include <gtest/gtest.h>

namespace brwtest {

class CallerTrace {
public:
    CallerTrace(const char* file, int line) : trace_(file, line, "called from here") {}

private:
    ::testing::ScopedTrace trace_;
};

} // namespace brwtest
