#include "sound/RecorderLauncher.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace tavrel {

bool QtProgramStarter::StartDetached(const QString& path) {
    return QProcess::startDetached(path, {});
}

RecorderCandidates SystemRecorderCandidates() {
    RecorderCandidates c;
#ifdef Q_OS_WIN
    c.paths = {QStringLiteral("c:\\Windows\\Sndrec32.exe"),
               QStringLiteral("c:\\Windows\\system32\\Sndrec32.exe"),
               QStringLiteral("c:\\WINNT\\system32\\Sndrec32.exe")};
#else
    c.names = {QStringLiteral("gnome-sound-recorder"), QStringLiteral("audacity"),
               QStringLiteral("kwave")};
#endif
    return c;
}

QStringList LaunchRecorder(ProgramStarter& starter, const RecorderCandidates& candidates) {
    QStringList started;
    for (const QString& path : candidates.paths) {
        const QFileInfo f(path);
        if (f.isFile() && f.isExecutable() && starter.StartDetached(path))
            started << path;
    }
    if (!started.isEmpty())
        return started;
    for (const QString& name : candidates.names) {
        const QString path = QStandardPaths::findExecutable(name, candidates.searchPath);
        if (!path.isEmpty() && starter.StartDetached(path))
            return {path};
    }
    return started;
}

} // namespace tavrel
