// Every test runs offscreen: no test may need a display, a sound card or a person to
// press a button. The model's tests have Qt Core's event loop alone, for the clock's waits.
#ifdef TAVREL_TEST_WIDGETS
#include <QApplication>
using App = QApplication;
#else
#include <QCoreApplication>
using App = QCoreApplication;
#endif
#include "state/Extras.h"

#include <QtCore>
#include <gtest/gtest.h>

// Settings go to a folder of this run's own (ctest runs several at once), never the user's;
// each test begins with every extra off.
struct ExtrasOff : testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { tavrel::SaveExtras({}); }
};

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    const QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    ::testing::InitGoogleTest(&argc, argv);
    App app(argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new ExtrasOff);
    return RUN_ALL_TESTS();
}
