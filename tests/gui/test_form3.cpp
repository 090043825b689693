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

using namespace tavrel;
using namespace tavrel::test;

namespace {

class Form3Test : public ::testing::Test {
protected:
    // A recording of `seconds` at 22050 Hz, a loud broadband click per frame.
    void Record(double seconds, const char* file = "/recordings/a.wav") {
        s.SampleCount = std::int32_t(std::lround(seconds * 22050));
        s.WaveData = FloatArray(std::size_t(s.SampleCount));
        for (std::int32_t i = 256; i < s.SampleCount; i += 512)
            s.WaveData[std::size_t(i)] = 9000;
        s.SampleRate = 22050;
        s.FileName = QString::fromUtf8(file);
    }
    std::unique_ptr<Form3> Open() {
        auto form = std::make_unique<Form3>(s, sound, clock);
        form->LayOutForScreen(QRect(0, 0, 640, 480));
        return form;
    }
    // Which of the five drawing buttons are enabled, as DrawButton bits.
    static unsigned Enabled(const Form3& f) {
        return (f.Cmd_Start->isEnabled() ? unsigned(BtnStart) : 0u) |
               (f.Cmd_hyouji2->isEnabled() ? unsigned(BtnVZoomIn) : 0u) |
               (f.Cmd_tatesyukusyo->isEnabled() ? unsigned(BtnVZoomOut) : 0u) |
               (f.Cmd_hyouji3->isEnabled() ? unsigned(BtnHZoomOut) : 0u) |
               (f.Cmd_yokokakudai->isEnabled() ? unsigned(BtnHZoomIn) : 0u);
    }
    // The picture as a drawing at these zoom factors makes it.
    QImage Reference(float vzoom, float hzoom) {
        AnalysisState copy = s;
        copy.VZoom = vzoom;
        copy.HZoom = hzoom;
        Canvas c(505, 329);
        DrawVoiceprint(c, copy, [] { return false; });
        return c.Image();
    }
    // Presses Play and notes the bar's value whenever it changes.
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

TEST_F(Form3Test, OpensLaidOutAndDraws) {
    Record(2);
    auto f = Open();
    EXPECT_EQ(f->windowTitle(), "声紋");
    EXPECT_EQ(f->size(), QSize(552, 369));
    EXPECT_EQ(f->Picture1->geometry(), QRect(32, 2, 505, 329));
    EXPECT_EQ(f->Cmd_Start->geometry(), QRect(248, 338, 73, 25));
    EXPECT_EQ(f->Cmd_End->geometry(), QRect(480, 338, 57, 25));
    EXPECT_EQ(f->Cmd_hyouji2->geometry(), QRect(112, 333, 65, 17));
    EXPECT_EQ(f->Cmd_hyouji3->geometry(), QRect(180, 351, 65, 17));
    EXPECT_EQ(f->Cmd_tatesyukusyo->text(), "縦縮小(&S)");
    EXPECT_EQ(f->Cmd_Start->nextInFocusChain(), f->Cmd_End);

    s.VZoom = 4; // left over from before: opening draws at 1/1
    f->show();
    QCoreApplication::processEvents();
    EXPECT_FALSE(f->Cmd_tyuusi->isVisible());
    EXPECT_TRUE(f->ProgressBar1->isHidden());
    EXPECT_EQ(s.VZoom, 1);
    EXPECT_EQ(f->Picture1->Pic().Image(), Reference(1, 1));
    EXPECT_EQ(Enabled(*f), unsigned(AllDrawButtons));
}

// The presses of the zoom buttons, with what each draws and leaves usable.
TEST_F(Form3Test, ZoomButtonsAndTheirLimits) {
    Record(30);
    auto f = Open();
    f->Form_Activate();
    const auto marked = [&] { // a dot no drawing leaves
        f->Picture1->Pic().PSet(200, 100, QColor(255, 0, 0));
    };
    const unsigned startOnly = BtnStart;
    struct Press {
        QPushButton* Form3::*button;
        float vzoom, hzoom;
        bool drawn;
        unsigned enabled;
    };
    const Press presses[] = {
        {&Form3::Cmd_hyouji2, 2, 1, true, AllDrawButtons},
        {&Form3::Cmd_hyouji2, 4, 1, true, AllDrawButtons},
        {&Form3::Cmd_hyouji2, 4, 1, false, startOnly}, // past the limit: nothing
        {&Form3::Cmd_Start, 1, 1, true, AllDrawButtons},
        {&Form3::Cmd_tatesyukusyo, 0.5, 1, true, AllDrawButtons},
        {&Form3::Cmd_tatesyukusyo, 0.5, 1, false, startOnly},
        {&Form3::Cmd_Start, 1, 1, true, AllDrawButtons},
        {&Form3::Cmd_yokokakudai, 1, 2, true, AllDrawButtons},
        {&Form3::Cmd_hyouji3, 1, 1, true, AllDrawButtons},
        {&Form3::Cmd_hyouji3, 1, 0.5, true, AllDrawButtons},
        {&Form3::Cmd_hyouji3, 1, 0.25, true, AllDrawButtons},
        {&Form3::Cmd_hyouji3, 1, 0.125, true, AllDrawButtons},
        {&Form3::Cmd_hyouji3, 1, 0.125, false, 0}, // only Play and Close remain
    };
    for (const Press& p : presses) {
        SCOPED_TRACE(testing::Message() << p.vzoom << " " << p.hzoom);
        marked();
        (f.get()->*p.button)->click();
        EXPECT_EQ(s.VZoom, p.vzoom);
        EXPECT_EQ(s.HZoom, p.hzoom);
        EXPECT_EQ(f->Picture1->Pic().Pixel(200, 100) == Red, !p.drawn);
        if (p.drawn) {
            EXPECT_EQ(f->Picture1->Pic().Image(), Reference(p.vzoom, p.hzoom));
        }
        EXPECT_EQ(Enabled(*f), p.enabled);
    }
    EXPECT_TRUE(f->Cmd_Play->isEnabled());
    EXPECT_TRUE(f->Cmd_End->isEnabled());

    // Closing and opening again draws at 1/1 with every button usable.
    f->show();
    f->Cmd_End->click();
    EXPECT_FALSE(f->isVisible());
    f->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(f->Picture1->Pic().Image(), Reference(1, 1));
    EXPECT_EQ(Enabled(*f), unsigned(AllDrawButtons));
}

// Buttons pressed while a drawing waits in its yield.
TEST_F(Form3Test, StopAndRedrawInTheMiddleOfADrawing) {
    Record(30);
    auto f = Open();
    const QImage blank = [] {
        AnalysisState none;
        none.VZoom = none.HZoom = 1;
        Canvas c(505, 329);
        DrawVoiceprintAxes(c, none);
        return c.Image();
    }();

    // Stop at the first yield: one cell shows, every button is usable again.
    QTimer::singleShot(0, f.get(), [&] { f->Cmd_tyuusi->click(); });
    f->Form_Activate();
    EXPECT_EQ(s.VoiceStop, 1);
    EXPECT_EQ(Enabled(*f), unsigned(AllDrawButtons));
    const QImage& pic = f->Picture1->Pic().Image();
    int differing = 0;
    for (int y = 0; y < 329; ++y)
        for (int x = 0; x < 505; ++x)
            differing += pic.pixel(x, y) != blank.pixel(x, y);
    EXPECT_EQ(differing, 4 * 3); // the cell from (61, 291) to (64, 289)

    // Restore pressed while a zoom's drawing runs: the zoomed drawing ends and
    // the picture is the one at 1/1, not a mixture of both.
    QTimer::singleShot(0, f.get(), [&] { f->Cmd_Start->click(); });
    f->Cmd_hyouji2->click();
    EXPECT_EQ(s.VZoom, 1);
    EXPECT_EQ(f->Picture1->Pic().Image(), Reference(1, 1));
    EXPECT_EQ(Enabled(*f), unsigned(AllDrawButtons));
}

// The bar's values for the worked examples; the clock moves only as the
// window yields, so these seconds pass at once.
TEST_F(Form3Test, PlayMovesTheBarWithTheSound) {
    Record(2);
    auto f = Open();
    const std::int64_t start = clock.now;
    const std::vector<int> two = Play(*f);
    ASSERT_EQ(two.size(), 20u);
    EXPECT_EQ(two.front(), 12);
    EXPECT_EQ(two.back(), 258);
    EXPECT_EQ(f->ProgressBar1->geometry(), QRect(60, 1, 430, 14));
    EXPECT_EQ(f->ProgressBar1->maximum(), 430);
    EXPECT_TRUE(f->ProgressBar1->isHidden());
    EXPECT_TRUE(f->Cmd_End->isEnabled());
    EXPECT_NEAR(double(clock.now - start), 2000, 2);
    ASSERT_EQ(sound.requests.size(), 1u);
    EXPECT_FALSE(sound.requests[0].waited);
    EXPECT_EQ(sound.requests[0].path, "/recordings/a.wav");

    Record(5);
    const std::int64_t five = clock.now;
    const std::vector<int> five5 = Play(*f);
    ASSERT_EQ(five5.size(), 33u);
    EXPECT_EQ(five5.back(), 426);
    EXPECT_NEAR(double(clock.now - five), 3300, 2); // the sound plays on
    EXPECT_TRUE(f->Cmd_End->isEnabled());

    // A 2-second recording at 44.1 kHz fills the columns of 4 seconds.
    Record(1);
    s.SampleCount = 88200;
    s.WaveData = FloatArray(88200);
    s.SampleRate = 44100;
    const std::vector<int> fast = Play(*f);
    ASSERT_EQ(fast.size(), 16u);
    EXPECT_EQ(fast.back(), 413);

    // Nothing loaded: nothing plays, the window stays closable.
    s.FileName.clear();
    sound.requests.clear();
    EXPECT_TRUE(Play(*f).empty());
    EXPECT_TRUE(sound.requests.empty());
    EXPECT_TRUE(f->Cmd_End->isEnabled());
    EXPECT_TRUE(f->ProgressBar1->isHidden());

    // A second press while the bar runs starts sound and bar from the left;
    // the first pass then ends without touching the bar again.
    Record(2);
    std::vector<int> values;
    std::size_t afterRestart = 0;
    bool pressed = false;
    const std::int64_t before = clock.now;
    clock.onYield = [&] {
        values.push_back(f->ProgressBar1->value());
        if (!pressed && clock.now - before > 1000) {
            pressed = true;
            f->Cmd_Play->click();
            afterRestart = values.size();
        }
    };
    f->Cmd_Play->click();
    clock.onYield = nullptr;
    EXPECT_EQ(sound.requests.size(), 2u);
    EXPECT_EQ(std::count(values.begin(), values.end(), 12), 2 * 2); // two yields a step
    EXPECT_EQ(values.size(), afterRestart); // no step of the first pass after the second
    EXPECT_NEAR(double(clock.now - before), 1000 + 2000, 150); // pressed in the 11th step
    EXPECT_TRUE(f->ProgressBar1->isHidden());
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
    EXPECT_EQ(s.VZoom, 1);
    EXPECT_EQ(Enabled(*f), 0u); // nothing completed

    for (const bool duringPlayback : {false, true}) {
        SCOPED_TRACE(duringPlayback);
        Form3* doomed = Open().release();
        doomed->show();
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
