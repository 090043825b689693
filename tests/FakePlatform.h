#pragma once
// Stand-ins for everything the windows need of the machine, in one place.

#include "FakeDialogs.h"
#include "FakeSoundOutput.h"
#include "FakeTickClock.h"

#include "app/Platform.h"
#include "sound/RecorderLauncher.h"

#include <QStringList>

namespace tavrel::test {

struct FakeProgramStarter : ProgramStarter {
    bool StartDetached(const QString& path) override {
        started << path;
        return true;
    }
    QStringList started;
};

struct FakePlatform {
    FakeDialogs dialogs;
    FakeSoundOutput sound;
    FakeTickClock clock;
    FakeProgramStarter programs;
    Platform platform{dialogs, sound, clock, programs};
};

} // namespace tavrel::test
