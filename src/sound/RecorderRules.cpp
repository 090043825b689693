#include "sound/RecorderRules.h"

#include "state/Numbers.h"

#include <QDateTime>
#include <QDir>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace tavrel {

int LevelPercent(std::span<const std::int16_t> fragment) {
    int peak = 0;
    for (const std::int16_t s : fragment)
        peak = std::max(peak, std::abs(int(s)));
    if (peak == 0)
        return 0;
    const double db = 20 * std::log10(peak / 32768.0);
    return int(std::clamp(std::lround(100 * (1 - db / RecorderLevelFloorDb)), 0L, 100L));
}

QString RecordingFileName(const QDateTime& at) {
    return QStringLiteral("録音 %1.wav").arg(at.toString(QStringLiteral("yyyy-MM-dd HH.mm.ss")));
}

QString ElapsedText(std::int64_t samples) {
    return QStringLiteral("%1 秒 / %2 秒")
        .arg(FormatFixed1(double(samples) / RecorderRate))
        .arg(RecorderLongestSeconds);
}

QString ShortFolderName(const QString& folder, const QString& home) {
    const QString root = QDir::toNativeSeparators(QDir::cleanPath(home));
    const QChar sep = QDir::separator();
    if (root.isEmpty() || root == sep)
        return folder;
    if (folder == root)
        return QStringLiteral("~");
    if (folder.startsWith(root + sep))
        return QStringLiteral("~") + folder.mid(root.size());
    return folder;
}

} // namespace tavrel
