// Which recorders the record button starts, and that it does not wait for
// them.
#include "sound/RecorderLauncher.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <gtest/gtest.h>

using namespace tavrel;

namespace {

struct RecordingStarter : ProgramStarter {
    bool StartDetached(const QString& path) override {
        started << path;
        return !failing.contains(path);
    }
    QStringList started;
    QStringList failing;
};

// An executable shell script at dir/name.
QString Script(const QTemporaryDir& dir, const QString& name, const QByteArray& body,
               bool executable = true) {
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write("#!/bin/sh\n" + body);
    f.close();
    if (executable)
        f.setPermissions(f.permissions() | QFile::ExeOwner);
    return path;
}

} // namespace

TEST(RecorderLauncher, StartsEveryExistingPathElseTheFirstRecorderFound) {
    QTemporaryDir dir;
    const QString p1 = dir.filePath("Sndrec32-1"), p2 = dir.filePath("Sndrec32-2"),
                  p3 = dir.filePath("Sndrec32-3");
    QTemporaryDir bins;
    const QString rec2 = Script(bins, "rec-two", "exit 0\n");
    const QString rec3 = Script(bins, "rec-three", "exit 0\n");
    Script(bins, "rec-plain", "exit 0\n", false);

    struct Case {
        const char* what;
        QStringList existing, failing;
        QStringList wantStarts, wantResult;
    };
    const QStringList paths = {p1, p2, p3};
    const Case cases[] = {
        {"only the second path", {p2}, {}, {p2}, {p2}},
        {"all three, each once, in order", {p1, p2, p3}, {}, {p1, p2, p3}, {p1, p2, p3}},
        {"a failed start does not stop the next", {p1, p3}, {p1}, {p1, p3}, {p3}},
        {"no path: the first recorder on the search path", {}, {}, {rec2}, {rec2}},
        {"no path starts: the recorders after all", {p1}, {p1}, {p1, rec2}, {rec2}},
        {"a recorder that fails: the next one", {}, {rec2}, {rec2, rec3}, {rec3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const QString& p : paths)
            QFile::remove(p);
        for (const QString& p : c.existing)
            Script(dir, QFileInfo(p).fileName(), "exit 0\n");
        RecordingStarter starter;
        starter.failing = c.failing;
        const RecorderCandidates candidates{
            paths, {"rec-missing", "rec-plain", "rec-two", "rec-three"}, {bins.path()}};
        EXPECT_EQ(LaunchRecorder(starter, candidates), c.wantResult);
        EXPECT_EQ(starter.started, c.wantStarts);
    }

    RecordingStarter starter;
    EXPECT_TRUE(
        LaunchRecorder(starter, {{}, {"rec-missing", "rec-plain"}, {bins.path()}}).isEmpty());
    EXPECT_TRUE(starter.started.isEmpty());
}

// Real programs that cannot end before the test lets them (or 3 s pass):
// when the call returns they still run, so it did not wait for them.
TEST(RecorderLauncher, ReturnsWithoutWaitingForTheRecorders) {
    QTemporaryDir dir;
    const QString release = dir.filePath("release");
    const QByteArray body = "echo > \"$0.started\"\n"
                            "i=0; while [ ! -e '" +
                            release.toUtf8() +
                            "' ] && [ $i -lt 60 ]; do "
                            "sleep 0.05; i=$((i+1)); done\n"
                            "echo > \"$0.ended\"\n";
    const QString a = Script(dir, "first", body), b = Script(dir, "second", body);
    QtProgramStarter starter;
    EXPECT_EQ(LaunchRecorder(starter, {{a, b}, {}, {}}), QStringList({a, b}));
    const bool runningAfterReturn = !QFile::exists(a + ".ended") && !QFile::exists(b + ".ended");

    auto waitFor = [](const QStringList& files) {
        QElapsedTimer t;
        t.start();
        auto all = [&] {
            return std::all_of(files.begin(), files.end(),
                               [](const QString& f) { return QFile::exists(f); });
        };
        while (!all() && t.elapsed() < 5000)
            QThread::msleep(20);
        return all();
    };
    EXPECT_TRUE(waitFor({a + ".started", b + ".started"}));
    QFile(release).open(QIODevice::WriteOnly);
    EXPECT_TRUE(runningAfterReturn);
    EXPECT_TRUE(waitFor({a + ".ended", b + ".ended"}));
}
