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

#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {
// Settings go to a test folder, never the user's own; each test starts with every
// extra off, as a new user would.
struct ExtrasOff : testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { tavrel::SaveExtras({}); }
};
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    ::testing::InitGoogleTest(&argc, argv);
    App app(argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new ExtrasOff);
    return RUN_ALL_TESTS();
}
