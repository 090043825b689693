// Which recorders the record button starts, and that it does not wait for them.
#include "Fakes.h"
#include "Tools.h"
#include "sound/RecorderLauncher.h"

#include <QThread>

using namespace tavrel;
using namespace tavrel::test;

TEST(RecorderLauncher, StartsEveryExistingPathElseTheFirstRecorderFound) {
    QTemporaryDir dir, bins;
    const QStringList paths = {dir.filePath("rec1"), dir.filePath("rec2"), dir.filePath("rec3")};
    const QString &p1 = paths[0], &p2 = paths[1], &p3 = paths[2];
    const QString two = Script(bins, "rec-two"), three = Script(bins, "rec-three");
    const QStringList names = {"rec-missing", "rec-two", "rec-three"};
    // Paths that exist, starts that fail, then what is started and what is reported started.
    const std::tuple<const char*, QStringList, QStringList, QStringList, QStringList> cases[] = {
        {"only the second path", {p2}, {}, {p2}, {p2}},
        {"all three, each once, in order", paths, {}, paths, paths},
        {"a failed start does not stop the next", {p1, p3}, {p1}, {p1, p3}, {p3}},
        {"no path: the first recorder on the search path", {}, {}, {two}, {two}},
        {"no path starts: the recorders after all", {p1}, {p1}, {p1, two}, {two}},
        {"a recorder that fails: the next one", {}, {two}, {two, three}, {three}},
        {"nothing starts: nothing reported", {p1}, {p1, two, three}, {p1, two, three}, {}},
    };
    for (const auto& [what, existing, failing, wantStarts, wantResult] : cases) {
        for (const QString& p : paths)
            QFile::remove(p);
        for (const QString& p : existing)
            Script(dir, QFileInfo(p).fileName());
        FakeProgramStarter starter;
        starter.failing = failing;
        EXPECT_EQ(LaunchRecorder(starter, {paths, names, {bins.path()}}), wantResult) << what;
        EXPECT_EQ(starter.started, wantStarts) << what;
    }
}

// Scripts that take 2 s have not ended when the call returns, then do.
TEST(RecorderLauncher, ReturnsWithoutWaitingForTheRecorders) {
    QTemporaryDir dir;
    const QByteArray body = "sleep 2; echo > \"$0.ended\"\n";
    const QString a = Script(dir, "first", body), b = Script(dir, "second", body);
    QtProgramStarter starter;
    EXPECT_EQ(LaunchRecorder(starter, {{a, b}, {}, {}}), QStringList({a, b}));
    auto ended = [&] { return QFile::exists(a + ".ended") && QFile::exists(b + ".ended"); };
    EXPECT_FALSE(QFile::exists(a + ".ended") || QFile::exists(b + ".ended"));
    for (int k = 0; k < 500 && !ended(); ++k)
        QThread::msleep(20);
    EXPECT_TRUE(ended());
}
