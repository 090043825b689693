// The synthesis window over known harmonics; its sound as the real audio server plays it.
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

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <gtest/gtest.h>

#include <map>

using namespace tavrel;
using namespace tavrel::test;

namespace {

// A letter for each colour a student tells apart; anything else is '?'.
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

// Harmonic 1's cosine from (x0, yc - amp) down to (x0 + span / 2, yc + amp) and
// back; harmonics 1 ... 5 start at y = 84 - 69 x (1, 0.7, 0.45, 0.3, 0.2).
const std::initializer_list<QPoint> CosinePoints = {{30, 15}, {125, 153}, {220, 15}};
const std::initializer_list<QPoint> StartPoints = {
    {30, 15}, {30, 36}, {30, 53}, {30, 63}, {30, 70}};

class SynthesisWindowTest : public ::testing::Test {
protected:
    // Cosines 40 : 28 : 18 : 12 : 8 over 100 samples, charted at the designed size.
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
    // Bars 1 ... 41 on their baseline, then where bar 42 would begin: never drawn.
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
    QPointer<Form2> form = new Form2(window->State(), fake.dialogs, fake.sound,
                                     {[this](int n, QColor c) { window->PaintHarmBar(n, c); },
                                      [this] { return window->Picture2->size(); }},
                                     QRect(0, 0, 640, 480), window.get());
    fake.dialogs.ShowModal(*form);
    const Canvas& left = form->Picture1->Pic();
    const Canvas& right = form->Picture2->Pic();
    const auto step = [&](int n, const char* curves, const std::string& bars) {
        if (n > 0)
            form->HScroll1->setValue(n);
        EXPECT_EQ(form->Text1->text(), QStringLiteral(" %1").arg(std::abs(n)));
        EXPECT_EQ(Letters(left, StartPoints), curves);
        EXPECT_EQ(Bars(), bars);
    };

    // Opening: harmonic 1 alone in light magenta, the right picture empty.
    step(-1, "mwwww", Marked(0, 1));
    EXPECT_EQ(Letters(left, CosinePoints), "mmm");
    EXPECT_EQ(CountColour(left.Image(), qRgb(255, 0, 255)) + CountColour(left.Image(), White),
              250 * 169);
    EXPECT_EQ(CountColour(right.Image(), White), 250 * 169);
    // N = 5: four cyan curves under a light magenta one; their sum, peaking at t = 0.
    step(5, "ccccm", Marked(4, 5));
    EXPECT_EQ(Letters(right, {{30, 15}}), "r");
    EXPECT_EQ(CountColour(right.Image(), Red) + CountColour(right.Image(), White), 250 * 169);
    step(3, "ccmww", Marked(2, 3)); // after 5: bars 4 and 5 unmarked
    step(1, "mwwww", Marked(0, 1)); // the cosine again, now also on the right at its own scale
    EXPECT_EQ(Letters(right, CosinePoints), "rrr");
    // N = 64: the silent ones on the centre line, every bar cyan, the 64th beyond the chart.
    step(64, "ccccc", Marked(41, 64));
    EXPECT_EQ(CountColour(left.Image(), qRgb(255, 0, 255), QRect(30, 84, 191, 1)), 191);

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
