// The voiceprint pixel by pixel, and its window at the designed size on a clock that
// moves only as the window yields.
#include "FakePlatform.h"
#include "Pixels.h"

#include "sound/SoundOutput.h"
#include "ui/Canvas.h"
#include "ui/PictureBox.h"
#include "voiceprint/Form3.h"
#include "voiceprint/Form3Rules.h"
#include "voiceprint/Spectrogram.h"
#include "voiceprint/VoiceprintAxes.h"
#include "voiceprint/VoiceprintDrawing.h"

#include <QTest>
#include <QtWidgets>
#include <gtest/gtest.h>

#include <cmath>

using namespace tavrel;
using namespace tavrel::test;

namespace {

// 22050 Hz, an impulse in the middle of each frame: every bin of it at `magnitude`.
AnalysisState Impulses(int samples, double magnitude) {
    AnalysisState s;
    s.SampleCount = samples;
    s.WaveData = FloatArray(std::size_t(samples));
    const double w256 = 0.54 - 0.46 * std::cos(2 * 256 * 3.14159265358979 / 511);
    for (int i = 256; i < samples; i += 512)
        s.WaveData[std::size_t(i)] = float(magnitude / w256);
    s.SampleRate = 22050;
    s.VZoom = s.HZoom = 1;
    s.FileName = QStringLiteral("/recordings/a.wav");
    return s;
}

QImage Drawn(AnalysisState& s, QSize size = {505, 329}) {
    Canvas c(size.width(), size.height());
    EXPECT_EQ(DrawVoiceprint(c, s, [] { return false; }), DrawingEnd::Completed);
    return c.Image();
}

class Form3Test : public ::testing::Test {
protected:
    void Record(double seconds) { s = Impulses(int(std::lround(seconds * 22050)), 9000); }
    std::unique_ptr<Form3> Open() {
        auto form = std::make_unique<Form3>(s, dialogs, sound, clock);
        form->LayOutForScreen(QRect(0, 0, 640, 480));
        return form;
    }
    static unsigned Enabled(const Form3& f) { // the drawing buttons, as Btn bits
        unsigned bits = 0, bit = 1;
        for (QPushButton* b :
             {f.Cmd_Start, f.Cmd_hyouji2, f.Cmd_tatesyukusyo, f.Cmd_hyouji3, f.Cmd_yokokakudai})
            bits |= b->isEnabled() ? bit : 0u, bit <<= 1;
        return bits;
    }
    QImage Reference(float vzoom, float hzoom) { // one whole drawing at these zoom factors
        AnalysisState copy = s;
        std::tie(copy.VZoom, copy.HZoom) = std::pair(vzoom, hzoom);
        return Drawn(copy);
    }
    std::vector<int> Play(Form3& f) { // the bar's value at every step
        std::vector<int> values;
        clock.onYield = [&] {
            const int v = f.ProgressBar1->value();
            if (!f.ProgressBar1->isHidden() && (values.empty() || values.back() != v))
                values.push_back(v);
        };
        f.Cmd_Play->click();
        clock.onYield = nullptr;
        return values;
    }

    AnalysisState s;
    FakeDialogs dialogs;
    FakeSoundOutput sound;
    FakeTickClock clock;
};

} // namespace

// Magnitude 4500 is grey 128; the cells fill the inside and never cover the frame, also
// 512 wide, where column 142 ends a fraction short of it. Whole frames only: the 511 loud
// samples after them stay white. Row k shows bin k + 1.
TEST(VoiceprintDrawing, CellsInsideTheFrameWholeFramesOnlyEachRowInItsBin) {
    for (const QSize size : {QSize(505, 329), QSize(512, 329), QSize(600, 400)}) {
        AnalysisState s = Impulses(300 * 512, 4500);
        const QImage img = Drawn(s, size);
        const PlotFrame f = VoiceprintFrame(size.width(), size.height());
        const QRect frame(QPoint(f.PlotLeft, f.PlotTop), QPoint(f.PlotRight, f.PlotBottom));
        const QRect inside = frame.adjusted(1, 1, -1, -1);
        EXPECT_EQ(CountColour(img, qRgb(128, 128, 128), inside), inside.width() * inside.height());
        EXPECT_EQ(CountColour(img, Black, frame) - CountColour(img, Black, inside),
                  2 * (frame.width() + frame.height()) - 4)
            << size.width();
    }
    for (const auto& [frames, width] : {std::pair{0, 0}, std::pair{2, 7}, std::pair{100, 301}}) {
        AnalysisState s = Impulses(frames * 512 + 511, 20000);
        EXPECT_EQ(CountColour(Drawn(s), White, QRect(61, 16, 429, 276)), (429 - width) * 276);
    }
    AnalysisState s = Impulses(1024, 0);
    for (int i = 0; i < 1024; ++i)
        s.WaveData[std::size_t(i)] = float(300 * std::sin(i * 0.3) + (i % 7) * 20);
    const QImage img = Drawn(s); // SpecMag keeps the last frame's spectrum, frame 1's
    for (int k = 0; k < 137; ++k)
        EXPECT_EQ(qRed(img.pixel(66, 290 - 2 * k)), GreyLevel(s.SpecMag[k + 1])) << k;
}

// On real screens the picture is no longer 329 px high: a tone of 2 kHz is still drawn
// at the tick labelled 2.00, at every zoom and rate (within the row it falls in).
TEST(VoiceprintDrawing, AToneLiesAtTheTickOfItsFrequencyOnEveryScreen) {
    for (const auto& [sw, sh, vzoom, rate] : {std::tuple{1280, 800, 1.0f, 22050u},
                                              {1920, 1080, 2.0f, 44100u},
                                              {1024, 768, 0.5f, 22050u}}) {
        const Form3Layout l = ComputeForm3Layout(sw, sh);
        const int w = int(std::lround(l.pictureWidth)), h = int(std::lround(l.pictureHeight));
        AnalysisState s = Impulses(40 * 512, 0);
        for (int i = 0; i < s.SampleCount; ++i)
            s.WaveData[std::size_t(i)] = float(300 * std::sin(2 * M_PI * 2000 * i / rate));
        std::tie(s.SampleRate, s.VZoom) = std::pair(rate, vzoom);
        const QImage img = Drawn(s, {w, h});
        const VoiceprintAxes a = LayOutVoiceprintAxes(w, h, vzoom, 1, rate);
        const auto label = std::find_if(a.labels.begin(), a.labels.end(),
                                        [](const AxisText& t) { return t.text == "2.00"; });
        ASSERT_NE(label, a.labels.end());
        std::vector<int> darkest; // rows of the darkest grey in one column
        for (int y = a.frame.PlotTop + 1, g = 256; y < a.frame.PlotBottom; ++y)
            if (const int v = qRed(img.pixel(a.frame.PlotLeft + 3, y)); v <= g)
                darkest = v < g ? std::vector{y} : (darkest.push_back(y), darkest), g = v;
        EXPECT_NEAR((darkest.front() + darkest.back()) / 2.0, label->y + 5, 2.0) << sw << "x" << sh;
    }
}

// Opening draws at 1/1; then the zoom buttons, with what each draws and leaves usable.
// Reopened and stopped at once, then restore pressed during a zoom's drawing: that
// drawing ends first, and the picture is at 1/1, not a mixture.
TEST_F(Form3Test, ZoomButtonsStopAndRestore) {
    Record(30);
    auto f = Open();
    EXPECT_EQ(f->Picture1->geometry(), QRect(32, 2, 505, 329));
    s.VZoom = s.HZoom = 4; // opening draws at 1/1 whatever the state held
    f->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(f->Picture1->Pic().Image(), Reference(1, 1));

    const auto press = [&](QPushButton* Form3::*button, float vzoom, float hzoom, bool drawn,
                           unsigned enabled) {
        SCOPED_TRACE(testing::Message() << vzoom << " " << hzoom);
        f->Picture1->Pic().PSet(200, 100, QColor(255, 0, 0)); // a dot no drawing leaves
        (f.get()->*button)->click();
        EXPECT_EQ(std::pair(s.VZoom, s.HZoom), std::pair(vzoom, hzoom));
        EXPECT_TRUE(drawn ? f->Picture1->Pic().Image() == Reference(vzoom, hzoom)
                          : f->Picture1->Pic().Pixel(200, 100) == Red);
        EXPECT_EQ(Enabled(*f), enabled);
    };
    const unsigned all = AllDrawButtons;
    press(&Form3::Cmd_hyouji2, 2, 1, true, all);
    press(&Form3::Cmd_hyouji2, 4, 1, true, all);
    press(&Form3::Cmd_hyouji2, 4, 1, false, BtnStart); // past the limit: nothing
    press(&Form3::Cmd_Start, 1, 1, true, all);
    press(&Form3::Cmd_tatesyukusyo, 0.5, 1, true, all);
    press(&Form3::Cmd_tatesyukusyo, 0.5, 1, false, BtnStart);
    press(&Form3::Cmd_Start, 1, 1, true, all);
    press(&Form3::Cmd_hyouji3, 1, 0.5, true, all);
    press(&Form3::Cmd_hyouji3, 1, 0.25, true, all);
    press(&Form3::Cmd_hyouji3, 1, 0.125, true, all);
    press(&Form3::Cmd_hyouji3, 1, 0.125, false, 0); // only Play and Close remain
    EXPECT_TRUE(f->Cmd_Play->isEnabled() && f->Cmd_End->isEnabled());

    // Closed and opened again: drawn at 1/1 with every button usable; stopped, one cell
    // shows and every button is usable.
    f->Cmd_End->click();
    EXPECT_FALSE(f->isVisible());
    f->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(f->Picture1->Pic().Image(), Reference(1, 1));
    EXPECT_EQ(Enabled(*f), all);
    QTimer::singleShot(0, f.get(), [&] { f->Cmd_tyuusi->click(); });
    f->Form_Activate();
    EXPECT_EQ(Enabled(*f), all);
    EXPECT_EQ(CountColour(f->Picture1->Pic().Image(), White, QRect(61, 16, 429, 276)),
              429 * 276 - 4 * 3);
    QTimer::singleShot(0, f.get(), [&] { f->Cmd_Start->click(); });
    press(&Form3::Cmd_hyouji2, 1, 1, true, all);
    press(&Form3::Cmd_yokokakudai, 1, 2, true, all);
    press(&Form3::Cmd_yokokakudai, 1, 4, true, all);
    press(&Form3::Cmd_yokokakudai, 1, 4, false, 0);

    // Restore pressed while playing, the playback started in a vertical zoom's drawing:
    // drawn at once, and the zoom's drawing beneath ends without painting over it (a tone,
    // whose row stands elsewhere at each zoom).
    for (std::size_t i = 0; i < s.WaveData.size(); ++i)
        s.WaveData[i] = float(300 * std::sin(i * 0.3));
    f->Cmd_Start_Click(); // everything usable again
    bool drawnAtPress = false;
    QTimer::singleShot(0, f.get(), [&] {
        clock.onYield = [&, yields = 0]() mutable {
            if (++yields == 3)
                f->Cmd_Start->click(), drawnAtPress = f->Picture1->Pic().Image() == Reference(1, 1);
        };
        f->Cmd_Play->click();
        clock.onYield = nullptr;
    });
    f->Cmd_hyouji2->click();
    EXPECT_TRUE(drawnAtPress && f->Picture1->Pic().Image() == Reference(1, 1));
    EXPECT_EQ(std::tuple(s.VZoom, Enabled(*f)), std::tuple(1.0f, all));
}

// The bar for 2 and 5 seconds (the 5-s sound plays on past the plot); a second press
// restarts sound and bar, the first pass taking no further step.
TEST_F(Form3Test, PlayMovesTheBarWithTheSoundAndClosingEndsIt) {
    auto f = Open();
    for (const auto& [seconds, steps, last] : {std::tuple{2.0, 20u, 258}, {5.0, 33u, 426}}) {
        Record(seconds);
        const std::int64_t start = clock.now;
        const std::vector<int> values = Play(*f);
        ASSERT_EQ(values.size(), steps);
        EXPECT_EQ(values.back(), last);
        EXPECT_NEAR(double(clock.now - start), 100.0 * steps, 2);
        EXPECT_EQ(f->ProgressBar1->geometry(), QRect(60, 1, 430, 14));
        EXPECT_TRUE(f->ProgressBar1->isHidden() && f->Cmd_End->isEnabled());
    }
    ASSERT_EQ(sound.requests.size(), 2u);
    EXPECT_EQ(sound.requests[0].path, "/recordings/a.wav");
    s.FileName.clear(); // nothing loaded: nothing plays, and the window stays closable
    EXPECT_TRUE(Play(*f).empty() && f->Cmd_End->isEnabled() && f->ProgressBar1->isHidden());
    EXPECT_EQ(sound.requests.size(), 2u);
    Record(2); // no sound output: said once, no bar, the window closable
    sound.works = false;
    EXPECT_TRUE(Play(*f).empty() && f->Cmd_End->isEnabled() && f->ProgressBar1->isHidden());
    EXPECT_EQ(dialogs.messages, std::vector<QString>{NoSoundMessage});
    sound.works = true;

    Record(2);
    std::vector<int> values;
    std::size_t afterRestart = 0;
    clock.onYield = [&] {
        values.push_back(f->ProgressBar1->value());
        if (values.size() == 20) // in the 10th step: two yields a step
            f->Cmd_Play->click(), afterRestart = values.size();
    };
    f->Cmd_Play->click();
    clock.onYield = nullptr;
    EXPECT_EQ(sound.requests.size(), 5u); // the one that found no output among them
    EXPECT_EQ(std::count(values.begin(), values.end(), 12), 2 * 2);
    EXPECT_EQ(values.size(), afterRestart);

    // Closing ends a drawing; a window destroyed in a drawing's or a playback's yield is
    // left alone.
    Record(30);
    f->show();
    QTimer::singleShot(0, f.get(), [&] { f->Cmd_End->click(); });
    f->Form_Activate(); // returns at the first yield
    EXPECT_FALSE(f->isVisible());
    EXPECT_EQ(Enabled(*f), 0u); // no drawing completed
    Form3* doomed = Open().release();
    QTimer::singleShot(0, qApp, [&] { delete std::exchange(doomed, nullptr); });
    doomed->Form_Activate();
    EXPECT_EQ(doomed, nullptr);
    doomed = Open().release();
    clock.onYield = [&, start = clock.now] {
        if (doomed && clock.now > start + 700)
            delete std::exchange(doomed, nullptr);
    };
    doomed->Cmd_Play->click();
    clock.onYield = nullptr;
    EXPECT_EQ(doomed, nullptr);
}

// The readout in a row added under the window; lines at 440 Hz's harmonics, there again
// after a drawing, gone when off or no period is marked; both kept for the next window.
TEST_F(Form3Test, PointerReadoutAndHarmonicLines) {
    Record(2);
    std::tie(s.FundFreq, s.PeriodReady) = std::pair(440.0f, std::int16_t(1));
    auto f = Open();
    f->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.Choose(f->Picture1, "ポインタの位置を表示"),
              (std::vector<QString>{"ポインタの位置を表示|Ctrl+I", "倍音の線を重ねる|Ctrl+L", "|",
                                    "画像を保存…|Ctrl+S", "画像をコピー|Ctrl+C"}));
    EXPECT_EQ(std::pair(f->height() - f->lblReadout->height(), f->lblReadout->y()),
              std::pair(369, 369));
    QTest::mouseMove(f->Picture1, {200, 100});
    // x 200: 46.33 columns of 3 px from x = 61, of 512 samples at 22050 Hz; y 100: row 95
    // of 2 px up from y = 291, bin 96: 96 x 22050 / 512 = 4134.4 Hz, 21.5 cents under C8.
    EXPECT_EQ(f->lblReadout->text(), QString::fromUtf8("1.08 秒　4134 Hz　ド (C8) -21 セント"));
    QApplication::sendEvent(f->Picture1, std::make_unique<QEvent>(QEvent::Leave).get());
    EXPECT_TRUE(f->lblReadout->text().isEmpty());

    f->mnuHarmLines->trigger();
    const QImage lined = f->Picture1->Pic().Image();
    int onLines = 0; // 3 px in 6 over the two seconds' 86 columns: 61 ... 319
    // At the middle of the row of k x 440 Hz's nearest bin b, 292 - 2 b: within a row of
    // where the ticks, 46 px per kHz up from y = 292, put k x 0.44 kHz.
    for (const int y : {272, 252, 230, 210, 190, 170, 148, 128, 108, 88, 68, 46, 26})
        onLines += CountColour(lined, Red, {61, y, 259, 1});
    EXPECT_EQ(std::pair(CountColour(lined, Red), onLines), std::pair(13 * 130, 13 * 130));
    f->Cmd_Start->click();
    EXPECT_EQ(f->Picture1->Pic().Image(), lined);
    auto g = Open();
    EXPECT_TRUE(LoadExtras() == s.Extras && g->mnuHarmLines->isChecked() &&
                g->height() == f->height());
    s.PeriodReady = 0; // a new region or recording: the old period's lines would mislead
    g->Form_Activate();
    EXPECT_EQ(g->Picture1->Pic().Image(), Reference(1, 1));
    f->mnuHarmLines->trigger(), f->mnuReadout->trigger();
    EXPECT_EQ(std::pair(f->Picture1->Pic().Image(), f->height()), std::pair(Reference(1, 1), 369));
}
