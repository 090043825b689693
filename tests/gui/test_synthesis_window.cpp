// The synthesis window as a student meets it: opened on an analysed period
// whose harmonics are known, stepped through N, moved, played and closed,
// with what its pictures and the main window's chart show at each step; and
// the rebuilt sound as the real audio server plays it.
#include "FakePlatform.h"
#include "Pixels.h"
#include "PulseMonitor.h"

#include "analysis/HarmChart.h"
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
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>

using namespace tavrel;
using namespace tavrel::test;

namespace {

// A letter for each colour a student tells apart: light blue, cyan, light
// magenta, light red, white; anything else is '?'.
std::string Letters(const Canvas& c, std::initializer_list<QPoint> points) {
    static const std::map<QRgb, char> names{
        {0x0000ff, 'b'}, {0x008080, 'c'}, {0xff00ff, 'm'}, {0xff0000, 'r'}, {0xffffff, 'w'}};
    std::string out;
    for (const QPoint p : points) {
        const auto it = names.find(c.Pixel(p.x(), p.y()) & 0xffffffu);
        out += it == names.end() ? '?' : it->second;
    }
    return out;
}

const std::initializer_list<QPoint> CosinePoints = {{30, 15}, {125, 153}, {220, 15}};
const std::initializer_list<QPoint> StartPoints = {
    {30, 15}, {30, 36}, {30, 53}, {30, 63}, {30, 70}};

class SynthesisWindowTest : public ::testing::Test {
protected:
    // An analysed period of 100 samples with harmonics 1 ... 5 all cosines,
    // 40 : 28 : 18 : 12 : 8, charted at the chart's designed size. On the left
    // picture their curves start flat at x = 30, y = 84 - 69 x (1, 0.7, 0.45,
    // 0.3, 0.2): rows 15, 36, 53, 63 and 70.
    void SetUp() override {
        window->ApplyLayout(640, 480);
        window->Picture2->SetOuterGeometry(104, 240, 520, 200);
        AnalysisState& s = window->State();
        for (int n = 1; n <= 5; ++n)
            s.HarmRe[n] = s.HarmAmp[n] = 256.0f * std::array{40, 28, 18, 12, 8}[n - 1];
        s.HarmMax = s.HarmAmp[1];
        s.PeriodSamples = 100;
        s.FftDone = 1;
        window->Picture2->Draw([&s](Canvas& c) { DrawHarmChart(c, s); });
    }
    Form2* OpenFromMainWindow() {
        window->Cmdgousei_Click();
        return qobject_cast<Form2*>(fake.dialogs.modal.data());
    }
    // Bars 1 ... 41 read on the baseline every bar covers, then where bar 42
    // would begin (x = 514 ... 523.6: partly inside, but never drawn).
    std::string Bars() {
        std::string out;
        for (int n = 1; n <= 42; ++n)
            out += Letters(window->Picture2->Pic(), {{12 * n + 14, 170}});
        return out;
    }
    static std::string Marked(int cyan, int magenta) {
        std::string s = std::string(41, 'b') + 'w';
        s.replace(0, std::size_t(cyan), std::size_t(cyan), 'c');
        if (magenta <= 41)
            s[std::size_t(magenta - 1)] = 'm';
        return s;
    }

    FakePlatform fake;
    std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>(fake.platform);
};

} // namespace

TEST_F(SynthesisWindowTest, StepsThroughHarmonicsMovesPlaysAndCloses) {
    // Opened on the designed 640 x 480 screen, with the main window's chart.
    QPointer<Form2> form = new Form2(window->State(), fake.dialogs, fake.sound,
                                     {[this](int n, QColor c) { window->PaintHarmBar(n, c); },
                                      [this] { return window->Picture2->size(); }},
                                     QRect(0, 0, 640, 480), window.get());
    fake.dialogs.ShowModal(*form);
    EXPECT_EQ(form->windowTitle(), "波形の復元");
    EXPECT_EQ(QRect(form->pos(), form->size()), QRect(105, 2, 520, 221)); // frame at 105, 2
    EXPECT_EQ(form->Picture1->geometry(), QRect(8, 40, 250, 169));
    EXPECT_EQ(form->Picture2->geometry(), QRect(264, 40, 250, 169));
    EXPECT_EQ(form->Label1->x(), 356);
    EXPECT_EQ(form->CmdEnd->x(), 464);
    const Canvas& left = form->Picture1->Pic();
    const Canvas& right = form->Picture2->Pic();

    // Opening: harmonic 1 alone, a cosine from (30, 15) down to (125, 153) and
    // back up; the right picture empty; bar 1 marked.
    EXPECT_EQ(form->Text1->text(), " 1");
    EXPECT_EQ(Letters(left, CosinePoints), "mmm");
    EXPECT_EQ(CountColour(left.Image(), qRgb(255, 0, 255)) + CountColour(left.Image(), White),
              250 * 169);
    EXPECT_EQ(CountColour(right.Image(), White), 250 * 169);
    EXPECT_EQ(Bars(), Marked(0, 1));

    // N = 5: four cyan curves under a light magenta one; their sum, peaking at t = 0.
    form->HScroll1->setValue(5);
    EXPECT_EQ(form->Text1->text(), " 5");
    EXPECT_EQ(Letters(left, StartPoints), "ccccm");
    EXPECT_EQ(Letters(right, {{30, 15}}), "r");
    EXPECT_EQ(CountColour(right.Image(), Red) + CountColour(right.Image(), White), 250 * 169);
    EXPECT_EQ(Bars(), Marked(4, 5));

    form->HScroll1->setValue(3); // after 5: three curves only, bars 4 and 5 unmarked
    EXPECT_EQ(form->Text1->text(), " 3");
    EXPECT_EQ(Letters(left, StartPoints), "ccmww");
    EXPECT_EQ(Bars(), Marked(2, 3));

    form->HScroll1->setValue(1); // the cosine again, now also on the right at its own scale
    EXPECT_EQ(Letters(right, CosinePoints), "rrr");
    EXPECT_EQ(Bars(), Marked(0, 1));

    // N = 64: the silent harmonics on the centre line, the 64th on top; every
    // bar in sight cyan, the 64th beyond the chart.
    form->HScroll1->setValue(64);
    EXPECT_EQ(form->Text1->text(), " 64");
    EXPECT_EQ(CountColour(left.Image(), qRgb(255, 0, 255), QRect(30, 84, 191, 1)), 191);
    EXPECT_EQ(Letters(left, StartPoints), "ccccc");
    EXPECT_EQ(Bars(), Marked(41, 64));

    form->Cmd_idou_Click();
    EXPECT_EQ(form->pos(), QPoint(105, 225));
    form->Cmd_idou_Click();
    EXPECT_EQ(form->pos(), QPoint(105, 2));

    // Playing: the header written on opening, the period's samples repeated.
    form->CmdPlay_Click();
    ASSERT_EQ(fake.sound.requests.size(), 1u);
    const std::vector<std::uint8_t>& image = fake.sound.requests[0].image;
    ASSERT_EQ(image.size(), SynthImageBytes);
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + 58, NewSynthImage().begin()));
    EXPECT_EQ(image[58 + 60450], 103); // t = 50: -26 of 106, -24.53 rounds to -25
    form->WaveDrawn = 0;
    form->CmdPlay_Click();
    ASSERT_EQ(fake.dialogs.messages.size(), 1u);
    EXPECT_EQ(fake.dialogs.messages[0].text, "倍音描画してください。");
    EXPECT_FALSE(fake.dialogs.messages[0].exclamation);

    // The close button gives every bar its light blue back and discards the window.
    form->CmdEnd->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(form);
    EXPECT_EQ(Bars(), Marked(0, 99));
}

TEST_F(SynthesisWindowTest, OpensFromTheMainWindowOnlyForAPeriodItHolds) {
    window->State().PeriodSamples = 513;
    window->Cmdgousei_Click();
    EXPECT_FALSE(fake.dialogs.modal);
    ASSERT_EQ(fake.dialogs.messages.size(), 1u);
    EXPECT_EQ(fake.dialogs.messages[0].text, SynthPeriodTooLongMessage);
    window->State().PeriodSamples = 100;

    // Closed by the title bar: the marks stay on the chart.
    Form2* form = OpenFromMainWindow();
    ASSERT_TRUE(form);
    form->HScroll1->setValue(4);
    form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(fake.dialogs.modal);
    EXPECT_EQ(Bars(), Marked(3, 4));

    // Reopened: N = 1 in the upper place whatever it was, bar 1 marked anew.
    form = OpenFromMainWindow();
    ASSERT_TRUE(form);
    EXPECT_EQ(form->Text1->text(), " 1");
    EXPECT_EQ(form->pos(), SynthWindowLayout(ScreenArea()).upper);
    EXPECT_EQ(Bars(), "mccm" + Marked(0, 99).substr(4));
    form->CmdEnd_Click();
    EXPECT_EQ(Bars(), Marked(0, 99));
}

// The image the window builds, played by the real output while the server's
// monitor records it.
TEST(SynthesisSound, TheRebuiltPeriodIsHeardAtItsPitchForItsLength) {
    TAVREL_REQUIRE_SOUND_SERVER();
    AnalysisState s;
    s.PeriodSamples = 147; // 150 Hz at 22050 samples per second
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
