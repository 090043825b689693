#pragma once
// Tests that need a real part of the machine (sox, pdftoppm, the print queue,
// the audio server) skip without it on a developer's machine and fail under
// CI (the CI variable set), so that a green run there exercised the real parts.

#include <QStandardPaths>
#include <gtest/gtest.h>

namespace tavrel::test {

inline QString Tool(const char* name) {
    return QStandardPaths::findExecutable(QString::fromUtf8(name));
}

} // namespace tavrel::test

#define REQUIRE_PART(what)                                                                         \
    do {                                                                                           \
        if (qEnvironmentVariableIsSet("CI"))                                                       \
            FAIL() << "needed under CI but missing: " << (what);                                   \
        GTEST_SKIP() << "missing here: " << (what);                                                \
    } while (0)

#define REQUIRE_TOOL(name)                                                                         \
    do {                                                                                           \
        if (::tavrel::test::Tool(name).isEmpty())                                                  \
            REQUIRE_PART(name);                                                                    \
    } while (0)
