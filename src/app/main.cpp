#include "app/MainWindow.h"
#include "ui/Canvas.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

static bool DisplayAvailable() {
    // Without a display Qt aborts with a long trace; a student deserves one line.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (platform && *platform) || (x11 && *x11) || (wayland && *wayland);
}

int main(int argc, char** argv) {
    if (!DisplayAvailable()) {
        std::fputs("Tavrel: 画面（ディスプレイ）がありません / no display: "
                   "start it under Xvfb with  xvfb-run -s \"-screen 0 1024x768x24\" tavrel\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavrel"));
    QApplication::setFont(tavrel::JapaneseFont(9));

    tavrel::QtDialogs dialogs;
    tavrel::MainWindow window(dialogs);
    window.show();
    return app.exec();
}
