#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "sound/PulseSoundInput.h"
#include "sound/PulseSoundOutput.h"
#include "sound/RecorderLauncher.h"
#include "sound/Ticks.h"
#include "ui/Canvas.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

bool DisplayAvailable() {
    // Without a display Qt aborts with a long trace; a student deserves one line.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (platform && *platform) || (x11 && *x11) || (wayland && *wayland);
}

QIcon AppIcon() {
    // PNGs rather than the SVG, so that no SVG plugin is needed at run time;
    // the small sizes are drawn for their pixel grid, so Qt must not scale a big one down.
    QIcon icon;
    for (const int px : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/tavrel-%1.png").arg(px), QSize(px, px));
    return icon;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const tavrel::CommandLine command = tavrel::ParseCommandLine(args, TAVREL_VERSION_TEXT);
    switch (command.What) {
    case tavrel::CommandLine::Action::Version:
    case tavrel::CommandLine::Action::Help:
        std::printf("%s\n", command.Text.c_str());
        return 0;
    case tavrel::CommandLine::Action::Error:
        std::fprintf(stderr, "%s\n", command.Text.c_str());
        return 2;
    case tavrel::CommandLine::Action::Run:
        break;
    }

    if (!DisplayAvailable()) {
        std::fputs("Tavrel: 画面（ディスプレイ）がありません / no display: "
                   "start it under Xvfb with  xvfb-run -s \"-screen 0 1024x768x24\" tavrel\n",
                   stderr);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavrel"));
    QApplication::setApplicationVersion(QStringLiteral(TAVREL_VERSION_TEXT));
    // Lets a Wayland compositor match the window with the installed menu entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.tavrel.Tavrel"));
    QApplication::setWindowIcon(AppIcon());
    QApplication::setFont(tavrel::JapaneseFont(9));

    // Declared before the window: the window's loops use them to the end.
    tavrel::QtDialogs dialogs;
    tavrel::PulseSoundOutput sound;
    tavrel::SystemTickClock clock;
    tavrel::QtProgramStarter programs;
    tavrel::PulseSoundInput microphone;
    tavrel::MainWindow window({dialogs, sound, clock, programs, microphone});
    window.show();
    if (!command.File.empty()) {
        // Once the event loop runs, so that the window has its final size and
        // a refusal's message box stands over it.
        const QString file = QFile::decodeName(command.File.c_str());
        QTimer::singleShot(0, &window, [&window, file] { window.OpenNamedFile(file); });
    }
    return app.exec();
}
