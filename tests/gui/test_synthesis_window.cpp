// The synthesis window's sound as the real audio server plays it.
#include "FakePlatform.h"
#include "PulseMonitor.h"

#include "sound/QtSoundOutput.h"
#include "synthesis/Form2.h"

#include <gtest/gtest.h>

using namespace tavrel;
using namespace tavrel::test;

// The window's image heard through the server's monitor: 150 Hz for 60550 samples.
TEST(SynthesisSound, TheRebuiltPeriodIsHeardAtItsPitchForItsLength) {
    TAVREL_REQUIRE_SOUND_SERVER();
    AnalysisState s;
    s.PeriodSamples = 147;
    s.HarmRe[1] = 5000;
    s.HarmIm[1] = -3000;
    FakePlatform fake;
    Form2 form(s, fake.dialogs, fake.sound, {[](int, QColor) {}, [] { return QSize(520, 200); }},
               QRect(0, 0, 640, 480));
    form.CmdPlay_Click(); // N = 1, as it opens
    ASSERT_EQ(fake.sound.requests.size(), 1u);
    const std::vector<std::uint8_t>& image = fake.sound.requests[0].image;
    QtSoundOutput real;
    ExpectWholeToneHeardBeforeReturn(RecordPlayImageAndWait(real, image.data(), image.size()),
                                     22050.0 / 147, 60550.0 / 22050);
}
