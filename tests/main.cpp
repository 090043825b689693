// Every test runs offscreen: no test may need a display, a sound card or a person to
// press a button. The model's tests have Qt Core's event loop alone, for the clock's waits.
#ifdef TAVREL_TEST_WIDGETS
#include <QApplication>
using App = QApplication;
#else
#include <QCoreApplication>
using App = QCoreApplication;
#endif
#include <QStandardPaths>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    App app(argc, argv);
    // Settings a test changes stay out of the user's own.
    QStandardPaths::setTestModeEnabled(true);
    return RUN_ALL_TESTS();
}
