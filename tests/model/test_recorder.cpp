// Which recorders the record button starts, and that it does not wait for them.
#include "Fakes.h"
#include "Tools.h"
#include "sound/RecorderLauncher.h"
#include "sound/RecorderRules.h"
#include "wavein/WavReader.h"
#include "wavein/WavWriter.h"

#include <QDateTime>

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

// The meter's reading on its decibel scale, the name a recording is saved under, and
// the saved image read back by the program's own reader.
TEST(Recorder, LevelNameAndTheSavedFile) {
    for (const auto& [peak, percent] :
         {std::pair{0, 0}, {32767, 100}, {-32768, 100}, {328, 33}, {32, 0}, {3277, 67}}) {
        const std::int16_t fragment[] = {0, std::int16_t(peak / 2), std::int16_t(peak)};
        EXPECT_EQ(LevelPercent(fragment), percent) << peak;
    }
    EXPECT_EQ(RecordingFileName(QDateTime({2026, 12, 7}, {9, 41, 5})),
              QStringLiteral("録音 2026-12-07 09.41.05.wav"));
    EXPECT_EQ(ElapsedText(RecorderRate * 12 + RecorderRate / 4), QStringLiteral("12.2 秒 / 60 秒"));
    for (const auto& [folder, shown] :
         {std::pair{"/home/anna/Music/Tavrel", "~/Music/Tavrel"}, {"/home/anna", "~"},
          {"/home/anna2/Tavrel", "/home/anna2/Tavrel"}, {"/tmp/Tavrel", "/tmp/Tavrel"}})
        EXPECT_EQ(ShortFolderName(QString::fromUtf8(folder), QStringLiteral("/home/anna/")),
                  QString::fromUtf8(shown));
    const std::int16_t samples[] = {0, 6400, -32768, 32767};
    const std::vector<std::uint8_t> wav = Pcm16MonoWav(samples, RecorderRate);
    const WavLoadResult r = LoadWavBytes(wav.data(), wav.size(), 0); // refused: no samples
    EXPECT_EQ(std::vector<float>(r.wave.WaveData.begin(), r.wave.WaveData.end()),
              (std::vector<float>{0, 100, -512, 32767 / 64.0f}));
}
