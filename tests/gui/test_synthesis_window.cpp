// The synthesis window as a student meets it: opened on an analysed period
// whose harmonics are known, stepped through N, moved, played and closed,
// with what its pictures and the main window's chart show at each step; and
// the rebuilt sound as the real audio server plays it.
#include "FakePlatform.h"
#include "Pixels.h"
#include "PulseMonitor.h"
#include "TestWav.h"

#include "app/MainWindow.h"
#include "sound/QtSoundOutput.h"
#include "synthesis/Form2.h"
#include "synthesis/SynthLayout.h"
#include "synthesis/SynthSound.h"
#include "ui/PictureBox.h"
#include "ui/WindowOps.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

using namespace tavrel;
using namespace tavrel::test;

namespace {

const QRgb Cyan = qRgb(0, 128, 128);
const QRgb Magenta = qRgb(255, 0, 255);

// Harmonics 1 ... 5 of a 100-sample period, all cosines, 40 : 28 : 18 : 12 : 8.
// Their curves start at y = 84 - 69 x (1, 0.7, 0.45, 0.3, 0.2) on the left
// picture: rows 15, 36, 53, 63 and 70.
constexpr double Amps[] = {40, 28, 18, 12, 8};
constexpr int StartRows[] = {15, 36, 53, 63, 70};

QByteArray FiveCosines() {
    std::vector<int> s(4000);
    for (int i = 0; i < 4000; ++i) {
        double v = 0;
        for (int k = 1; k <= 5; ++k)
            v += Amps[k - 1] * std::cos(2 * std::numbers::pi * k * i / 100);
        s[std::size_t(i)] = int(std::lround(64 * v + 128));
    }
    return PcmWav(1, 16, 8000, s);
}

class SynthesisWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        window = std::make_unique<MainWindow>(fake.platform);
        window->resize(640, 480);
        window->ApplyLayout(640, 480);
        window->Picture1->SetOuterGeometry(104, 64, 520, 152);
        window->Picture2->SetOuterGeometry(104, 240, 520, 200); // the chart's designed size
        dialogs.nextPath = dir.filePath("five.wav");
        ASSERT_TRUE(WriteBytes(dialogs.nextPath, FiveCosines()));
        window->Command1_Click();
        window->Picture3_MouseDown(1, 0, 0, 0);
        window->Picture1_MouseDown(1, 0, 100, 0);
        window->Picture1_MouseDown(1, 0, 200, 0);
        window->Cmd_fft_Click();
        ASSERT_EQ(S().PeriodSamples, 100);
    }
    AnalysisState& S() { return window->State(); }

    // The window as it opens on the designed 640 x 480 screen.
    Form2* OpenOnDesignScreen() {
        auto* form = new Form2(S(), dialogs, sound,
                               {[this](int n, QColor c) { window->PaintHarmBar(n, c); },
                                [this] { return window->Picture2->size(); }},
                               QRect(0, 0, 640, 480), window.get());
        dialogs.ShowModal(*form);
        return form;
    }
    Form2* OpenFromMainWindow() {
        window->Cmdgousei_Click();
        return qobject_cast<Form2*>(dialogs.modal.data());
    }
    // Colours of bars 1 ... 41 on the chart, read on the baseline that every
    // bar covers, and of where bar 42 would begin (x = 514 ... 523.6, partly
    // inside the chart, which draws no bar there).
    std::vector<QRgb> Bars() {
        std::vector<QRgb> c;
        for (int n = 1; n <= 42; ++n)
            c.push_back(window->Picture2->Pic().Pixel(12 * n + 14, 170));
        return c;
    }
    static std::vector<QRgb> BarsExpected(int cyan, int magenta) {
        std::vector<QRgb> c(41, Blue);
        c.push_back(White);
        for (int n = 1; n <= cyan; ++n)
            c[std::size_t(n - 1)] = Cyan;
        if (magenta >= 1 && magenta <= 41)
            c[std::size_t(magenta - 1)] = Magenta;
        return c;
    }
    // Colours down column x = 30, where every curve starts flat.
    static std::vector<QRgb> StartColours(const Canvas& c) {
        std::vector<QRgb> out;
        for (int row : StartRows)
            out.push_back(c.Pixel(30, row));
        return out;
    }
    static void CloseNow(Form2* form) {
        form->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QTemporaryDir dir;
    FakePlatform fake;
    FakeDialogs& dialogs = fake.dialogs;
    FakeSoundOutput& sound = fake.sound;
    std::unique_ptr<MainWindow> window;
};

} // namespace

TEST_F(SynthesisWindowTest, StepsThroughHarmonicsMovesPlaysAndCloses) {
    QPointer<Form2> form = OpenOnDesignScreen();
    ASSERT_TRUE(form);
    EXPECT_EQ(form->windowTitle(), "波形の復元");
    EXPECT_EQ(form->size(), QSize(520, 221));
    EXPECT_EQ(form->pos(), QPoint(105, 2));
    EXPECT_EQ(form->Picture1->geometry(), QRect(8, 40, 250, 169));
    EXPECT_EQ(form->Picture2->geometry(), QRect(264, 40, 250, 169));
    EXPECT_EQ(form->Label1->x(), 356);
    EXPECT_EQ(form->CmdEnd->x(), 464);
    const Canvas& left = form->Picture1->Pic();
    const Canvas& right = form->Picture2->Pic();

    // Opening: harmonic 1 alone, a cosine from (30, 15) down to (125, 153) and
    // back up at (220, 15); the right picture empty; bar 1 marked.
    EXPECT_EQ(form->Text1->text(), " 1");
    for (const QPoint p : {QPoint(30, 15), QPoint(125, 153), QPoint(220, 15)})
        EXPECT_TRUE(SameColour(left.Pixel(p.x(), p.y()), Magenta)) << p.x();
    EXPECT_EQ(CountColour(left.Image(), Magenta) + CountColour(left.Image(), White), 250 * 169);
    EXPECT_EQ(CountColour(right.Image(), White), 250 * 169);
    EXPECT_EQ(Bars(), BarsExpected(0, 1));

    // N = 5: four cyan curves under a light magenta one, their sum in light red.
    form->HScroll1->setValue(5);
    EXPECT_EQ(form->Text1->text(), " 5");
    EXPECT_EQ(StartColours(left), (std::vector<QRgb>{Cyan, Cyan, Cyan, Cyan, Magenta}));
    EXPECT_TRUE(SameColour(right.Pixel(30, 15), Red)); // the sum peaks at t = 0
    EXPECT_EQ(CountColour(right.Image(), Red) + CountColour(right.Image(), White), 250 * 169);
    EXPECT_EQ(Bars(), BarsExpected(4, 5));

    // N = 3 after 5: bars 4 and 5 light blue again, three curves only.
    form->HScroll1->setValue(3);
    EXPECT_EQ(form->Text1->text(), " 3");
    EXPECT_EQ(StartColours(left), (std::vector<QRgb>{Cyan, Cyan, Magenta, White, White}));
    EXPECT_EQ(Bars(), BarsExpected(2, 3));

    // N = 1 by the scroll bar: the same cosine, now also on the right scaled to its peak.
    form->HScroll1->setValue(1);
    EXPECT_EQ(form->Text1->text(), " 1");
    for (const QPoint p : {QPoint(30, 15), QPoint(125, 153), QPoint(220, 15)})
        EXPECT_TRUE(SameColour(right.Pixel(p.x(), p.y()), Red)) << p.x();
    EXPECT_EQ(Bars(), BarsExpected(0, 1));

    // N = 64: the silent harmonics lie on the centre line, the 64th on top;
    // every bar in sight is cyan, the 64th lies beyond the chart.
    form->HScroll1->setValue(64);
    EXPECT_EQ(form->Text1->text(), " 64");
    EXPECT_EQ(CountColour(left.Image(), Magenta, QRect(30, 84, 191, 1)), 191);
    EXPECT_EQ(StartColours(left), (std::vector<QRgb>{Cyan, Cyan, Cyan, Cyan, Cyan}));
    EXPECT_EQ(Bars(), BarsExpected(41, 64));

    // The move button toggles between the lower and the upper place.
    form->Cmd_idou_Click();
    EXPECT_EQ(form->pos(), QPoint(105, 225));
    form->Cmd_idou_Click();
    EXPECT_EQ(form->pos(), QPoint(105, 2));

    // Playing: the image as built on opening, the period's samples repeated.
    form->CmdPlay_Click();
    ASSERT_EQ(sound.requests.size(), 1u);
    const std::vector<std::uint8_t>& image = sound.requests[0].image;
    ASSERT_EQ(image.size(), SynthImageBytes);
    const std::vector<std::uint8_t> fresh = NewSynthImage();
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + 58, fresh.begin()));
    EXPECT_EQ(image[58], 228);      // all five in phase: 106
    EXPECT_EQ(image[58 + 50], 103); // -40 + 28 - 18 + 12 - 8 = -26 of 106: -24.5 rounds to -25
    EXPECT_EQ(image[58 + 60549], image[58 + 49]);
    form->WaveDrawn = 0;
    form->CmdPlay_Click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "倍音描画してください。");
    EXPECT_FALSE(dialogs.messages[0].exclamation);
    EXPECT_EQ(sound.requests.size(), 1u);

    // The close button gives every bar its light blue back and discards the window.
    form->CmdEnd->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(form);
    EXPECT_EQ(Bars(), BarsExpected(0, 0));
}

TEST_F(SynthesisWindowTest, OpensFromTheMainWindowOnlyForAPeriodItHolds) {
    S().PeriodSamples = 513;
    window->Cmdgousei_Click();
    EXPECT_FALSE(dialogs.modal);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, SynthPeriodTooLongMessage);
    S().PeriodSamples = 100;

    // Closed by the title bar: the marks stay on the chart.
    Form2* form = OpenFromMainWindow();
    ASSERT_TRUE(form);
    form->HScroll1->setValue(4);
    CloseNow(form);
    EXPECT_FALSE(dialogs.modal);
    EXPECT_EQ(Bars(), BarsExpected(3, 4));

    // Reopened: N = 1 in the upper place whatever it was, bar 1 marked anew.
    form = OpenFromMainWindow();
    ASSERT_TRUE(form);
    EXPECT_EQ(form->Text1->text(), " 1");
    EXPECT_EQ(form->HScroll1->value(), 1);
    EXPECT_EQ(form->pos(), SynthWindowLayout(ScreenArea()).upper);
    std::vector<QRgb> marks = BarsExpected(3, 4);
    marks[0] = Magenta;
    EXPECT_EQ(Bars(), marks);
    form->CmdEnd_Click();
    EXPECT_EQ(Bars(), BarsExpected(0, 0));
}

// A period without harmonics (a silent or constant one) has no scale for
// either picture: its curves lie on the centre line, and it plays silence.
TEST(SynthesisWindow, SilentPeriodDrawsFlatAndPlaysSilence) {
    AnalysisState s;
    s.PeriodSamples = 100;
    FakeDialogs dialogs;
    FakeSoundOutput sound;
    auto* form = new Form2(s, dialogs, sound, {[](int, QColor) {}, [] { return QSize(520, 200); }},
                           QRect(0, 0, 640, 480));
    form->HScroll1->setValue(3);
    EXPECT_EQ(CountColour(form->Picture1->Pic().Image(), Magenta, QRect(30, 84, 191, 1)), 191);
    EXPECT_EQ(CountColour(form->Picture2->Pic().Image(), Red, QRect(30, 84, 191, 1)), 191);
    EXPECT_EQ(CountColour(form->Picture2->Pic().Image(), Red), 191);
    form->CmdPlay_Click();
    ASSERT_EQ(sound.requests.size(), 1u);
    const std::vector<std::uint8_t>& image = sound.requests[0].image;
    EXPECT_EQ(std::count(image.begin() + 58, image.end(), 128), 60550);
    delete form;
}

namespace {

// Plays through the real output while the monitor records it.
class HeardOutput : public SoundOutput {
public:
    explicit HeardOutput(SoundOutput& real) : m_real(real) {}
    bool PlayImageAndWait(const std::uint8_t* image, std::size_t size) override {
        heard = RecordPlayImageAndWait(m_real, image, size);
        return heard.played;
    }
    bool StartPlayingFile(const QString& path) override { return m_real.StartPlayingFile(path); }
    HeardPlay heard;

private:
    SoundOutput& m_real;
};

} // namespace

TEST(SynthesisSound, TheRebuiltPeriodIsHeardAtItsPitchForItsLength) {
    TAVREL_REQUIRE_SOUND_SERVER();
    AnalysisState s;
    s.PeriodSamples = 147; // 150 Hz at 22050 samples per second
    s.HarmRe[1] = 5000;
    s.HarmIm[1] = -3000;
    s.HarmAmp[1] = std::hypot(5000.0f, 3000.0f);
    s.HarmMax = s.HarmAmp[1];
    QtSoundOutput real;
    HeardOutput out(real);
    FakeDialogs dialogs;
    auto* form = new Form2(s, dialogs, out, {[](int, QColor) {}, [] { return QSize(520, 200); }},
                           QRect(0, 0, 640, 480));
    form->CmdPlay_Click(); // N = 1, as it opens
    ExpectWholeToneHeardBeforeReturn(out.heard, 22050.0 / 147, 60550.0 / 22050);
    delete form;
}
