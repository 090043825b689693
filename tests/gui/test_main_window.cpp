// The main window as a user meets it: layout, loading and its refusals, one
// whole analysis from click to chart, resizing, the dialogs and printing.
// Everything runs offscreen with a scripted stand-in for dialogs.
#include "FakePlatform.h"
#include "Pixels.h"
#include "TestWav.h"
#include "Tools.h"

#include "app/LoadMessages.h"
#include "app/MainWindow.h"
#include "app/SettingsDialogs.h"
#include "sound/RecorderLauncher.h"
#include "ui/Canvas.h"
#include "ui/Palette.h"
#include "ui/PictureBox.h"
#include "voiceprint/Form3.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace tavrel;
using namespace tavrel::test;

namespace {

bool AllWhite(const Canvas& c) { return CountColour(c.Image(), White) == c.Width() * c.Height(); }

// A 16-bit mono recording whose WaveData equals f(i): raw v = 64 f + 128.
QByteArray Mono16(int rate, int n, const std::function<double(int)>& f) {
    std::vector<int> s(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        s[static_cast<std::size_t>(i)] = static_cast<int>(std::lround(64 * f(i) + 128));
    return PcmWav(1, 16, rate, s);
}

// Period of exactly 100 samples: harmonics 1, 2 and 3 at 40, 20 and 10.
double HarmonicSum(int i) {
    const double t = 2 * M_PI * i / 100.0;
    return 40 * std::sin(t) + 20 * std::sin(2 * t + 0.3) + 10 * std::cos(3 * t);
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        window = std::make_unique<MainWindow>(fake.platform);
        window->resize(640, 480);
        window->ApplyLayout(640, 480);
    }
    // The plots at their designed sizes, where the worked figures hold.
    void UseDesignedPlots() {
        window->Picture3->SetOuterGeometry(104, 0, 521, 57);
        window->Picture1->SetOuterGeometry(104, 64, 520, 152);
        window->Picture2->SetOuterGeometry(104, 240, 520, 200);
    }
    void Load(const QString& name, const QByteArray& bytes) {
        dialogs.nextPath = dir.filePath(name);
        ASSERT_TRUE(WriteBytes(dialogs.nextPath, bytes));
        window->Command1_Click();
    }
    void AnalyseHarmonicSum() {
        Load("sum.wav", Mono16(8000, 4000, HarmonicSum));
        window->Picture3_MouseDown(1, 0, 0, 0);
        window->Picture1_MouseDown(1, 0, 50, 0);
        window->Picture1_MouseDown(1, 0, 150, 0);
        window->Cmd_fft_Click();
    }
    void PrintToPdf(const QString& path) {
        dialogs.preparePrinter = [path](QPrinter& p) {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(path);
        };
    }
    // Renders the first page of a printed PDF and checks the waves and bars are on it.
    void ExpectPageShowsThePlots(const QString& pdf) {
        QProcess render;
        render.start(Tool("pdftoppm"),
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
    std::vector<QString> Messages() {
        std::vector<QString> texts;
        for (const ShownMessage& m : dialogs.messages)
            texts.push_back(m.text);
        dialogs.messages.clear();
        return texts;
    }

    QTemporaryDir dir;
    FakePlatform fake;
    FakeDialogs& dialogs = fake.dialogs;
    FakeSoundOutput& sound = fake.sound;
    FakeTickClock& clock = fake.clock;
    FakeProgramStarter& programs = fake.programs;
    std::unique_ptr<MainWindow> window;
};

} // namespace

TEST_F(MainWindowTest, LayoutFollowsTheScreenWithTheButtonColumnFixed) {
    EXPECT_EQ(window->windowTitle(), "Tavrel");
    EXPECT_EQ(window->Picture3->geometry(), QRect(104, 0, 520, 57));
    EXPECT_EQ(window->Picture1->geometry(), QRect(104, 64, 520, 152));
    EXPECT_EQ(window->Picture2->geometry(), QRect(104, 240, 520, 226));
    window->ApplyLayout(1024, 768);
    EXPECT_EQ(window->Picture3->Pic().Width(), 832);
    EXPECT_EQ(window->ProgressBar1->width(), 832);
    EXPECT_EQ(window->Picture1->height(), 243);
    EXPECT_EQ(window->CmdEnd->geometry(), QRect(8, 448, 89, 25));
    EXPECT_EQ(window->Cmd_声紋->text(), "声紋(&S)");
    // Tab order: CmdRec first, through CmdEnd, then the three text boxes.
    EXPECT_EQ(window->CmdRec->nextInFocusChain(), window->Command1);
    EXPECT_EQ(window->CmdEnd->nextInFocusChain(), window->txtChannels);
}

// One analysis as a student makes it, with what each step shows.
TEST_F(MainWindowTest, FromLoadingToTheHarmonicChart) {
    UseDesignedPlots();
    window->Picture3_MouseDown(1, 0, 100, 20); // nothing loaded: nothing happens
    window->Picture1_MouseDown(1, 0, 100, 20);
    window->Cmd_fft_Click();
    window->Cmdgousei_Click();
    EXPECT_EQ(Messages(), (std::vector<QString>{"１周期をマウスでクリックしてください",
                                                "フーリエ変換を済ませてからクリックしてください。"}));
    EXPECT_TRUE(AllWhite(window->Picture3->Pic()));

    Load("sum.wav", Mono16(8000, 4000, HarmonicSum));
    EXPECT_EQ(dialogs.lastFilter, "サウンド|*.wav");
    EXPECT_EQ(window->lblFilename->text(), "sum.wav");
    EXPECT_EQ(window->txtChannels->text(), "1");
    EXPECT_EQ(window->txtBitsPerSample->text(), "16");
    EXPECT_EQ(window->txtSamplesPerSec->text(), "8000");
    EXPECT_EQ(S().RegionData.size(), 4000u);
    // The whole wave: zero line at 35, the peak 14 pixels from it.
    EXPECT_GT(CountColour(Img(window->Picture3), Red, QRect(0, 21, 521, 29)), 500);
    EXPECT_EQ(CountColour(Img(window->Picture3), Red), CountColour(Img(window->Picture3), Red, QRect(0, 21, 521, 29)));

    // Magnify from x = 10.7: the marker at 10, the region from sample Int(3999 x 10 / 521).
    window->Picture3_MouseDown(1, 0, 10.7f, 30);
    EXPECT_EQ(CountColour(Img(window->Picture3), Black, QRect(10, 0, 1, 57)), 57);
    EXPECT_EQ(S().RegionData[0], S().WaveData[76]);
    const QImage& m = Img(window->Picture1);
    int top = 152, bottom = -1; // normalised: the loudest sample reaches 64 of 76
    for (int x = 0; x < 520; ++x)
        for (int y = 0; y < 152; ++y)
            if (m.pixel(x, y) == Red)
                top = std::min(top, y), bottom = std::max(bottom, y);
    EXPECT_EQ(std::max(76 - top, bottom - 76), 64);

    // Two marks in reverse order; the texts in light blue.
    window->Picture1_MouseDown(1, 0, 150.4f, 0);
    EXPECT_EQ(CountColour(m, Black, QRect(150, 0, 1, 152)), 152);
    window->Picture1_MouseDown(1, 0, 50, 0);
    EXPECT_EQ(CountColour(m, Black, QRect(50, 50, 1, 102)), 102); // the texts stand above
    EXPECT_EQ(S().PeriodSamples, 100);
    EXPECT_GT(CountColour(m, Blue, QRect(5, 5, 120, 18)), 20);
    EXPECT_GT(CountColour(m, Blue, QRect(5, 25, 120, 18)), 20);
    EXPECT_EQ(CountColour(m, Blue, QRect(0, 50, 520, 102)), 0);

    // The chart: bars on y = 170, the strongest 150 high, the others in proportion.
    window->Cmd_fft_Click();
    EXPECT_TRUE(Messages().empty());
    const QImage& h = Img(window->Picture2);
    const double expected[] = {0, 150, 75, 37.5};
    for (int j = 1; j <= 3; ++j)
        EXPECT_NEAR(170 - TopmostOf(h, Blue, 12 * j + 14), expected[j], 1.0) << "harmonic " << j;
    EXPECT_GE(TopmostOf(h, Blue, 12 * 4 + 14), 169); // nothing to speak of above the third
    EXPECT_EQ(CountColour(h, Blue, QRect(0, 171, 520, 29)), 0);

    // A third click starts over: chart gone, wave redrawn with one mark, and
    // the synthesis closed again while the old period is still analysable.
    window->Picture1_MouseDown(1, 0, 300, 0);
    EXPECT_TRUE(AllWhite(window->Picture2->Pic()));
    EXPECT_EQ(CountColour(m, Black, QRect(300, 0, 1, 152)), 152);
    EXPECT_EQ(CountColour(m, Black, QRect(50, 0, 1, 152)), 0);
    EXPECT_EQ(CountColour(m, Blue), 0);
    window->Cmdgousei_Click();
    EXPECT_EQ(Messages().size(), 1u);
    window->Cmd_fft_Click();
    EXPECT_EQ(TopmostOf(Img(window->Picture2), Blue, 12 + 14), 20);

    // Marks too close: refused, the plot cleared, the next click starts over.
    window->Picture1_MouseDown(1, 0, 302.9f, 0);
    EXPECT_EQ(Messages(),
              (std::vector<QString>{"もう一度、上の全波形をマウスでクリックしてください。"}));
    EXPECT_TRUE(AllWhite(window->Picture1->Pic()));
    window->Picture1_MouseDown(1, 0, 60, 0);
    EXPECT_GT(CountColour(m, Red), 300);

    // A rate typed by hand, full-width, is what the measurement uses; a
    // rate that is no number is refused.
    window->txtSamplesPerSec->setText(QStringLiteral("４０００"));
    window->Picture1_MouseDown(1, 0, 160, 0);
    EXPECT_FLOAT_EQ(S().FundFreq, 40.0f);
    window->txtSamplesPerSec->setText("abc");
    window->Picture1_MouseDown(1, 0, 50, 0);
    window->Picture1_MouseDown(1, 0, 150, 0);
    EXPECT_EQ(Messages(), (std::vector<QString>{MarkRefusalMessage(CaptureResult::BadRate)}));

    // A new region rubs the old marker out in pale cyan and asks for a new period.
    window->Picture3_MouseDown(1, 0, 300, 30);
    EXPECT_EQ(CountColour(Img(window->Picture3), PaleCyan, QRect(10, 0, 1, 57)), 57);
    EXPECT_EQ(CountColour(Img(window->Picture3), Black, QRect(300, 0, 1, 57)), 57);
    window->Cmd_fft_Click();
    EXPECT_EQ(Messages(), (std::vector<QString>{"１周期をマウスでクリックしてください"}));
}

// After a resize every plot shows what its new size gives, and a click means
// what the picture shows.
TEST_F(MainWindowTest, ResizedWindowRedrawsItsPlotsForTheNewSize) {
    window->show();
    window->resize(800, 600);
    QTest::qWait(200);
    AnalyseHarmonicSum();
    ASSERT_EQ(window->Picture3->width(), 650);
    window->PaintHarmBar(2, Colors::LightRed); // a mark the synthesis left

    window->resize(400, 300);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->Picture3->Pic().Width() == 325; }));
    QTest::qWait(200); // the resizing settles
    const int w3 = window->Picture3->width();
    const int w1 = window->Picture1->width();
    ASSERT_EQ(w3, 325);

    // The whole wave spans the new width: its last point stands at x = 324.
    EXPECT_GT(CountColour(Img(window->Picture3), Red, QRect(w3 - 2, 0, 2, 57)), 0);
    // The magnified plot holds w1 + 1 samples from the same start, with its marks and texts.
    EXPECT_EQ(S().RegionLength, w1 + 1);
    EXPECT_EQ(CountColour(Img(window->Picture1), Black, QRect(150, 0, 1, 95)), 95);
    EXPECT_GT(CountColour(Img(window->Picture1), Blue), 20);
    // Bars stand where the new size puts them (X0 = 6, P = 7, B = 119, BH = 105),
    // and the mark is kept.
    const QImage& h = Img(window->Picture2);
    ASSERT_EQ(window->Picture2->height(), 141);
    EXPECT_EQ(TopmostOf(h, Blue, 7 + 6 + 2), 119 - 105);
    EXPECT_NEAR(TopmostOf(h, Red, 2 * 7 + 6 + 2), 119 - 52.5, 1);
    EXPECT_EQ(CountColour(h, Blue, QRect(0, 120, 325, 21)), 0);

    // A click on the whole wave magnifies the region under it.
    window->Picture3_MouseDown(1, 0, 200, 10);
    EXPECT_EQ(S().RegionStartSample, int(std::floor(3999.0 * 200 / w3)));
    EXPECT_EQ(S().RegionData[0], S().WaveData[S().RegionStartSample]);
    EXPECT_EQ(S().RegionData[w1], S().WaveData[S().RegionStartSample + w1]);
}

TEST_F(MainWindowTest, RejectedFilesKeepThePreviousRecording) {
    Load("good.wav", Mono16(8000, 4000, [](int i) { return 50 * std::sin(i * 0.1); }));
    window->Picture3_MouseDown(1, 0, 10, 10);
    const QImage wholeBefore = Img(window->Picture3);
    const FloatArray dataBefore = S().WaveData;

    QByteArray noData = PcmWav(1, 16, 8000, {1, 2, 3});
    noData.replace(36, 4, "junk");
    QByteArray truncated = PcmWav(1, 16, 8000, std::vector<int>(100, 5));
    truncated.chop(50);
    QByteArray adpcm = PcmWav(1, 16, 8000, std::vector<int>(100, 5));
    adpcm[20] = 2;
    const std::vector<std::tuple<const char*, QByteArray, WavError>> cases = {
        {"text.wav", QByteArray("this is not a recording at all\n"), WavError::NotRiffWave},
        {"nodata.wav", noData, WavError::NoDataChunk},
        {"short.wav", truncated, WavError::DataTruncated},
        {"adpcm.wav", adpcm, WavError::UnsupportedFormat},
        {"oneframe.wav", PcmWav(1, 16, 8000, {7}), WavError::TooFewFrames},
    };
    for (const auto& [name, bytes, error] : cases) {
        SCOPED_TRACE(name);
        Load(name, bytes);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, LoadErrorMessage(error));
        EXPECT_EQ(dialogs.messages[0].exclamation, error == WavError::NotRiffWave);
        dialogs.messages.clear();
        EXPECT_EQ(window->lblFilename->text(), name);
        EXPECT_EQ(window->txtSamplesPerSec->text(), "8000");
        EXPECT_EQ(S().WaveData, dataBefore);
        EXPECT_EQ(Img(window->Picture3), wholeBefore);
        EXPECT_TRUE(AllWhite(window->Picture1->Pic()));
        EXPECT_EQ(S().RegionChosen, 0);
    }
    EXPECT_EQ(LoadErrorMessage(WavError::NotRiffWave), "認識できないファイル形式です。");

    // A file that vanished between the dialog and the read.
    dialogs.nextPath = dir.filePath("gone.wav");
    window->Command1_Click();
    EXPECT_EQ(Messages(), (std::vector<QString>{LoadErrorMessage(WavError::CannotOpen)}));

    // Neither refused files nor a cancelled dialog change the recording to
    // play, which is the one the plots show; it still works.
    dialogs.nextPath.clear();
    window->Command1_Click();
    EXPECT_EQ(S().FileName, dir.filePath("good.wav"));
    EXPECT_EQ(S().SampleRate, 8000u);
    window->Picture3_MouseDown(1, 0, 20, 10);
    EXPECT_GT(CountColour(Img(window->Picture1), Red), 500);
    // The dialog opens where the last file was chosen.
    EXPECT_EQ(QFileInfo(dialogs.lastStartDir).canonicalFilePath(),
              QFileInfo(dir.path()).canonicalFilePath());
}

// A file named on the command line is taken as if chosen in the dialog.
TEST_F(MainWindowTest, FileNamedAtStartIsLoadedLikeAChosenOne) {
    const auto restore = qScopeGuard([old = QDir::currentPath()] { QDir::setCurrent(old); });
    QDir::setCurrent(dir.path());
    WriteBytes(dir.filePath("bad.wav"), QByteArray("not a recording"));
    window->OpenFromCommandLine("bad.wav");
    EXPECT_EQ(Messages(), (std::vector<QString>{"認識できないファイル形式です。"}));
    EXPECT_TRUE(S().WaveData.empty());
    EXPECT_TRUE(AllWhite(window->Picture3->Pic()));

    QDir(dir.path()).mkdir("lesson");
    WriteBytes(dir.filePath("lesson/a.wav"), Mono16(8000, 4000, HarmonicSum));
    window->OpenFromCommandLine("lesson/a.wav");
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(S().FileName, dir.filePath("lesson/a.wav"));
    EXPECT_EQ(S().SampleCount, 4000);
    EXPECT_EQ(window->lblFilename->text(), "a.wav");
    EXPECT_GT(CountColour(Img(window->Picture3), Red), 500);
    dialogs.nextPath.clear();
    window->Command1_Click();
    EXPECT_EQ(dialogs.lastStartDir, dir.filePath("lesson"));
}

TEST_F(MainWindowTest, SettingsTakeEffectWhenClosedWithTheButton) {
    window->Cmd_Settei_Click();
    auto* form = window->findChild<Form4*>();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->windowTitle(), "設定");
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
    EXPECT_EQ(Messages(), (std::vector<QString>{QString::fromUtf8(RefLevelRangeMessage)}));
    EXPECT_TRUE(form->isVisible());
    form->Text1->setText("");
    form->Option1->setChecked(true);
    form->Cmd_End_Click();
    EXPECT_EQ(S().RefLevel, 106); // empty leaves it
    EXPECT_EQ(S().AmpNormalize, 1);

    // The zero level counts from the next load on; with normalisation off
    // the magnified wave has a fixed scale.
    S().RefLevel = 105;
    S().AmpNormalize = 0;
    std::vector<int> raw(2000, 105);
    raw[0] = 165; // 60 above the zero level
    Load("eight.wav", PcmWav(1, 8, 8000, raw));
    EXPECT_EQ(S().WaveData[0], 60);
    EXPECT_EQ(S().WaveData[1], 0);
    window->Picture3_MouseDown(1, 0, 0, 0);
    EXPECT_EQ(TopmostOf(Img(window->Picture1), Red, 0), 76 - 32); // 64 x 60 / 120
}

TEST_F(MainWindowTest, VersionDialogShowsModally) {
    window->Cmd_version_Click();
    ASSERT_TRUE(dialogs.modal);
    auto* form = qobject_cast<Form1*>(dialogs.modal.data());
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->windowTitle(), "バージョン情報");
    EXPECT_EQ(form->Label1->text(), "TavrelVer16　2004.11.23");
    // The whole feature list shows, above the button.
    EXPECT_GE(form->Label3->height(), form->Label3->heightForWidth(form->Label3->width()));
    EXPECT_LE(form->Label3->geometry().bottom(), form->Cmd_End->y());
    form->Cmd_End_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(dialogs.modal); // closing destroys it
}

TEST_F(MainWindowTest, PrintingThroughQtsPdfPrinter) {
    const QString cancelled = dir.filePath("cancelled.pdf");
    PrintToPdf(cancelled);
    window->Cmd_print_Click();
    EXPECT_FALSE(QFileInfo::exists(cancelled));

    dialogs.acceptPrint = true;
    PrintToPdf(dir.filePath("no/such/folder/out.pdf")); // fails silently
    window->Cmd_print_Click();
    EXPECT_TRUE(Messages().empty());

    AnalyseHarmonicSum();
    const QString out = dir.filePath("page.pdf");
    PrintToPdf(out);
    window->Cmd_print_Click();
    ASSERT_TRUE(QFileInfo::exists(out));
    REQUIRE_TOOL("pdftoppm");
    ExpectPageShowsThePlots(out);
}

TEST_F(MainWindowTest, PrintsThroughARealPrintQueue) {
    const QString queue = qEnvironmentVariable("TAVREL_CUPS_PDF_PRINTER");
    if (queue.isEmpty())
        REQUIRE_PART("a PDF print queue (scripts/services.sh starts one)");
    const QDir outDir(qEnvironmentVariable("TAVREL_CUPS_PDF_DIR"));
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

// Playing the loaded file: the bar over the whole wave moves in 100 ms steps
// (on a clock that moves only as the window yields) while the sound plays.
TEST_F(MainWindowTest, PlayMovesTheBarOverTheWholeWave) {
    window->Picture3->SetOuterGeometry(104, 0, 825, 57);
    window->Command2_Click(); // nothing loaded: the bar shows at its start
    EXPECT_TRUE(sound.requests.empty());
    EXPECT_EQ(window->ProgressBar1->geometry(), QRect(0, 0, 825, 14));
    EXPECT_EQ(window->ProgressBar1->value(), 0);

    Load("two.wav", Mono16(22050, 44100, [](int i) { return 100 * std::sin(i * 0.05); }));
    std::vector<int> values;
    bool pressed = false;
    clock.onYield = [&] {
        if (values.empty() || values.back() != window->ProgressBar1->value())
            values.push_back(window->ProgressBar1->value());
        if (!pressed && values.size() == 3) { // at the third step, press again
            pressed = true;
            window->Command2_Click();
        }
    };
    window->Command2_Click();
    clock.onYield = nullptr;
    // The second press starts from the left; the first pass steps no more.
    std::vector<int> expected = {41, 82, 123};
    for (int i = 1; i <= 20; ++i)
        expected.push_back(int(std::floor(i * 0.1 * 22050 * 825 / 44099.0)));
    expected.push_back(0);
    EXPECT_EQ(values, expected);
    EXPECT_EQ(window->ProgressBar1->value(), 0);
    ASSERT_EQ(sound.requests.size(), 2u);
    EXPECT_EQ(sound.requests[1].path, dir.filePath("two.wav"));
}

TEST_F(MainWindowTest, VoiceprintAndRecorderButtons) {
    Load("vowel.wav", Mono16(22050, 30000, [](int i) { return 300 * std::sin(i * 0.2); }));
    window->Cmd_声紋_Click();
    auto* form = qobject_cast<Form3*>(dialogs.modal.data());
    ASSERT_NE(form, nullptr);
    QCoreApplication::processEvents(); // drawn on opening
    EXPECT_GT(CountColour(form->Picture1->Pic().Image(), Black, QRect(61, 16, 429, 276)), 100);
    form->Cmd_Play->click();
    ASSERT_EQ(sound.requests.size(), 1u);
    EXPECT_EQ(sound.requests[0].path, dir.filePath("vowel.wav"));
    form->Cmd_End->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(dialogs.modal); // closing destroys it

    // The recorder: the first desktop recorder found on the search path.
    const QByteArray path = qgetenv("PATH");
    const auto restore = qScopeGuard([path] { qputenv("PATH", path); });
    qputenv("PATH", dir.path().toLocal8Bit());
    window->CmdRec_Click(); // none there: nothing happens
    EXPECT_TRUE(programs.started.isEmpty());
    QFile kwave(dir.filePath("kwave"));
    ASSERT_TRUE(kwave.open(QIODevice::WriteOnly));
    kwave.write("#!/bin/sh\n");
    kwave.close();
    kwave.setPermissions(kwave.permissions() | QFile::ExeOwner);
    window->CmdRec->click();
    EXPECT_EQ(programs.started, QStringList{dir.filePath("kwave")});
    EXPECT_TRUE(Messages().empty());
}
