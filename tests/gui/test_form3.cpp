// The voiceprint window as a user meets it, at its designed size: opening
// draws, the zoom buttons and their limits, stop, play with the bar (on a
// clock that moves only when the window yields), and closing in the middle of
// a drawing or a playback.
#include "FakeSoundOutput.h"
#include "FakeTickClock.h"
#include "Pixels.h"

#include "ui/Canvas.h"
#include "ui/PictureBox.h"
#include "voiceprint/Form3.h"
#include "voiceprint/VoiceprintDrawing.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <tuple>

using namespace tavrel;
using namespace tavrel::test;

namespace {

class Form3Test : public ::testing::Test {
protected:
    // `seconds` at 22050 Hz, a loud click in the middle of every frame.
    void Record(double seconds) {
        s.SampleCount = std::int32_t(std::lround(seconds * 22050));
        s.WaveData = FloatArray(std::size_t(s.SampleCount));
        for (std::int32_t i = 256; i < s.SampleCount; i += 512)
            s.WaveData[std::size_t(i)] = 9000;
        s.SampleRate = 22050;
        s.FileName = QStringLiteral("/recordings/a.wav");
    }
    std::unique_ptr<Form3> Open() {
        auto form = std::make_unique<Form3>(s, sound, clock);
        form->LayOutForScreen(QRect(0, 0, 640, 480));
        return form;
    }
    static unsigned Enabled(const Form3& f) { // the five drawing buttons, as bits
        const std::pair<unsigned, QPushButton*> all[] = {{BtnStart, f.Cmd_Start},
                                                         {BtnVZoomIn, f.Cmd_hyouji2},
                                                         {BtnVZoomOut, f.Cmd_tatesyukusyo},
                                                         {BtnHZoomOut, f.Cmd_hyouji3},
                                                         {BtnHZoomIn, f.Cmd_yokokakudai}};
        unsigned bits = 0;
        for (const auto& [bit, button] : all)
            bits |= button->isEnabled() ? bit : 0u;
        return bits;
    }
    // The picture as one whole drawing at these zoom factors makes it.
    QImage Reference(float vzoom, float hzoom) {
        AnalysisState copy = s;
        copy.VZoom = vzoom;
        copy.HZoom = hzoom;
        Canvas c(505, 329);
        DrawVoiceprint(c, copy, [] { return false; });
        return c.Image();
    }
    // Presses Play and notes the bar's value at every step.
    std::vector<int> Play(Form3& f) {
        std::vector<int> values;
        clock.onYield = [&] {
            if (!f.ProgressBar1->isHidden() &&
                (values.empty() || values.back() != f.ProgressBar1->value()))
                values.push_back(f.ProgressBar1->value());
        };
        f.Cmd_Play->click();
        clock.onYield = nullptr;
        return values;
    }

    AnalysisState s;
    FakeSoundOutput sound;
    FakeTickClock clock;
};

} // namespace

// Opening draws at 1/1; then the presses of the zoom buttons, with what each
// draws and leaves usable.
TEST_F(Form3Test, OpeningAndTheZoomButtons) {
    Record(30);
    auto f = Open();
    EXPECT_EQ(f->Picture1->geometry(), QRect(32, 2, 505, 329));
    EXPECT_EQ(f->Cmd_Start->geometry(), QRect(248, 338, 73, 25));
    EXPECT_EQ(f->Cmd_hyouji3->geometry(), QRect(180, 351, 65, 17));
    s.VZoom = 4;
    f->show();
    QCoreApplication::processEvents();
    EXPECT_FALSE(f->Cmd_tyuusi->isVisible());
    EXPECT_EQ(f->Picture1->Pic().Image(), Reference(1, 1));

    struct Press {
        QPushButton* Form3::*button;
        float vzoom, hzoom;
        bool drawn;
        unsigned enabled;
    };
    const auto press = [&](const Press& p) {
        SCOPED_TRACE(testing::Message() << p.vzoom << " " << p.hzoom);
        f->Picture1->Pic().PSet(200, 100, QColor(255, 0, 0)); // a dot no drawing leaves
        (f.get()->*p.button)->click();
        EXPECT_EQ(s.VZoom, p.vzoom);
        EXPECT_EQ(s.HZoom, p.hzoom);
        EXPECT_EQ(f->Picture1->Pic().Pixel(200, 100) == Red, !p.drawn);
        EXPECT_TRUE(!p.drawn || f->Picture1->Pic().Image() == Reference(p.vzoom, p.hzoom));
        EXPECT_EQ(Enabled(*f), p.enabled);
    };
    for (const Press& p : {
             Press{&Form3::Cmd_hyouji2, 2, 1, true, AllDrawButtons},
             Press{&Form3::Cmd_hyouji2, 4, 1, true, AllDrawButtons},
             Press{&Form3::Cmd_hyouji2, 4, 1, false, BtnStart}, // past the limit: nothing
             Press{&Form3::Cmd_Start, 1, 1, true, AllDrawButtons},
             Press{&Form3::Cmd_tatesyukusyo, 0.5, 1, true, AllDrawButtons},
             Press{&Form3::Cmd_tatesyukusyo, 0.5, 1, false, BtnStart},
             Press{&Form3::Cmd_Start, 1, 1, true, AllDrawButtons},
             Press{&Form3::Cmd_hyouji3, 1, 0.5, true, AllDrawButtons},
             Press{&Form3::Cmd_hyouji3, 1, 0.25, true, AllDrawButtons},
             Press{&Form3::Cmd_hyouji3, 1, 0.125, true, AllDrawButtons},
             Press{&Form3::Cmd_hyouji3, 1, 0.125, false, 0}, // only Play and Close remain
         })
        press(p);
    EXPECT_TRUE(f->Cmd_Play->isEnabled() && f->Cmd_End->isEnabled());

    // Closed and opened again: drawn at 1/1 with every button usable.
    f->Cmd_End->click();
    EXPECT_FALSE(f->isVisible());
    f->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(f->Picture1->Pic().Image(), Reference(1, 1));
    EXPECT_EQ(Enabled(*f), unsigned(AllDrawButtons));
    press({&Form3::Cmd_yokokakudai, 1, 2, true, AllDrawButtons});
    press({&Form3::Cmd_yokokakudai, 1, 4, true, AllDrawButtons});
    press({&Form3::Cmd_yokokakudai, 1, 4, false, 0});
}

// Buttons pressed while a drawing waits in its yield.
TEST_F(Form3Test, StopAndRedrawInTheMiddleOfADrawing) {
    Record(30);
    auto f = Open();
    // Stop at the first yield: one cell shows, every button is usable again.
    QTimer::singleShot(0, f.get(), [&] { f->Cmd_tyuusi->click(); });
    f->Form_Activate();
    EXPECT_EQ(s.VoiceStop, 1);
    EXPECT_EQ(Enabled(*f), unsigned(AllDrawButtons));
    EXPECT_EQ(CountColour(f->Picture1->Pic().Image(), White, QRect(61, 16, 429, 276)),
              429 * 276 - 4 * 3);

    // Restore pressed while a zoom's drawing runs: the zoomed drawing ends and
    // the picture is the one at 1/1, not a mixture of both.
    QTimer::singleShot(0, f.get(), [&] { f->Cmd_Start->click(); });
    f->Cmd_hyouji2->click();
    EXPECT_EQ(s.VZoom, 1);
    EXPECT_EQ(f->Picture1->Pic().Image(), Reference(1, 1));
    EXPECT_EQ(Enabled(*f), unsigned(AllDrawButtons));
}

// The bar's values for the worked examples of 2 and 5 seconds.
TEST_F(Form3Test, PlayMovesTheBarWithTheSound) {
    auto f = Open();
    for (const auto& [seconds, steps, last] :
         {std::tuple{2.0, 20u, 258}, std::tuple{5.0, 33u, 426}}) {
        Record(seconds);
        const std::int64_t start = clock.now;
        const std::vector<int> values = Play(*f);
        ASSERT_EQ(values.size(), steps);
        EXPECT_EQ(values.back(), last);
        EXPECT_NEAR(double(clock.now - start), 100.0 * steps, 2); // a 5-s sound plays on
        EXPECT_EQ(f->ProgressBar1->geometry(), QRect(60, 1, 430, 14));
        EXPECT_TRUE(f->ProgressBar1->isHidden());
        EXPECT_TRUE(f->Cmd_End->isEnabled());
    }
    ASSERT_EQ(sound.requests.size(), 2u);
    EXPECT_EQ(sound.requests[0].path, "/recordings/a.wav");

    // Nothing loaded: nothing plays, the window stays closable.
    s.FileName.clear();
    EXPECT_TRUE(Play(*f).empty());
    EXPECT_EQ(sound.requests.size(), 2u);
    EXPECT_TRUE(f->Cmd_End->isEnabled() && f->ProgressBar1->isHidden());

    // A second press while the bar runs starts sound and bar from the left;
    // the first pass then ends without another step.
    Record(2);
    std::vector<int> values;
    std::size_t afterRestart = 0;
    clock.onYield = [&] {
        values.push_back(f->ProgressBar1->value());
        if (values.size() == 20) { // in the 10th step: two yields a step
            f->Cmd_Play->click();
            afterRestart = values.size();
        }
    };
    f->Cmd_Play->click();
    clock.onYield = nullptr;
    EXPECT_EQ(sound.requests.size(), 4u);
    EXPECT_EQ(std::count(values.begin(), values.end(), 12), 2 * 2);
    EXPECT_EQ(values.size(), afterRestart);
}

// Closing in the middle of a drawing or of a playback ends them; even a
// window destroyed inside their yield is not touched again.
TEST_F(Form3Test, ClosingEndsDrawingAndPlayback) {
    Record(30);
    auto f = Open();
    f->show();
    QTimer::singleShot(0, f.get(), [&] { f->Cmd_End->click(); });
    f->Form_Activate(); // returns at the first yield
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(Enabled(*f), 0u); // no drawing completed

    for (const bool duringPlayback : {false, true}) {
        SCOPED_TRACE(duringPlayback);
        Form3* doomed = Open().release();
        if (duringPlayback) {
            clock.onYield = [&] {
                if (doomed && clock.now > 700)
                    delete std::exchange(doomed, nullptr);
            };
            doomed->Cmd_Play->click();
            clock.onYield = nullptr;
        } else {
            QTimer::singleShot(0, qApp, [&] { delete std::exchange(doomed, nullptr); });
            doomed->Form_Activate();
        }
        EXPECT_EQ(doomed, nullptr);
    }
}
