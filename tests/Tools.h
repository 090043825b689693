#pragma once
// A test missing a real part (sox, pdftoppm, print queue, audio server) skips on a
// developer's machine and fails under CI (CI set): a green CI run used the real parts.

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tavrel::test {

inline QString Tool(const char* name) {
    return QStandardPaths::findExecutable(QString::fromUtf8(name));
}

// An executable shell script `name` in `dir` that runs `body`.
inline QString Script(const QTemporaryDir& dir, const QString& name, const QByteArray& body = "") {
    QFile f(dir.filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write("#!/bin/sh\n" + body);
    f.setPermissions(f.permissions() | QFile::ExeOwner);
    return f.fileName();
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
