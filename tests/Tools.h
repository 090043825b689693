#pragma once
// A test missing a real part (sox, pdftoppm, print queue, audio server) skips on a
// developer's machine and fails under CI (CI set): a green CI run used the real parts.

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
