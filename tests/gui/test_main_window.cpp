// The main window and the synthesis window it opens, as a user meets them, offscreen
// with scripted dialogs.
#include "FakePlatform.h"
#include "Pixels.h"
#include "Tools.h"
#include "WavCases.h"

#include "analysis/HarmChart.h"
#include "analysis/HarmonicTableForm.h"
#include "app/LoadMessages.h"
#include "app/MainWindow.h"
#include "app/SettingsDialogs.h"
#include "sound/RecorderWindow.h"
#include "synthesis/Form2.h"
#include "synthesis/SynthLayout.h"
#include "synthesis/SynthSound.h"
#include "ui/Palette.h"
#include "ui/PictureBox.h"
#include "ui/WindowOps.h"
#include "voiceprint/Form3.h"

#include <QTest>
#include <QtWidgets>

#include <map>
#include <random>
#include <string_view>
#include <tuple>

using namespace tavrel;
using namespace tavrel::test;
using namespace wavtest;
using Texts = std::vector<QString>;

namespace {

// A 16-bit mono recording whose WaveData equals f(i): raw v = 64 f + 128.
Bytes Mono16(std::uint32_t rate, int n, const std::function<double(int)>& f) {
    std::vector<int> s;
    for (int i = 0; i < n; ++i)
        s.push_back(int(std::lround(64 * f(i) + 128)));
    return MakeWav({.rate = rate, .bits = 16, .data = Samples16({s})});
}

// A period of exactly 100 samples: harmonics 1, 2 and 3 at 40, 20 and 10.
double HarmonicSum(int i) {
    const double t = 2 * M_PI * i / 100.0;
    return 40 * std::sin(t) + 20 * std::sin(2 * t + 0.3) + 10 * std::cos(3 * t);
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        window->resize(640, 480);
        window->ApplyLayout(640, 480);
    }
    void Load(const QString& name, const Bytes& bytes) {
        dialogs.nextPath = WriteFile(dir, name, bytes);
        window->Command1_Click();
    }
    static bool Leads(int a, int b, int c) { return a - b > 80 && a - c > 80; }
    // The waves (reddish), bars and texts (bluish) on one portrait page; thin lines blend.
    void ExpectPageShowsThePlots(const QString& pdf) {
        REQUIRE_TOOL("pdftoppm");
        const QStringList args = {"-png", "-r", "100", "-singlefile", pdf, dir.filePath("page")};
        ASSERT_EQ(QProcess::execute(Tool("pdftoppm"), args), 0);
        const QImage page(dir.filePath("page.png"));
        ASSERT_LT(page.width(), page.height());
        EXPECT_GT(Count(page, {}, [](QRgb c) { return Leads(qRed(c), qGreen(c), qBlue(c)); }), 50);
        EXPECT_GT(Count(page, {}, [](QRgb c) { return Leads(qBlue(c), qRed(c), qGreen(c)); }), 200);
    }
    void PrintThroughTheQueue() {
        const QString queue = qEnvironmentVariable("TAVREL_CUPS_PDF_PRINTER");
        if (queue.isEmpty())
            REQUIRE_PART("a PDF print queue (scripts/services.sh starts one)");
        const QDir out(qEnvironmentVariable("TAVREL_CUPS_PDF_DIR"));
        const QStringList before = out.entryList({"*.pdf"}, QDir::Files);
        QPrinter printer(QPrinter::HighResolution);
        printer.setPrinterName(queue);
        printer.setDocName(
            QStringLiteral("tavrel-test-%1").arg(QCoreApplication::applicationPid()));
        ASSERT_TRUE(window->PrintWindowImage(printer));
        QString produced; // the queue writes the PDF a moment later
        for (int i = 0; i < 300 && produced.isEmpty(); ++i) {
            QTest::qWait(100);
            for (const QString& f : out.entryList({"*.pdf"}, QDir::Files))
                if (!before.contains(f) && QFileInfo(out.filePath(f)).size() > 0)
                    produced = out.filePath(f);
        }
        ASSERT_FALSE(produced.isEmpty()) << "no PDF appeared in " << out.path().toStdString();
        QTest::qWait(500); // let the writer finish the file
        ExpectPageShowsThePlots(produced);
        QFile::remove(produced);
    }
    static const QImage& Img(PictureBox* p) { return p->Pic().Image(); }
    static bool Blank(PictureBox* p) {
        return CountColour(Img(p), White) == Img(p).width() * Img(p).height();
    }
    static int Column(PictureBox* p, int x, QRgb c) {
        return CountColour(Img(p), c, {x, 0, 1, 999});
    }
    // The file name as the label shows it, which must fit the label whole.
    QString ShownName() {
        const QLabel* l = window->lblFilename;
        const QSize need =
            QFontMetrics(l->font()).boundingRect({0, 0, 999, 999}, 0, l->text()).size();
        EXPECT_TRUE(need.width() <= l->width() && need.height() <= l->height())
            << need.width() << 'x' << need.height();
        return l->text().remove(QLatin1Char('\n'));
    }
    AnalysisState& S() { return window->State(); }
    Texts Messages() { return std::exchange(dialogs.messages, {}); }

    QTemporaryDir dir;
    FakePlatform fake;
    FakeDialogs& dialogs = fake.dialogs;
    std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>(fake.platform);
    PictureBox *p3 = window->Picture3, *p1 = window->Picture1, *p2 = window->Picture2;
};

// A letter for each colour a student tells apart; anything else is '?'.
std::string Letters(const Canvas& c, std::initializer_list<QPoint> points) {
    const QList<QRgb> colours = {0xff0000ff, 0xff008080, 0xffff00ff, 0xffff0000, 0xffffffff};
    std::string out;
    for (const QPoint p : points)
        out += "?bcmrw"[colours.indexOf(c.Pixel(p.x(), p.y()) | 0xff000000u) + 1];
    return out;
}

// Harmonic 1's cosine from (x0, yc - amp) down to (x0 + span / 2, yc + amp) and
// back; harmonics 1 ... 5 start at y = 84 - 69 x (1, 0.7, 0.45, 0.3, 0.2).
const std::initializer_list<QPoint> CosinePoints = {{30, 15}, {125, 153}, {220, 15}};
const std::initializer_list<QPoint> StartPoints = {
    {30, 15}, {30, 36}, {30, 53}, {30, 63}, {30, 70}};

// The synthesis window over cosines 40 : 28 : 18 : 12 : 8 of a 100-sample period,
// charted at the designed size.
class SynthesisWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        p2->SetOuterGeometry(104, 240, 520, 200);
        for (int n = 1; n <= 5; ++n)
            S().HarmRe[n] = S().HarmAmp[n] = 256.0f * std::array{40, 28, 18, 12, 8}[n - 1];
        S().HarmMax = S().HarmAmp[1];
        std::tie(S().PeriodSamples, S().FftDone) = std::pair(100, 1);
        p2->Draw([this](Canvas& c) { DrawHarmChart(c, S()); });
    }
    // Bars 1 ... 41 on their baseline, then where bar 42 would begin: never drawn.
    std::string Bars() {
        std::string out;
        for (int n = 1; n <= 42; ++n)
            out += Letters(p2->Pic(), {{12 * n + 14, 170}});
        return out;
    }
    static std::string Marked(int cyan, int magenta) {
        std::string s = std::string(41, 'b') + 'w';
        s.replace(0, std::size_t(cyan), std::size_t(cyan), 'c');
        if (magenta <= 41)
            s[std::size_t(magenta - 1)] = 'm';
        return s;
    }
};

} // namespace

// One analysis as a student makes it, at the plots' designed sizes, with the pictures' extras.
TEST_F(MainWindowTest, FromLoadingToTheHarmonicChart) {
    p3->SetOuterGeometry(104, 0, 521, 57);
    p1->SetOuterGeometry(104, 64, 520, 152);
    p2->SetOuterGeometry(104, 240, 520, 200);
    window->Picture3_MouseDown(1, 0, 100, 20); // nothing loaded: nothing happens
    window->Picture1_MouseDown(1, 0, 50, 0);
    EXPECT_TRUE(Blank(p3) && Blank(p1));
    // Noise has no period to suggest.
    Load("noise.wav", Mono16(8000, 4000, [](int i) { return std::fmod(4e4 * std::sin(i), 90); }));
    window->Picture3_MouseDown(1, 0, 10, 30);
    window->mnuSuggestPeriod->trigger();
    EXPECT_TRUE(Messages().at(0).startsWith("はっきりした周期が見つかりません") && !S().MarkX1);

    Load("sum.wav", Mono16(8000, 4000, HarmonicSum));
    EXPECT_EQ(dialogs.lastFilter, OpenFileFilter);
    EXPECT_EQ((Texts{ShownName(), window->txtChannels->text(), window->txtBitsPerSample->text(),
                     window->txtSamplesPerSec->text()}),
              (Texts{"sum.wav", "1", "16", "8000"}));
    EXPECT_GT(CountColour(Img(p3), Red, QRect(0, 21, 521, 29)), 500); // zero line 35, peak 14 off
    EXPECT_EQ(CountColour(Img(p3), Red, QRect(0, 21, 521, 29)), CountColour(Img(p3), Red));

    // Magnify from x = 10.7: marker at 10, region from Int(3999 x 10 / 521), peak 64 of 76 px.
    window->Picture3_MouseDown(1, 0, 10.7f, 30);
    EXPECT_EQ(Column(p3, 10, Black), 57);
    EXPECT_EQ(std::pair(S().RegionData[0], S().RegionLength), std::pair(S().WaveData[76], 521));
    const QImage& m = Img(p1);
    EXPECT_EQ(CountColour(m, Red, QRect(0, 12, 520, 129)), CountColour(m, Red));
    EXPECT_GT(
        CountColour(m, Red, QRect(0, 12, 520, 1)) + CountColour(m, Red, QRect(0, 140, 520, 1)), 0);

    // Two marks in reverse order; the period's texts in light blue above the wave.
    window->Picture1_MouseDown(1, 0, 150.4f, 0);
    window->Picture1_MouseDown(1, 0, 50, 0);
    EXPECT_TRUE(S().PeriodSamples == 100 && S().PeriodData[0] == S().RegionData[50] &&
                S().PeriodData[100] == S().RegionData[150]);
    EXPECT_FLOAT_EQ(S().FundFreq, 80.0f);
    EXPECT_EQ(Column(p1, 150, Black), 152);
    EXPECT_EQ(CountColour(m, Black, QRect(50, 50, 1, 102)), 102); // the texts stand above
    EXPECT_GT(std::min(CountColour(m, Blue, QRect(5, 5, 120, 18)),
                       CountColour(m, Blue, QRect(5, 25, 120, 18))),
              20);
    EXPECT_EQ(CountColour(m, Blue, QRect(0, 50, 520, 102)), 0);

    // The chart: bars on y = 170, the strongest 150 high, the others in proportion.
    window->Cmd_fft_Click();
    EXPECT_TRUE(Messages().empty());
    const double heights[] = {150, 75, 37.5, 0};
    for (int j = 1; j <= 4; ++j)
        EXPECT_NEAR(170 - TopmostOf(Img(p2), Blue, 12 * j + 14), heights[j - 1], 1.0) << j;

    // The note of 基本振動数 under it while switched on (レ♯ (D♯2) +49 セント for 80 Hz),
    // kept for a new window; the harmonic table, copied and saved.
    const QImage plain = Img(p1);
    window->mnuNoteNames->trigger();
    const int added = CountColour(Img(p1), Blue) - CountColour(plain, Blue);
    EXPECT_TRUE(added > 20 && added == CountColour(Img(p1), Blue, {5, 45, 150, 20}));
    EXPECT_TRUE(MainWindow(fake.platform).mnuNoteNames->isChecked());
    window->mnuNoteNames->trigger();
    EXPECT_EQ(Img(p1), plain);
    window->mnuHarmonicTable->trigger();
    auto* table = qobject_cast<HarmonicTableForm*>(dialogs.modal.data());
    const std::vector<HarmonicRow> rows = HarmonicTableRows(S());
    for (int r = 0; r < 41 * 8; ++r)
        EXPECT_EQ(table->Table->item(r / 8, r % 8)->text(), HarmonicTableCells(rows[r / 8])[r % 8]);
    // Row 1 from the signal: 80 Hz is 49 cents over D♯2 (MIDI 39.49); the strongest, 0 dB;
    // 40 sin(2π (126 + t) / 100), the period starting at sample 126, is 40 cos(a + 3.6°);
    // 40² of 40² + 20² + 10² is 76.19 %, 76.24 % once the linear resampling to 512 points
    // has softened harmonics 2 and 3 (by sinc² of n / 100) a little more than 1.
    const QStringList row1 = {"1", "80.00", "レ♯", "D♯2", "49", "0.0", "3.6", "76.24"};
    QStringList shown;
    for (int c = 0; c < 8; ++c)
        shown << table->Table->item(0, c)->text();
    EXPECT_EQ(shown, row1);
    table->CmdCopy->click();
    dialogs.nextSavePath = dir.filePath("table.csv");
    table->CmdSave->click();
    QFile saved(dialogs.nextSavePath);
    const QByteArray csv = saved.open(QIODevice::ReadOnly) ? saved.readAll() : QByteArray();
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(csv == HarmonicTableCsv(rows) && copied == HarmonicTableText(rows));
    EXPECT_EQ(std::pair(QString::fromUtf8(csv).section("\r\n", 1, 1), copied.section('\n', 1, 1)),
              std::pair(row1.join(','), row1.join('\t')));

    // A third click starts over; the old period stays analysable, the synthesis closed.
    window->Picture1_MouseDown(1, 0, 300, 0);
    EXPECT_TRUE(Blank(p2));
    EXPECT_EQ(Column(p1, 300, Black), 152);
    EXPECT_EQ(Column(p1, 50, Black) + CountColour(m, Blue), 0);
    window->Cmdgousei_Click();
    EXPECT_EQ(Messages(), (Texts{"フーリエ変換を済ませてからクリックしてください。"}));
    window->Cmd_fft_Click();
    EXPECT_EQ(TopmostOf(Img(p2), Blue, 12 + 14), 20);

    // Marks too close are refused and leave the plot empty, as is a rate of 0 (a pair 120
    // apart); the next click starts over, the period captured before kept.
    window->Picture1_MouseDown(1, 0, 302.9f, 0);
    EXPECT_EQ(Messages(), (Texts{"もう一度、上の全波形をマウスでクリックしてください。"}));
    EXPECT_TRUE(Blank(p1));
    window->txtSamplesPerSec->setText("0");
    window->Picture1_MouseDown(1, 0, 300, 0);
    window->Picture1_MouseDown(1, 0, 420, 0);
    EXPECT_EQ(Messages(), Texts{MarkRefusalMessage(CaptureResult::BadRate)});
    EXPECT_TRUE(S().PeriodSamples == 100 && S().PeriodReady);
    window->Picture1_MouseDown(1, 0, 300, 0);

    // The period is measured at the rate the box holds now, typed full-width.
    window->txtSamplesPerSec->setText(QStringLiteral("４０００"));
    window->Picture1_MouseDown(1, 0, 400, 0);
    EXPECT_FLOAT_EQ(S().FundFreq, 40.0f);

    // A new region rubs the old marker out in pale cyan and asks for a new period.
    window->Picture3_MouseDown(1, 0, 300, 30);
    EXPECT_EQ(std::pair(Column(p3, 10, PaleCyan), Column(p3, 300, Black)), std::pair(57, 57));
    window->Cmd_fft_Click();
    EXPECT_EQ(Messages(), (Texts{"１周期をマウスでクリックしてください"}));

    // A picture's menu copies it or saves it as PNG, proposed in the Pictures folder.
    const auto rgb = [](const QImage& i) { return i.convertToFormat(QImage::Format_RGB32); };
    dialogs.Choose(p1, "画像をコピー");
    EXPECT_EQ(rgb(QGuiApplication::clipboard()->image()), rgb(Img(p1)));
    dialogs.nextSavePath = dir.filePath("strip.png");
    EXPECT_EQ(dialogs.Choose(p3, "画像を保存…"),
              (Texts{"マイクから録音…|Ctrl+R", "|", "画像を保存…|Ctrl+S", "画像をコピー|Ctrl+C"}));
    EXPECT_TRUE(dialogs.lastStartDir.endsWith("/whole-wave.png"));
    EXPECT_EQ(rgb(QImage(dialogs.nextSavePath)), rgb(Img(p3)));

    // The suggested period is marked a period apart, a first mark by hand giving way to the
    // pair.
    EXPECT_EQ(dialogs.Choose(p1, "周期を自動で探す"),
              (Texts{"基本振動数を音名で表示|Ctrl+N", "周期を自動で探す|Ctrl+T", "|",
                     "画像を保存…|Ctrl+S", "画像をコピー|Ctrl+C"}));
    const std::optional<float> x1 = S().MarkX1, x2 = S().MarkX2;
    window->Picture1_MouseDown(1, 0, 7, 0);
    window->mnuSuggestPeriod->trigger();
    EXPECT_TRUE(*x2 - *x1 == 100 && S().MarkX1 == x1 && S().MarkX2 == x2);
}

// After a resize each plot shows what its new size gives; a click means what it shows.
// Printed through Qt's PDF printer, then through a real CUPS PDF queue.
TEST_F(MainWindowTest, ResizedWindowRedrawsItsPlotsAndPrintsThem) {
    const auto printTo = [&](const QString& pdf) {
        dialogs.preparePrinter = [pdf](QPrinter& p) {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(pdf);
        };
        window->Cmd_print_Click();
        return QFileInfo::exists(pdf);
    };
    EXPECT_FALSE(printTo(dir.filePath("cancelled.pdf")));
    dialogs.acceptPrint = true;
    EXPECT_FALSE(printTo(dir.filePath("no/such/folder/out.pdf"))); // fails silently
    EXPECT_TRUE(Messages().empty());

    window->show();
    window->resize(800, 600);
    QTest::qWait(200);
    Load("sum.wav", Mono16(8000, 4000, HarmonicSum));
    window->Picture3_MouseDown(1, 0, 0, 0);
    window->Picture1_MouseDown(1, 0, 50, 0);
    window->Picture1_MouseDown(1, 0, 150, 0);
    window->Cmd_fft_Click();
    ASSERT_TRUE(printTo(dir.filePath("page.pdf")));
    ExpectPageShowsThePlots(dir.filePath("page.pdf"));
    PrintThroughTheQueue();
    window->PaintHarmBar(2, Colors::LightRed); // a mark the synthesis left
    window->resize(400, 300);
    ASSERT_TRUE(QTest::qWaitFor([&] { return p3->Pic().Width() == 325; }));
    QTest::qWait(200); // the resizing settles
    const int w1 = p1->width();

    // The whole wave reaches x = 324; the magnified plot w1 + 1 samples, marks and texts.
    EXPECT_GT(CountColour(Img(p3), Red, QRect(323, 0, 2, 57)), 0);
    EXPECT_EQ(S().RegionLength, w1 + 1);
    EXPECT_EQ(Column(p1, 150, Black), 95);
    EXPECT_GT(CountColour(Img(p1), Blue), 20);
    // Bars where 325 x 141 puts them (X0 = 6, P = 7, B = 119, BH = 105); the mark kept.
    ASSERT_EQ(p2->height(), 141);
    EXPECT_EQ(TopmostOf(Img(p2), Blue, 7 + 6 + 2), 119 - 105);
    EXPECT_NEAR(TopmostOf(Img(p2), Red, 2 * 7 + 6 + 2), 119 - 52.5, 1);
    EXPECT_EQ(CountColour(Img(p2), Blue, QRect(0, 120, 325, 21)), 0);

    window->Picture3_MouseDown(1, 0, 200, 10);
    EXPECT_EQ(S().RegionStartSample, int(std::floor(3999.0 * 200 / 325)));
    EXPECT_EQ(S().RegionData[w1], S().WaveData[S().RegionStartSample + w1]);
}

TEST_F(MainWindowTest, RefusedFilesKeepThePreviousRecordingAndOneNamedAtStartLoads) {
    // Every refusal has words of its own; the unknown kind of file names the kinds read.
    QStringList words;
    for (int e = int(CannotOpen); e <= int(Cancelled); ++e)
        words << LoadErrorMessage(WavError(e));
    EXPECT_TRUE(words.removeDuplicates() == 0 && !words.contains("") &&
                words[int(UnrecognisedFormat) - 1].startsWith(
                    QString::fromUtf8("認識できないファイル形式です。\n読めるのは")));

    Load("good.wav", Mono16(8000, 4000, [](int i) { return 50 * std::sin(i * 0.1); }));
    window->Picture3_MouseDown(1, 0, 10, 10);
    const QImage wholeBefore = Img(p3);
    const FloatArray dataBefore = S().WaveData;

    // A file of each kind of refusal: a WAV file's is its case's own, the WAV reader's word
    // for word; one in a folder gone after the dialog. A file that is no WAV file goes to
    // FFmpeg: an AVI, a kind it knows, whose header it cannot read holds no sound; random
    // bytes named as an MP3 and an empty FLAC are of no kind it knows.
    std::map<WavError, WavCase> refused = {{CannotOpen, {"gone/a", {}, {}, CannotOpen}}};
    for (const WavCase& c : WavCases())
        if (c.error != None && c.error != NotRiffWave)
            refused.try_emplace(c.error, c);
        else if (std::string_view(c.name) == "AVI")
            refused.try_emplace(NoAudio, c);
    std::vector<std::tuple<QString, Bytes, WavError>> files;
    for (const auto& [error, c] : refused)
        files.emplace_back(QString(c.name) + ".wav", c.file, error);
    std::mt19937 noise(7);
    Bytes randomBytes(10000);
    for (auto& b : randomBytes)
        b = std::uint8_t(noise());
    files.emplace_back("noise.mp3", randomBytes, UnrecognisedFormat);
    files.emplace_back("empty.flac", Bytes(), UnrecognisedFormat);
    for (const auto& [name, file, error] : files) {
        Load(name, file);
        EXPECT_EQ(std::pair(Messages(), dialogs.exclamation),
                  std::pair(Texts{LoadErrorMessage(error)}, error == UnrecognisedFormat))
            << name.toStdString();
        EXPECT_EQ((Texts{ShownName(), window->txtSamplesPerSec->text()}),
                  (Texts{"good.wav", "8000"}));
        EXPECT_TRUE(S().WaveData == dataBefore && Img(p3) == wholeBefore && Blank(p1)) << name.toStdString();
    }

    // A load cancelled in its progress dialog changes nothing and says nothing.
    dialogs.cancelAt = 0.5;
    Load("long.wav", Mono16(8000, 40000, HarmonicSum));
    dialogs.cancelAt = 2;
    EXPECT_TRUE(Messages().empty() && S().WaveData == dataBefore && Img(p3) == wholeBefore);
    EXPECT_EQ(dialogs.progressLabels.back(), "読み込み中…");

    // Nor does a cancelled dialog: the one shown is played and works; the dialog stays put.
    dialogs.nextPath.clear();
    window->Command1_Click();
    EXPECT_EQ(std::pair(S().FileName, S().SampleRate), std::pair(dir.filePath("good.wav"), 8000u));
    window->Picture3_MouseDown(1, 0, 20, 10);
    EXPECT_GT(CountColour(Img(p1), Red), 500);
    EXPECT_EQ(QFileInfo(dialogs.lastStartDir).canonicalFilePath(),
              QFileInfo(dir.path()).canonicalFilePath());

    // A file named on the command line, relative to the working folder, is taken as if
    // chosen in the dialog, which then starts in its folder.
    const auto restore = qScopeGuard([old = QDir::currentPath()] { QDir::setCurrent(old); });
    QDir::setCurrent(dir.path());
    QDir(dir.path()).mkdir("lesson");
    WriteFile(dir, "lesson/vowel_a_130hz_take2.wav", Mono16(8000, 4000, HarmonicSum));
    window->OpenNamedFile("lesson/vowel_a_130hz_take2.wav");
    EXPECT_TRUE(Messages().empty() && Img(p3) != wholeBefore);
    EXPECT_EQ(std::pair(S().FileName, ShownName()),
              std::pair(dir.filePath("lesson/vowel_a_130hz_take2.wav"),
                        QStringLiteral("vowel_a_130hz_take2.wav")));
    window->Command1_Click();
    EXPECT_EQ(dialogs.lastStartDir, dir.filePath("lesson"));
    // So is a file dropped on the window; a drag of two files is not taken.
    QMimeData drag;
    const auto enters = [&](const QList<QUrl>& urls) {
        drag.setUrls(urls);
        QDragEnterEvent enter({5, 5}, Qt::CopyAction, &drag, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &enter);
        return enter.isAccepted();
    };
    const QUrl good = QUrl::fromLocalFile(dir.filePath("good.wav"));
    EXPECT_FALSE(enters({good, QUrl::fromLocalFile(dir.path())}));
    ASSERT_TRUE(enters({good}));
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &drag, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    QCoreApplication::processEvents();
    EXPECT_EQ(std::pair(S().FileName, ShownName()),
              std::pair(dir.filePath("good.wav"), QStringLiteral("good.wav")));
    // A name too long for the label keeps its start and its extension in view.
    const QString longName = QString(80, QChar(u'声')) + "_end.wav"; // 248 bytes
    window->OpenNamedFile(WriteFile(dir, longName, Mono16(8000, 4000, HarmonicSum)));
    EXPECT_TRUE(ShownName().startsWith(u'声') && ShownName().endsWith("_end.wav") &&
                ShownName().contains(QChar(0x2026)))
        << ShownName().toStdString();
}

TEST_F(MainWindowTest, SettingsAndVersionDialogs) {
    window->Cmd_Settei_Click();
    auto* form = window->findChild<Form4*>();
    ASSERT_NE(form, nullptr);
    for (QLabel* label : {form->Label1, form->Label2, form->Label3}) // headings fit, not cut
        EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width());
    form->Text1->setText("105.5");
    form->Option2->setChecked(true);
    form->Cmd_End_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(std::pair(int(S().RefLevel), int(S().AmpNormalize)), std::pair(106, 0));

    window->Cmd_Settei_Click(); // made afresh, showing the settings in effect
    form = window->findChild<Form4*>();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->Text1->text() == "106" && form->Option2->isChecked());
    form->Text1->setText("40000");
    form->Cmd_End_Click();
    EXPECT_EQ(Messages(), (Texts{QString::fromUtf8(RefLevelRangeMessage)}));
    EXPECT_TRUE(form->isVisible());
    form->Text1->setText(""); // leaves the level
    form->Option1->setChecked(true);
    form->Cmd_End_Click();
    EXPECT_EQ(std::pair(int(S().RefLevel), int(S().AmpNormalize)), std::pair(106, 1));
    Load("eight.wav", MakeWav({.data = {166, 106, 106}})); // the level counts from here on
    EXPECT_EQ(std::pair(S().WaveData[0], S().WaveData[1]), std::pair(60.0f, 0.0f));

    // The version window shows modally, its feature list whole above the button.
    window->Cmd_version_Click();
    auto* version = qobject_cast<Form1*>(dialogs.modal.data());
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->Label1->text(), "TavrelVer16　2004.11.23");
    const QLabel* features = version->Label3;
    EXPECT_GE(features->height(), features->heightForWidth(features->width()));
    EXPECT_LE(features->geometry().bottom(), version->Cmd_End->y());
    version->Cmd_End_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(dialogs.modal); // closing destroys it
}

// While the file plays, the bar steps every 100 ms on the window's clock: 2 s over 825 px.
// The voiceprint window plays the same file; the recorder is the first found on the path.
TEST_F(MainWindowTest, PlayVoiceprintAndRecorderButtons) {
    p3->SetOuterGeometry(104, 0, 825, 57);
    window->Command2_Click(); // nothing loaded: the bar shows at its start
    EXPECT_TRUE(fake.sound.requests.empty());
    EXPECT_EQ(window->ProgressBar1->geometry(), QRect(0, 0, 825, 14));

    Load("two.wav", Mono16(22050, 44100, [](int i) { return 100 * std::sin(i * 0.05); }));
    std::vector<int> values;
    fake.clock.onYield = [&] {
        if (values.empty() || values.back() != window->ProgressBar1->value())
            values.push_back(window->ProgressBar1->value());
        if (values.size() == 3 && fake.sound.requests.size() == 1) // press again at the third step
            window->Command2_Click();
    };
    window->Command2_Click();
    fake.clock.onYield = nullptr;
    // The second press starts from the left; the first pass steps no more.
    std::vector<int> expected = {41, 82, 123};
    for (int i = 1; i <= 20; ++i)
        expected.push_back(int(std::floor(i * 0.1 * 22050 * 825 / 44099.0)));
    expected.push_back(0);
    EXPECT_EQ(values, expected);
    ASSERT_EQ(fake.sound.requests.size(), 2u);
    EXPECT_EQ(fake.sound.requests[1].path, dir.filePath("two.wav"));

    window->Cmd_声紋_Click();
    auto* form = qobject_cast<Form3*>(dialogs.modal.data());
    ASSERT_NE(form, nullptr);
    form->Cmd_Play->click();
    ASSERT_EQ(fake.sound.requests.size(), 3u);
    EXPECT_EQ(fake.sound.requests[2].path, dir.filePath("two.wav"));
    form->Cmd_End->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(dialogs.modal); // closing destroys it
    // No sound output: said once, and the bar stays at its start.
    fake.sound.works = false;
    const std::int64_t before = fake.clock.now;
    window->Command2_Click();
    EXPECT_EQ(Messages(), Texts{NoSoundMessage});
    EXPECT_EQ(std::pair(fake.clock.now, window->ProgressBar1->value()), std::pair(before, 0));

    const auto restore = qScopeGuard([path = qgetenv("PATH"), home = qgetenv("HOME")] {
        qputenv("PATH", path), qputenv("HOME", home);
    });
    for (const char* name : {"PATH", "HOME"}) // takes are saved in Music/Tavrel under HOME
        qputenv(name, dir.path().toLocal8Bit());
    Script(dir, "kwave");
    window->CmdRec->click();
    EXPECT_EQ(fake.programs.started, QStringList{dir.filePath("kwave")});

    // None there: Tavrel's own recorder. No input is said; then a take, saved at once
    // and loaded as if chosen; one that runs on stops at 60 s; one the server breaks off
    // is kept up to there, and said.
    QFile::remove(dir.filePath("kwave"));
    using Piece = std::vector<std::int16_t>;
    using F = SoundInput::Failure;
    for (const auto& [start, pieces, state, frames] :
         {std::tuple{F::NoInputDevice, std::vector<Piece>{}, F::None, 0},
          {F::None, {Piece(22050, 3277), Piece(11025, 0)}, F::None, 33075},
          {F::None, {Piece(22050 * 61, 1)}, F::None, 22050 * 60},
          {F::None, {Piece(4410, 1)}, F::NoServer, 4410}}) {
        window->CmdRec_Click();
        auto* rec = qobject_cast<RecorderWindow*>(dialogs.modal.data());
        ASSERT_NE(rec, nullptr);
        std::tie(fake.microphone.startAnswer, fake.microphone.pieces, fake.microphone.state) =
            std::tie(start, pieces, state);
        rec->CmdStart->click();
        rec->Timer1_Timer();
        if (frames == 33075) {
            EXPECT_EQ(std::pair(rec->Meter->value(), rec->lblElapsed->text()),
                      std::pair(67, QStringLiteral("1.0 秒 / 60 秒")));
            rec->CmdStop->click();
        }
        EXPECT_EQ(Messages().size(), std::size_t(start != F::None || state != F::None));
        QCoreApplication::processEvents(); // the take loads once the window has gone
        if (frames == 0) {
            EXPECT_TRUE(rec->isVisible() && !rec->CmdStop->isEnabled());
            rec->CmdClose->click();
            continue;
        }
        EXPECT_EQ(std::tuple(dialogs.modal && dialogs.modal->isVisible(), S().SampleCount,
                             window->txtSamplesPerSec->text(), QFileInfo(S().FileName).path()),
                  std::tuple(false, frames, QStringLiteral("22050"), dir.filePath("Music/Tavrel")));
        EXPECT_TRUE(ShownName().startsWith(QStringLiteral("録音 20"))) << ShownName().toStdString();
    }
    EXPECT_EQ(fake.microphone.rates, std::vector<int>(4, 22050));
}

// Refused for a period longer than its sound holds; then N = 1, 5, 3, 1 and 64, the move
// button, playing, both ways of closing, and the extras of its menu.
TEST_F(SynthesisWindowTest, StepsThroughHarmonicsMovesPlaysAndCloses) {
    S().PeriodSamples = 513;
    window->Cmdgousei_Click();
    EXPECT_EQ(std::pair(Messages(), bool(dialogs.modal)),
              std::pair(Texts{SynthPeriodTooLongMessage}, false));
    S().PeriodSamples = 100;
    QPointer<Form2> form = new Form2(
        window->State(), fake.dialogs, fake.sound,
        {[this](int n, QColor c) { window->PaintHarmBar(n, c); }, [this] { return p2->size(); }},
        QRect(0, 0, 640, 480), window.get());
    dialogs.ShowModal(*form);
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

    for (const QPoint at : {QPoint(105, 225), QPoint(105, 2), QPoint(105, 225)}) {
        form->Cmd_idou_Click();
        EXPECT_EQ(form->pos(), at);
    }

    // Enter and typing do nothing; playing: the header written on opening, the
    // period's samples repeated.
    QTest::keyClick(form, Qt::Key_Return);
    EXPECT_TRUE(form->Text1->isReadOnly() && fake.sound.requests.empty());
    form->CmdPlay_Click();
    ASSERT_EQ(std::pair(fake.sound.requests.size(), Messages().empty()), std::pair(1ul, true));
    const std::vector<std::uint8_t>& image = fake.sound.requests[0].image;
    ASSERT_EQ(image.size(), SynthImageBytes);
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + 58, NewSynthImage().begin()));
    EXPECT_EQ(image[58 + 60450], 103); // t = 50: -26 of 106, -24.53 rounds to -25
    fake.sound.works = false;          // no sound output: said, once
    form->CmdPlay_Click();
    EXPECT_EQ(Messages(), Texts{NoSoundMessage});

    // Closed by the title bar while its sound plays: the sound stops, the window goes
    // once the play handler has returned, and the marks stay on the chart.
    form->HScroll1->setValue(4);
    fake.sound.works = true;
    fake.sound.whilePlaying = [&] {
        form->close();
        QEventLoop wait; // as the real wait's loop runs
        QTimer::singleShot(0, &wait, &QEventLoop::quit);
        wait.exec();
    };
    form->CmdPlay_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(std::pair(bool(form || dialogs.modal), fake.sound.stops), std::pair(false, 1));
    EXPECT_EQ(Bars(), Marked(3, 4));

    // Reopened: N = 1 in the upper place, bar 1 marked anew.
    S().HarmIm[2] = S().HarmRe[2]; // harmonic 2 now measured at -45 degrees
    window->Cmdgousei_Click();
    form = qobject_cast<Form2*>(dialogs.modal.data());
    ASSERT_TRUE(form);
    EXPECT_EQ(std::pair(form->Text1->text(), form->pos()),
              std::pair(QString(" 1"), SynthWindowLayout(ScreenArea()).upper));
    EXPECT_EQ(Bars(), "mccm" + Marked(0, 99).substr(4));

    // Its menu: the marked period in grey under the sum with its figures, at opening too once
    // on; the phases heard and seen at once; switched off, the old picture and sound.
    const auto sum = [&] { return form->Picture2->Pic().Image(); };
    const auto played = [&] { return form->CmdPlay_Click(), fake.sound.requests.back().image; };
    form->HScroll1->setValue(5);
    const QImage plain = sum(), curves = form->Picture1->Pic().Image();
    const std::vector<std::uint8_t> measured = played();
    EXPECT_EQ(dialogs.Choose(form->Picture2, "元の波形を重ねる"),
              (Texts{"元の波形を重ねる|Ctrl+O", "|", "位相: 測定値|Ctrl+1", "位相: すべて 0|Ctrl+2",
                     "位相: ランダム|Ctrl+3", "|", "画像を保存…|Ctrl+S", "画像をコピー|Ctrl+C"}));
    EXPECT_TRUE(CountColour(sum(), qRgb(180, 180, 180)) > 100 &&
                CountColour(sum(), Black, {0, 0, 250, 15}) > 50);
    form->mnuPhaseZero->trigger();
    EXPECT_TRUE(form->Picture1->Pic().Image() != curves && played() != measured);
    const auto random = (form->mnuPhaseRandom->trigger(), played());
    form->mnuPhaseRandom->trigger(); // again: new phases
    EXPECT_TRUE(played() != random && random != measured);
    form->mnuPhaseMeasured->trigger(), form->mnuOverlay->trigger();
    EXPECT_TRUE(sum() == plain && played() == measured);
    form->mnuOverlay->trigger();
    EXPECT_EQ(MainWindow(fake.platform).State().Extras, S().Extras); // as saved
    form->close();
    window->Cmdgousei_Click();
    form = qobject_cast<Form2*>(dialogs.modal.data());
    EXPECT_TRUE(form->mnuOverlay->isChecked() && CountColour(sum(), qRgb(180, 180, 180)) > 100 &&
                CountColour(sum(), Red) == 0);

    // The close button gives every bar its light blue back and discards the window.
    form->CmdEnd->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(form);
    EXPECT_EQ(Bars(), Marked(0, 99));
}
