#pragma once
// Tests that need a real part of the machine: a program such as sox or
// pdftoppm, the print queue, the audio server. On a developer's machine a
// missing part skips the test with the reason; under CI (the CI variable is
// set) it fails, so that a green run means the real parts were exercised.

#include <QStandardPaths>
#include <QString>
#include <QtGlobal>
#include <gtest/gtest.h>

namespace tavrel::test {

inline bool UnderCi() { return qEnvironmentVariableIsSet("CI"); }

// Full path of a program on PATH, or empty.
inline QString Tool(const char* name) {
    return QStandardPaths::findExecutable(QString::fromUtf8(name));
}

} // namespace tavrel::test

// Ends the test: skipped on a developer's machine, failed under CI.
#define REQUIRE_PART(what)                                                                         \
    do {                                                                                           \
        if (::tavrel::test::UnderCi())                                                             \
            FAIL() << "needed under CI but missing: " << (what);                                   \
        GTEST_SKIP() << "missing here: " << (what);                                                \
    } while (0)

#define REQUIRE_TOOL(name)                                                                         \
    do {                                                                                           \
        if (::tavrel::test::Tool(name).isEmpty())                                                  \
            REQUIRE_PART(name);                                                                    \
    } while (0)
