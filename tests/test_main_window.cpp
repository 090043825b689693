// The main window as a user meets it: layout, loading, the three plots, the
// period marks, the Fourier button, the dialogs and printing. Everything runs
// offscreen with a scripted stand-in for message boxes and dialogs.
#include "FakeDialogs.h"
#include "Pixels.h"
#include "TestWav.h"

#include "app/LoadMessages.h"
#include "app/MainWindow.h"
#include "app/SettingsDialogs.h"
#include "ui/Canvas.h"
#include "ui/Palette.h"
#include "ui/PictureBox.h"

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace tavrel;
using namespace tavrel::test;

namespace {

bool AllWhite(const Canvas& c) { return CountColour(c.Image(), White) == c.Width() * c.Height(); }

int BottommostOf(const QImage& img, QRgb colour, int x0, int x1) {
    int best = -1;
    for (int x = x0; x <= x1; ++x)
        for (int y = 0; y < img.height(); ++y)
            if (SameColour(img.pixel(x, y), colour))
                best = std::max(best, y);
    return best;
}

// A 16-bit mono recording whose WaveData equals f(i): raw v = 64 f + 128.
QByteArray Mono16(int rate, int n, const std::function<double(int)>& f) {
    std::vector<int> s(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        s[static_cast<std::size_t>(i)] = static_cast<int>(std::lround(64 * f(i) + 128));
    return PcmWav(1, 16, rate, s);
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        window = std::make_unique<MainWindow>(dialogs);
        window->resize(640, 480);
        window->ApplyLayout(640, 480);
    }

    // The plots at their designed sizes, where the worked figures hold.
    void UseDesignedPlots() {
        window->Picture3->SetOuterGeometry(104, 0, 521, 57);
        window->Picture1->SetOuterGeometry(104, 64, 520, 152);
        window->Picture2->SetOuterGeometry(104, 240, 520, 200);
    }

    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(WriteBytes(path, bytes));
        return path;
    }
    void Load(const QString& name, const QByteArray& bytes) {
        dialogs.nextPath = Write(name, bytes);
        window->Command1_Click();
    }
    void LoadHarmonicSum() {
        // Period of exactly 100 samples: harmonics 1, 2 and 3 at 40, 20 and 10.
        Load("sum.wav", Mono16(8000, 4000, [](int i) {
                 const double t = 2 * M_PI * i / 100.0;
                 return 40 * std::sin(t) + 20 * std::sin(2 * t + 0.3) + 10 * std::cos(3 * t);
             }));
    }
    // The print dialog will hand back Qt's PDF printer writing to path.
    void PrintToPdf(const QString& path) {
        dialogs.preparePrinter = [path](QPrinter& p) {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(path);
        };
    }
    void AnalyseHarmonicSum() {
        LoadHarmonicSum();
        window->Picture3_MouseDown(1, 0, 0, 0);
        window->Picture1_MouseDown(1, 0, 50, 0);
        window->Picture1_MouseDown(1, 0, 150, 0);
        window->Cmd_fft_Click();
    }
    // Renders the first page of a printed PDF and checks that the waves and
    // the bars are on it.
    void ExpectPageShowsThePlots(const QString& pdf) {
        QProcess render;
        render.start(QStandardPaths::findExecutable("pdftoppm"),
                     {"-png", "-r", "100", "-f", "1", "-singlefile", pdf, dir.filePath("page")});
        ASSERT_TRUE(render.waitForFinished(60000));
        QImage page(dir.filePath("page.png"));
        ASSERT_FALSE(page.isNull());
        EXPECT_LT(page.width(), page.height()); // one portrait page
        // Thin lines come out blended on a rendered page: count clearly reddish
        // and clearly bluish pixels rather than exact colours.
        int reddish = 0, bluish = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                const QColor c = page.pixelColor(x, y);
                reddish += c.red() - c.green() > 80 && c.red() - c.blue() > 80;
                bluish += c.blue() - c.red() > 80 && c.blue() - c.green() > 80;
            }
        EXPECT_GT(reddish, 50); // the waves
        EXPECT_GT(bluish, 200); // the bars and the period texts
    }
    const QImage& Img(PictureBox* p) { return p->Pic().Image(); }
    AnalysisState& S() { return window->State(); }

    QTemporaryDir dir;
    FakeDialogs dialogs;
    std::unique_ptr<MainWindow> window;
};

} // namespace

TEST_F(MainWindowTest, LayoutFollowsTheScreenWithTheButtonColumnFixed) {
    EXPECT_EQ(window->windowTitle(), "Tavrel");
    EXPECT_EQ(window->Picture3->geometry(), QRect(104, 0, 520, 57));
    EXPECT_EQ(window->Picture1->geometry(), QRect(104, 64, 520, 152));
    EXPECT_EQ(window->Picture2->geometry(), QRect(104, 240, 520, 226));
    EXPECT_EQ(window->Picture3->Pic().Width(), 520);
    EXPECT_EQ(window->ProgressBar1->geometry(), QRect(0, 0, 520, 17));
    window->ApplyLayout(1024, 768);
    EXPECT_EQ(window->ProgressBar1->geometry(), QRect(0, 0, 832, 17));
    window->ApplyLayout(640, 480);

    window->ApplyLayout(1024, 768);
    EXPECT_EQ(window->Picture3->width(), 832);
    EXPECT_EQ(window->Picture1->height(), 243);
    EXPECT_EQ(window->CmdEnd->geometry(), QRect(8, 448, 89, 25));
}

TEST_F(MainWindowTest, ControlsCarryTheirCaptionsAndPlaces) {
    const std::vector<std::pair<QPushButton*, QString>> buttons = {
        {window->Cmd_Settei, "設定(&B)"},      {window->CmdRec, "録音(&R)"},
        {window->Command1, "読込(&V)"},        {window->Command2, "再生(&P)"},
        {window->Cmd_fft, "ﾌｰﾘｴ変換(&F)"},     {window->Cmdgousei, "倍音の合成(&G)"},
        {window->Cmd_声紋, "声紋(&S)"},        {window->Cmd_print, "印刷(&W)"},
        {window->Cmd_version, "Version情報(&X)"}, {window->CmdEnd, "終了(&E)"}};
    int top = 160;
    for (const auto& [button, caption] : buttons) {
        EXPECT_EQ(button->text(), caption);
        EXPECT_EQ(button->geometry(), QRect(8, top, 89, 25)) << caption.toStdString();
        top += 32;
    }
    EXPECT_EQ(window->lblFilename->text(), "filename");
    EXPECT_EQ(window->Label2->text(), "ｻﾝﾌﾟﾙ周波数");
    EXPECT_EQ(window->txtSamplesPerSec->text(), "0");
    EXPECT_EQ(window->txtSamplesPerSec->geometry(), QRect(8, 136, 89, 18));

    // Tab order: CmdRec first, through CmdEnd, then the three text boxes.
    EXPECT_EQ(window->CmdRec->nextInFocusChain(), window->Command1);
    EXPECT_EQ(window->Cmd_声紋->nextInFocusChain(), window->CmdEnd);
    EXPECT_EQ(window->CmdEnd->nextInFocusChain(), window->txtChannels);
}

TEST_F(MainWindowTest, JapaneseCaptionsRenderAsGlyphsNotBoxes) {
    auto render = [](const QString& ch) {
        QImage img(40, 40, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        p.setFont(JapaneseFont(20));
        p.setPen(Qt::black);
        p.drawText(img.rect(), Qt::AlignCenter, ch);
        return img;
    };
    const QImage a = render(QStringLiteral("読"));
    const QImage b = render(QStringLiteral("込"));
    EXPECT_GT(CountColour(a, White), 0);
    EXPECT_LT(CountColour(a, White), 40 * 40);
    EXPECT_NE(a, b) << "no font with Japanese glyphs is installed";
}

TEST_F(MainWindowTest, StartsWithBlankPlotsAndTheStartFlags) {
    EXPECT_EQ(S().WaveLoaded, 0);
    EXPECT_EQ(S().RegionChosen, 0);
    EXPECT_EQ(S().MarkPhase, 2);
    EXPECT_EQ(S().FftDone, 0);
    EXPECT_EQ(S().PeriodReady, 0);
    EXPECT_EQ(S().RefLevel, 128);
    EXPECT_EQ(S().AmpNormalize, 1);
    EXPECT_TRUE(AllWhite(window->Picture1->Pic()));
    EXPECT_TRUE(AllWhite(window->Picture2->Pic()));
    EXPECT_TRUE(AllWhite(window->Picture3->Pic()));

    // Clicks before any recording do nothing.
    window->Picture3_MouseDown(1, 0, 100, 20);
    window->Picture1_MouseDown(1, 0, 100, 20);
    EXPECT_TRUE(AllWhite(window->Picture3->Pic()));
    EXPECT_EQ(S().RegionChosen, 0);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainWindowTest, LoadingShowsTheHeaderAndDrawsTheWholeWave) {
    Load("tone.wav", Mono16(22050, 22050, [](int i) { return 100 * std::sin(i * 0.05); }));
    if (qEnvironmentVariableIsSet("TAVREL_DUMP"))
        Img(window->Picture3).save("/tmp/whole.png");
    EXPECT_EQ(dialogs.lastFilter, "サウンド|*.wav");
    EXPECT_EQ(window->lblFilename->text(), "tone.wav");
    EXPECT_EQ(window->txtChannels->text(), "1");
    EXPECT_EQ(window->txtBitsPerSample->text(), "16");
    EXPECT_EQ(window->txtSamplesPerSec->text(), "22050");
    EXPECT_EQ(S().SampleCount, 22050);
    EXPECT_EQ(S().WaveData.size(), 22050u);
    EXPECT_EQ(S().RegionData.size(), 22050u);
    EXPECT_EQ(S().FftImag.size(), 22050u);
    EXPECT_EQ(S().WavePeak, 100);
    EXPECT_EQ(S().WaveLoaded, 1);
    EXPECT_EQ(S().RegionChosen, 0);
    EXPECT_EQ(S().MarkPhase, 2);

    // Zero line at 14 + Int((57 - 14) / 2) = 35; 0.7 of the half height is 14.
    const QImage& w = Img(window->Picture3);
    EXPECT_GT(CountColour(w, Red), 500);
    EXPECT_EQ(CountColour(w, Red, QRect(0, 0, 520, 21)), 0);
    EXPECT_GT(CountColour(w, Red, QRect(0, 21, 520, 1)), 0);
    EXPECT_GT(CountColour(w, Red, QRect(0, 49, 520, 1)), 0);
    EXPECT_EQ(CountColour(w, Red, QRect(0, 50, 520, 7)), 0);
}

TEST_F(MainWindowTest, RejectedFilesKeepThePreviousRecording) {
    Load("good.wav", Mono16(8000, 4000, [](int i) { return 50 * std::sin(i * 0.1); }));
    window->Picture3_MouseDown(1, 0, 10, 10);
    const QImage wholeBefore = Img(window->Picture3);
    const FloatArray dataBefore = S().WaveData;

    struct Case {
        const char* name;
        QByteArray bytes;
        WavError error;
    };
    QByteArray noData = PcmWav(1, 16, 8000, {1, 2, 3});
    noData.replace(36, 4, "junk");
    QByteArray truncated = PcmWav(1, 16, 8000, std::vector<int>(100, 5));
    truncated.chop(50);
    QByteArray adpcm = PcmWav(1, 16, 8000, std::vector<int>(100, 5));
    adpcm[20] = 2;
    const std::vector<Case> cases = {
        {"text.wav", QByteArray("this is not a recording at all\n"), WavError::NotRiffWave},
        {"nodata.wav", noData, WavError::NoDataChunk},
        {"short.wav", truncated, WavError::DataTruncated},
        {"adpcm.wav", adpcm, WavError::UnsupportedFormat},
        {"oneframe.wav", PcmWav(1, 16, 8000, {7}), WavError::TooFewFrames},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.messages.clear();
        Load(c.name, c.bytes);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, LoadErrorMessage(c.error));
        EXPECT_EQ(dialogs.messages[0].exclamation, c.error == WavError::NotRiffWave);
        EXPECT_EQ(window->lblFilename->text(), c.name);
        EXPECT_EQ(window->txtSamplesPerSec->text(), "8000");
        EXPECT_EQ(window->txtBitsPerSample->text(), "16");
        EXPECT_EQ(S().WaveData, dataBefore);
        EXPECT_EQ(S().SampleCount, 4000);
        EXPECT_EQ(Img(window->Picture3), wholeBefore);
        EXPECT_TRUE(AllWhite(window->Picture1->Pic()));
        EXPECT_EQ(S().WaveLoaded, 1);
        EXPECT_EQ(S().RegionChosen, 0);
    }
    EXPECT_EQ(LoadErrorMessage(WavError::NotRiffWave), "認識できないファイル形式です。");

    // A file that vanished between the dialog and the read.
    dialogs.messages.clear();
    dialogs.nextPath = dir.filePath("gone.wav");
    window->Command1_Click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, LoadErrorMessage(WavError::CannotOpen));
    EXPECT_EQ(S().WaveData, dataBefore);

    // The kept recording still works.
    window->Picture3_MouseDown(1, 0, 20, 10);
    EXPECT_EQ(S().RegionChosen, 1);
    EXPECT_GT(CountColour(Img(window->Picture1), Red), 500);
}

TEST_F(MainWindowTest, CancelledDialogOnlyForgetsTheFileName) {
    Load("good.wav", Mono16(8000, 4000, [](int i) { return 50 * std::sin(i * 0.1); }));
    window->Picture3_MouseDown(1, 0, 10, 10);
    const QImage magnified = Img(window->Picture1);
    dialogs.nextPath.clear();
    window->Command1_Click();
    EXPECT_TRUE(S().FileName.isEmpty());
    EXPECT_EQ(S().RegionChosen, 1);
    EXPECT_EQ(Img(window->Picture1), magnified);
    EXPECT_EQ(window->lblFilename->text(), "good.wav");
}

TEST_F(MainWindowTest, OpenDialogStartsInTheExamplesUntilAnotherFolderIsChosen) {
    dialogs.nextPath.clear();
    window->Command1_Click();
    EXPECT_EQ(QFileInfo(dialogs.lastStartDir).fileName(), "examples");
    Load("a.wav", Mono16(8000, 100, [](int i) { return i % 7; }));
    window->Command1_Click();
    EXPECT_EQ(QFileInfo(dialogs.lastStartDir).canonicalFilePath(),
              QFileInfo(dir.path()).canonicalFilePath());
}

TEST_F(MainWindowTest, ClickOnTheWholeWaveMarksAndMagnifies) {
    UseDesignedPlots();
    Load("tone.wav", Mono16(8000, 8000, [](int i) { return 100 * std::sin(i * 0.1); }));
    window->Picture3_MouseDown(1, 0, 10.7f, 30);
    EXPECT_EQ(S().RegionX.value_or(-1), 10);
    const QImage& w = Img(window->Picture3);
    EXPECT_EQ(CountColour(w, Black, QRect(10, 0, 1, 57)), 57);
    const int start = static_cast<int>(std::floor(7999.0 * 10 / 521));
    EXPECT_EQ(S().RegionData[0], S().WaveData[start]);
    EXPECT_EQ(S().RegionData[520], S().WaveData[start + 520]);
    EXPECT_EQ(S().RegionChosen, 1);
    EXPECT_EQ(S().MarkPhase, 0);
    EXPECT_EQ(S().FftDone, 0);
    EXPECT_EQ(S().PeriodReady, 0);

    // Normalised: the loudest sample reaches 64 of the 76-pixel half height.
    const QImage& m = Img(window->Picture1);
    EXPECT_EQ(BottommostOf(m, Red, 0, 519), 76 + 64);
    int top = 152;
    for (int x = 0; x < 520; ++x) {
        const int t = TopmostOf(m, Red, x);
        if (t >= 0)
            top = std::min(top, t);
    }
    EXPECT_EQ(top, 76 - 64);

    // The old marker is rubbed out in pale cyan, the new one drawn in black.
    window->Picture3_MouseDown(1, 0, 300, 30);
    EXPECT_EQ(CountColour(w, PaleCyan, QRect(10, 0, 1, 57)), 57);
    EXPECT_EQ(CountColour(w, Black, QRect(300, 0, 1, 57)), 57);
}

TEST_F(MainWindowTest, MagnifiedScaleFollowsTheSettings) {
    Load("quiet.wav", Mono16(8000, 2000, [](int i) { return i % 100 == 0 ? 6.0 : 0.0; }));
    window->Picture3_MouseDown(1, 0, 0, 0);
    // Peak 6 is below 10: scaled by 160, so 6 gives 64 * 6 / 160 = 2.4 -> 2 pixels.
    EXPECT_EQ(TopmostOf(Img(window->Picture1), Red, 0), 74);

    Load("loud.wav", Mono16(8000, 2000, [](int i) { return i % 100 == 0 ? 60.0 : 0.0; }));
    S().AmpNormalize = 0;
    window->Picture3_MouseDown(1, 0, 0, 0);
    EXPECT_EQ(TopmostOf(Img(window->Picture1), Red, 0), 76 - 32); // 64 * 60 / 120
    // A third click on the plot redraws normalised, whatever the setting.
    window->Picture1_MouseDown(1, 0, 200, 0);
    window->Picture1_MouseDown(1, 0, 300, 0);
    window->Picture1_MouseDown(1, 0, 250, 0);
    EXPECT_EQ(TopmostOf(Img(window->Picture1), Red, 0), 76 - 64);
}

TEST_F(MainWindowTest, ShortRecordingIsMagnifiedAsFarAsItGoes) {
    Load("short.wav", Mono16(8000, 300, [](int i) { return 30 * std::sin(i * 0.2); }));
    window->Picture3_MouseDown(1, 0, 500, 0);
    EXPECT_EQ(window->RegionLength(), 300);
    const QImage& m = Img(window->Picture1);
    EXPECT_GT(CountColour(m, Red, QRect(0, 0, 300, 152)), 300);
    EXPECT_EQ(CountColour(m, Red, QRect(301, 0, 219, 152)), 0);

    // Marks on the empty part are refused.
    window->Picture1_MouseDown(1, 0, 100, 0);
    window->Picture1_MouseDown(1, 0, 400, 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QString::fromUtf8(OutsideSamplesMessage));
    EXPECT_EQ(S().PeriodReady, 0);
    EXPECT_EQ(S().MarkPhase, 2);
}

TEST_F(MainWindowTest, TwoMarksMeasureThePeriod) {
    LoadHarmonicSum();
    window->Picture3_MouseDown(1, 0, 0, 0);
    window->Picture1_MouseDown(1, 0, 150.4f, 0);
    EXPECT_EQ(S().MarkPhase, 1);
    EXPECT_EQ(S().MarkX1.value_or(-1), 150);
    const QImage& m = Img(window->Picture1);
    EXPECT_EQ(CountColour(m, Black, QRect(150, 0, 1, 152)), 152);

    window->Picture1_MouseDown(1, 0, 50, 0); // either order
    EXPECT_EQ(S().MarkPhase, 2);
    EXPECT_EQ(S().PeriodReady, 1);
    EXPECT_EQ(S().PeriodSamples, 100);
    EXPECT_EQ(S().MarkX1.value_or(-1), 50);
    EXPECT_EQ(S().MarkX2.value_or(-1), 150);
    EXPECT_FLOAT_EQ(S().PeriodSec, 0.0125f);
    EXPECT_FLOAT_EQ(S().FundFreq, 80.0f);
    EXPECT_EQ(S().PeriodData[0], S().RegionData[50]);
    EXPECT_EQ(S().PeriodData[100], S().RegionData[150]);
    // The two texts in light blue at the top-left corner.
    EXPECT_GT(CountColour(m, Blue, QRect(5, 5, 120, 18)), 20);
    EXPECT_GT(CountColour(m, Blue, QRect(5, 25, 120, 18)), 20);
    EXPECT_EQ(CountColour(m, Blue, QRect(0, 0, 4, 152)), 0);
    EXPECT_EQ(CountColour(m, Blue, QRect(0, 50, 520, 102)), 0);
}

TEST_F(MainWindowTest, MarksTooCloseAreRefusedAndTheNextClickStartsOver) {
    LoadHarmonicSum();
    window->Picture3_MouseDown(1, 0, 0, 0);
    window->Picture1_MouseDown(1, 0, 50, 0);
    window->Picture1_MouseDown(1, 0, 52.9f, 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "もう一度、上の全波形をマウスでクリックしてください。");
    EXPECT_TRUE(AllWhite(window->Picture1->Pic()));
    EXPECT_EQ(S().PeriodReady, 0);
    EXPECT_EQ(S().MarkPhase, 2);

    window->Picture1_MouseDown(1, 0, 60, 0);
    EXPECT_EQ(S().MarkPhase, 1);
    EXPECT_GT(CountColour(Img(window->Picture1), Red), 300);
    EXPECT_EQ(CountColour(Img(window->Picture1), Black, QRect(60, 0, 1, 152)), 152);
}

TEST_F(MainWindowTest, UnreadableRateIsRefused) {
    LoadHarmonicSum();
    window->Picture3_MouseDown(1, 0, 0, 0);
    window->txtSamplesPerSec->setText("abc");
    window->Picture1_MouseDown(1, 0, 50, 0);
    window->Picture1_MouseDown(1, 0, 150, 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QString::fromUtf8(BadRateMessage));
    EXPECT_EQ(S().PeriodReady, 0);

    // A rate typed by hand, full-width, is what the next measurement uses.
    window->txtSamplesPerSec->setText(QStringLiteral("４０００"));
    window->Picture1_MouseDown(1, 0, 50, 0);
    window->Picture1_MouseDown(1, 0, 150, 0);
    EXPECT_FLOAT_EQ(S().FundFreq, 40.0f);
}

TEST_F(MainWindowTest, FourierButtonDrawsTheHarmonicsOfTheMarkedPeriod) {
    window->Cmd_fft_Click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "１周期をマウスでクリックしてください");
    window->Cmdgousei_Click();
    EXPECT_EQ(dialogs.messages.back().text, "フーリエ変換を済ませてからクリックしてください。");
    EXPECT_EQ(S().FftDone, 0);

    UseDesignedPlots();
    LoadHarmonicSum();
    window->Picture3_MouseDown(1, 0, 0, 0);
    window->Picture1_MouseDown(1, 0, 50, 0);
    window->Picture1_MouseDown(1, 0, 150, 0);
    dialogs.messages.clear();
    window->Cmd_fft_Click();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(S().FftDone, 1);
    EXPECT_NEAR(S().HarmAmp[1], 256 * 40, 256 * 40 * 0.01);
    EXPECT_NEAR(S().HarmMax, S().HarmAmp[1], 1e-3);

    // Bars stand on y = 170; the strongest is 150 high, the others in proportion.
    const QImage& h = Img(window->Picture2);
    if (qEnvironmentVariableIsSet("TAVREL_DUMP")) {
        h.save("/tmp/harm.png");
        Img(window->Picture1).save("/tmp/mag.png");
    }
    const double expected[] = {0, 150, 75, 37.5};
    for (int j = 1; j <= 3; ++j) {
        const int top = TopmostOf(h, Blue, 12 * j + 14);
        EXPECT_NEAR(170 - top, expected[j], 1.0) << "harmonic " << j;
    }
    const int fourth = TopmostOf(h, Blue, 12 * 4 + 14); // nothing above the third
    EXPECT_TRUE(fourth == -1 || fourth >= 169) << fourth;
    EXPECT_EQ(CountColour(h, Blue, QRect(0, 171, 520, 55)), 0);

    // The start-over click clears the chart and closes the synthesis window again,
    // while the Fourier button still has the earlier period to work on.
    window->Picture1_MouseDown(1, 0, 300, 0);
    EXPECT_EQ(S().FftDone, 0);
    EXPECT_EQ(S().PeriodReady, 1);
    EXPECT_TRUE(AllWhite(window->Picture2->Pic()));
    window->Cmd_fft_Click();
    EXPECT_EQ(TopmostOf(Img(window->Picture2), Blue, 12 + 14), 20);

    // A new region asks for a new period.
    window->Picture3_MouseDown(1, 0, 100, 0);
    dialogs.messages.clear();
    window->Cmd_fft_Click();
    window->Cmdgousei_Click();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text, "１周期をマウスでクリックしてください");
}

TEST_F(MainWindowTest, FlatPeriodDrawsNoBars) {
    Load("flat.wav", Mono16(8000, 2000, [](int) { return 5.0; }));
    window->Picture3_MouseDown(1, 0, 0, 0);
    window->Picture1_MouseDown(1, 0, 10, 0);
    window->Picture1_MouseDown(1, 0, 110, 0);
    window->Cmd_fft_Click();
    EXPECT_EQ(S().FftDone, 1);
    EXPECT_EQ(S().HarmMax, 0);
    EXPECT_EQ(CountColour(Img(window->Picture2), Blue), 0);
}

TEST_F(MainWindowTest, SettingsDialogStoresOnlyOnClose) {
    window->Cmd_Settei_Click();
    auto* form = window->findChild<Form4*>();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->windowTitle(), "設定");
    EXPECT_EQ(form->Text1->text(), "128");
    EXPECT_TRUE(form->Option1->isChecked());
    for (QLabel* label : {form->Label1, form->Label2, form->Label3}) {
        // Every heading and hint fits its designed box instead of being cut.
        const QFontMetrics fm(label->font());
        EXPECT_LE(fm.horizontalAdvance(label->text()), label->width()) << label->text().toStdString();
    }

    form->Text1->setText("105.5");
    form->Option2->setChecked(true);
    form->Cmd_End_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(S().RefLevel, 106);
    EXPECT_EQ(S().AmpNormalize, 0);

    window->Cmd_Settei_Click();
    form = window->findChild<Form4*>();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Text1->text(), "128"); // not filled from the state
    EXPECT_TRUE(form->Option2->isChecked());
    form->Text1->setText("40000");
    form->Cmd_End_Click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QString::fromUtf8(RefLevelRangeMessage));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(S().RefLevel, 106);

    form->Text1->setText("");
    form->Option1->setChecked(true);
    form->Cmd_End_Click();
    EXPECT_EQ(S().RefLevel, 106); // empty leaves it
    EXPECT_EQ(S().AmpNormalize, 1);
}

TEST_F(MainWindowTest, ZeroLevelTakesEffectAtTheNextLoad) {
    S().RefLevel = 105;
    Load("eight.wav", PcmWav(1, 8, 8000, {105, 128, 0, 255}));
    EXPECT_EQ(S().WaveData[0], 0);
    EXPECT_EQ(S().WaveData[1], 23);
    EXPECT_EQ(S().WaveData[3], 150);
}

TEST_F(MainWindowTest, VersionDialogShowsModally) {
    window->Cmd_version_Click();
    ASSERT_TRUE(dialogs.modal);
    auto* form = qobject_cast<Form1*>(dialogs.modal.data());
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->windowTitle(), "バージョン情報");
    EXPECT_EQ(form->Label1->text(), "TavrelVer16　2004.11.23");
    EXPECT_TRUE(form->Label3->text().startsWith("16bit ステレオデータ"));
    // The whole feature list shows, above the button.
    EXPECT_GE(form->Label3->height(), form->Label3->heightForWidth(form->Label3->width()));
    EXPECT_LE(form->Label3->geometry().bottom(), form->Cmd_End->y());
    form->Cmd_End_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(dialogs.modal); // closing destroys it
}

TEST_F(MainWindowTest, PrintingCancelledPrintsNothing) {
    const QString out = dir.filePath("cancelled.pdf");
    dialogs.acceptPrint = false;
    PrintToPdf(out);
    window->Cmd_print_Click();
    EXPECT_EQ(dialogs.printDialogs, 1);
    EXPECT_FALSE(QFileInfo::exists(out));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainWindowTest, PrinterThatCannotOpenFailsSilently) {
    dialogs.acceptPrint = true;
    PrintToPdf(dir.filePath("no/such/folder/out.pdf"));
    window->Cmd_print_Click();
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainWindowTest, PrintedPageShowsThePlots) {
    if (QStandardPaths::findExecutable("pdftoppm").isEmpty())
        GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    AnalyseHarmonicSum();

    const QString out = dir.filePath("page.pdf");
    dialogs.acceptPrint = true;
    PrintToPdf(out);
    window->Cmd_print_Click();
    ASSERT_TRUE(QFileInfo::exists(out));

    ExpectPageShowsThePlots(out);
}

TEST_F(MainWindowTest, PrintsThroughARealPrintQueue) {
    const QString queue = qEnvironmentVariable("TAVREL_CUPS_PDF_PRINTER");
    const QDir outDir(qEnvironmentVariable("TAVREL_CUPS_PDF_DIR"));
    if (queue.isEmpty() || QStandardPaths::findExecutable("pdftoppm").isEmpty())
        GTEST_SKIP() << "no PDF print queue (scripts/start-cups-pdf.sh sets one up)";
    AnalyseHarmonicSum();
    const QStringList before = outDir.entryList({"*.pdf"}, QDir::Files);

    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(queue);
    printer.setDocName(QStringLiteral("tavrel-test-%1").arg(QCoreApplication::applicationPid()));
    ASSERT_TRUE(window->PrintWindowImage(printer));

    // The queue writes the PDF a moment later.
    QString produced;
    for (int i = 0; i < 300 && produced.isEmpty(); ++i) {
        QTest::qWait(100);
        for (const QString& f : QDir(outDir).entryList({"*.pdf"}, QDir::Files))
            if (!before.contains(f) && QFileInfo(outDir.filePath(f)).size() > 0)
                produced = outDir.filePath(f);
    }
    ASSERT_FALSE(produced.isEmpty()) << "no PDF appeared in " << outDir.path().toStdString();
    QTest::qWait(500); // let the writer finish the file
    ExpectPageShowsThePlots(produced);
    QFile::remove(produced);
}
