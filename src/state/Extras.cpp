#include "state/Extras.h"

#include <QSettings>

namespace tavrel {

namespace {

QSettings Settings() {
    return QSettings(QStringLiteral("Tavrel"), QStringLiteral("Tavrel"));
}

bool ReadBool(const QSettings& s, const char* key) {
    const QVariant v = s.value(QLatin1String(key));
    return v.isValid() && v.toString() == QLatin1String("true");
}

} // namespace

ExtraSwitches LoadExtras() {
    const QSettings s = Settings();
    ExtraSwitches e;
    e.NoteNames = ReadBool(s, "extras/noteNames");
    e.OverlayOriginal = ReadBool(s, "extras/overlayOriginal");
    e.PointerReadout = ReadBool(s, "extras/pointerReadout");
    e.HarmonicLines = ReadBool(s, "extras/harmonicLines");
    bool ok = false;
    const uint phases = s.value(QStringLiteral("extras/phases")).toUInt(&ok);
    if (ok && phases <= uint(PhaseSetting::Random))
        e.Phases = PhaseSetting(phases);
    const uint seed = s.value(QStringLiteral("extras/phaseSeed")).toUInt(&ok);
    if (ok)
        e.PhaseSeed = seed;
    return e;
}

void SaveExtras(const ExtraSwitches& e) {
    QSettings s = Settings();
    s.setValue(QStringLiteral("extras/noteNames"), e.NoteNames);
    s.setValue(QStringLiteral("extras/overlayOriginal"), e.OverlayOriginal);
    s.setValue(QStringLiteral("extras/pointerReadout"), e.PointerReadout);
    s.setValue(QStringLiteral("extras/harmonicLines"), e.HarmonicLines);
    s.setValue(QStringLiteral("extras/phases"), uint(e.Phases));
    s.setValue(QStringLiteral("extras/phaseSeed"), e.PhaseSeed);
}

} // namespace tavrel
