#include "app/MainWindow.h"

#include "analysis/HarmonicAnalysis.h"
#include "analysis/Magnify.h"
#include "app/LoadMessages.h"
#include "app/MainLayout.h"
#include "app/state/Numbers.h"
#include "app/SettingsDialogs.h"
#include "ui/Dialogs.h"
#include "ui/Palette.h"
#include "ui/PictureBox.h"
#include "ui/WindowOps.h"
#include "wavein/WavReader.h"
#include "wavein/WholeWavePlot.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <new>

namespace tavrel {

namespace {

QPushButton* MakeButton(QWidget* parent, const char* caption, int top) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setGeometry(8, top, 89, 25);
    return b;
}

QLabel* MakeLabel(QWidget* parent, const char* caption, int top, int width, int height) {
    auto* l = new QLabel(QString::fromUtf8(caption), parent);
    l->setGeometry(8, top, width, height);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

QLineEdit* MakeTextBox(QWidget* parent, int top) {
    auto* t = new QLineEdit(QStringLiteral("0"), parent);
    t->setGeometry(8, top, 89, 18);
    return t;
}

QString DefaultExamplesFolder() {
    // An installed program finds its examples beside its data; a build
    // started from the source tree finds them there.
    const QString installed =
        QDir(QCoreApplication::applicationDirPath()).absoluteFilePath("../share/tavrel/examples");
    if (QFileInfo(installed).isDir())
        return QDir::cleanPath(installed);
    if (QFileInfo(QStringLiteral(TAVREL_EXAMPLES_DIR)).isDir())
        return QStringLiteral(TAVREL_EXAMPLES_DIR);
    return QDir::homePath();
}

} // namespace

MainWindow::MainWindow(Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_dialogs(dialogs), m_openFolder(DefaultExamplesFolder()) {
    setWindowTitle(QStringLiteral("Tavrel"));
    resize(666, 509);

    lblFilename = MakeLabel(this, "filename", 0, 81, 33);
    lblFilename->setWordWrap(true);
    Label3 = MakeLabel(this, "Channels:", 40, 89, 16);
    txtChannels = MakeTextBox(this, 56);
    Label1 = MakeLabel(this, "BitsPerSample:", 80, 89, 16);
    txtBitsPerSample = MakeTextBox(this, 96);
    Label2 = MakeLabel(this, "ｻﾝﾌﾟﾙ周波数", 120, 89, 16);
    txtSamplesPerSec = MakeTextBox(this, 136);

    Cmd_Settei = MakeButton(this, "設定(&B)", 160);
    CmdRec = MakeButton(this, "録音(&R)", 192);
    Command1 = MakeButton(this, "読込(&V)", 224);
    Command2 = MakeButton(this, "再生(&P)", 256);
    Cmd_fft = MakeButton(this, "ﾌｰﾘｴ変換(&F)", 288);
    Cmdgousei = MakeButton(this, "倍音の合成(&G)", 320);
    Cmd_声紋 = MakeButton(this, "声紋(&S)", 352);
    Cmd_print = MakeButton(this, "印刷(&W)", 384);
    Cmd_version = MakeButton(this, "Version情報(&X)", 416);
    CmdEnd = MakeButton(this, "終了(&E)", 448);

    Picture3 = new PictureBox(this);
    ProgressBar1 = new QProgressBar(Picture3);
    ProgressBar1->setGeometry(0, 0, 520, 17);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setValue(0);
    Picture1 = new PictureBox(this);
    Picture1->Pic().SetForeColor(Colors::LightRed);
    Picture2 = new PictureBox(this);
    Picture2->Pic().SetForeColor(Colors::LightBlue);

    setTabOrder(CmdRec, Command1);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Cmd_fft);
    setTabOrder(Cmd_fft, Cmdgousei);
    setTabOrder(Cmdgousei, Cmd_声紋);
    setTabOrder(Cmd_声紋, CmdEnd);
    setTabOrder(CmdEnd, txtChannels);
    setTabOrder(txtChannels, txtBitsPerSample);
    setTabOrder(txtBitsPerSample, txtSamplesPerSec);
    setTabOrder(txtSamplesPerSec, Cmd_Settei);
    setTabOrder(Cmd_Settei, Cmd_print);
    setTabOrder(Cmd_print, Cmd_version);

    connect(Command1, &QPushButton::clicked, this, &MainWindow::Command1_Click);
    connect(Cmd_fft, &QPushButton::clicked, this, &MainWindow::Cmd_fft_Click);
    connect(Cmd_print, &QPushButton::clicked, this, &MainWindow::Cmd_print_Click);
    connect(Cmd_Settei, &QPushButton::clicked, this, &MainWindow::Cmd_Settei_Click);
    connect(Cmd_version, &QPushButton::clicked, this, &MainWindow::Cmd_version_Click);
    connect(Cmd_声紋, &QPushButton::clicked, this, &MainWindow::Cmd_声紋_Click);
    connect(Cmdgousei, &QPushButton::clicked, this, &MainWindow::Cmdgousei_Click);
    connect(CmdEnd, &QPushButton::clicked, this, &MainWindow::CmdEnd_Click);
    connect(Picture3, &PictureBox::MouseDown, this, &MainWindow::Picture3_MouseDown);
    connect(Picture1, &PictureBox::MouseDown, this, &MainWindow::Picture1_MouseDown);

    Form_Load();
}

MainWindow::~MainWindow() = default;

void MainWindow::Form_Load() {
    // The window takes the whole screen the first time it is shown; a window
    // manager may then take its frame off, and the layout follows the client
    // area it actually gets.
    setGeometry(ScreenArea());
    ApplyLayout(width(), height());
    m_state.RefLevel = 128;
    m_state.AmpRatio = 0.7f;
    m_state.FftDone = 0;
    m_state.MarkPhase = 2;
    m_state.WaveLoaded = 0;
    m_state.AmpNormalize = 1;
}

void MainWindow::ApplyLayout(int width, int height) {
    const MainLayout l = ComputeMainLayout(width, height);
    Picture3->SetOuterGeometry(l.picture3.x(), l.picture3.y(), l.picture3.width(),
                               l.picture3.height());
    // The bar spans the plot; its place and height are the playback's business.
    ProgressBar1->setGeometry(ProgressBar1->x(), ProgressBar1->y(), l.picture3.width(),
                              ProgressBar1->height());
    Picture1->SetOuterGeometry(l.picture1.x(), l.picture1.y(), l.picture1.width(),
                               l.picture1.height());
    Picture2->SetOuterGeometry(l.picture2.x(), l.picture2.y(), l.picture2.width(),
                               l.picture2.height());
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    ApplyLayout(event->size().width(), event->size().height());
    QWidget::resizeEvent(event);
}

QString MainWindow::ShowOpenDialog(const QString& filter) {
    const QString path = m_dialogs.OpenFile(
        this, filter.isEmpty() ? QStringLiteral("すべてのファイル|*.*") : filter, m_openFolder);
    if (!path.isEmpty())
        m_openFolder = QFileInfo(path).absolutePath();
    return path;
}

void MainWindow::Command1_Click() {
    m_state.FileName = ShowOpenDialog(QStringLiteral("サウンド|*.wav"));
    if (m_state.FileName.isEmpty())
        return;
    lblFilename->setText(QFileInfo(m_state.FileName).fileName());
    lblFilename->setToolTip(QDir::toNativeSeparators(m_state.FileName)); // long names are cut
    Picture1->Pic().Cls();
    Picture2->Pic().Cls();
    m_state.MarkPhase = 2;
    m_state.WaveLoaded = 1;
    m_state.RegionChosen = 0;

    WavLoadResult result = LoadWavFile(m_state.FileName, m_state.RefLevel);
    FloatArray region;
    FloatArray imag;
    if (result.error == WavError::None) {
        // The two work arrays are taken before anything is replaced, so a
        // recording too big for memory leaves the previous one whole.
        try {
            const auto n = static_cast<std::size_t>(result.wave.SampleCount);
            region = FloatArray(n);
            imag = FloatArray(n);
        } catch (const std::bad_alloc&) {
            result.error = WavError::OutOfMemory;
        }
    }
    if (result.error != WavError::None) {
        m_dialogs.MessageBox(this, LoadErrorMessage(result.error),
                             result.error == WavError::NotRiffWave);
        return;
    }

    const WavFormat& f = result.wave.format;
    txtChannels->setText(QString::number(f.channels));
    txtBitsPerSample->setText(QString::number(f.bitsPerSample));
    txtSamplesPerSec->setText(QString::number(f.sampleRate));

    m_state.SampleCount = result.wave.SampleCount;
    m_state.WaveData = std::move(result.wave.WaveData);
    m_state.RegionData = std::move(region);
    m_state.FftImag = std::move(imag);
    m_state.WavePeak = result.wave.WavePeak;
    m_regionLength = 0;

    Picture1->Pic().Cls();
    Picture2->Pic().Cls();
    Picture3->Pic().Cls();
    DrawWholeWave(Picture3->Pic(), m_state.WaveData, m_state.WavePeak, m_state.AmpRatio);
    m_state.PeriodReady = 0;
}

void MainWindow::Picture3_MouseDown(int, int, float x, float) {
    if (m_state.WaveLoaded == 0 || m_state.WaveData.empty())
        return;
    Canvas& pic3 = Picture3->Pic();
    const float xm = static_cast<float>(Int(x));
    if (m_state.RegionChosen == 1) {
        const float old = m_state.RegionX.value_or(0.0f);
        pic3.Line(old, 0, old, 200, Colors::PaleCyan);
    }
    m_state.RegionX = xm;
    pic3.Line(xm, 0, xm, 200, Colors::Black);

    const int w1 = Picture1->width();
    const std::int32_t start = RegionStart(m_state.SampleCount, xm, Picture3->width(), w1);
    m_regionLength = CopyRegion(m_state, start, w1);

    Picture1->Pic().Cls();
    Picture2->Pic().Cls();
    DrawMagnifiedWave(Picture1->Pic(), m_state, m_regionLength, false);

    m_state.RegionChosen = 1;
    m_state.FftDone = 0;
    m_state.MarkPhase = 0;
    m_state.PeriodReady = 0;
}

void MainWindow::FirstMark(float x) {
    const float x1 = static_cast<float>(Int(x));
    m_state.MarkX1 = x1;
    Picture1->Pic().Line(x1, 0, x1, Picture1->height(), Colors::Black);
    m_state.MarkPhase = 1;
}

void MainWindow::Picture1_MouseDown(int, int, float x, float) {
    if (m_state.RegionChosen == 0)
        return;
    Canvas& pic1 = Picture1->Pic();

    if (m_state.MarkPhase == 0) {
        FirstMark(x);
        return;
    }

    if (m_state.MarkPhase == 1) {
        const float x2 = static_cast<float>(Int(x));
        m_state.MarkX2 = x2;
        pic1.Line(x2, 0, x2, Picture1->height(), Colors::Black);
        m_state.MarkPhase = 2;
        if (m_state.MarkX2.value_or(0) < m_state.MarkX1.value_or(0))
            std::swap(m_state.MarkX1, m_state.MarkX2);

        // The rate is whatever the text box says now: the user may have typed
        // the true rate of a recording whose header is wrong.
        const double rate = LenientNumber(txtSamplesPerSec->text());
        switch (CapturePeriod(m_state, m_regionLength, rate)) {
        case CaptureResult::Captured:
            break;
        case CaptureResult::TooClose:
            pic1.Cls();
            m_dialogs.MessageBox(this, QString::fromUtf8(TooCloseMessage), false);
            return;
        case CaptureResult::OutsideSamples:
            m_dialogs.MessageBox(this, QString::fromUtf8(OutsideSamplesMessage), false);
            return;
        case CaptureResult::TooLong:
            m_dialogs.MessageBox(this, QString::fromUtf8(TooLongMessage), false);
            return;
        case CaptureResult::BadRate:
            m_dialogs.MessageBox(this, QString::fromUtf8(BadRateMessage), false);
            return;
        }
        pic1.SetForeColor(Colors::LightBlue);
        pic1.SetFontSize(11);
        pic1.CurrentX = 5;
        pic1.CurrentY = 5;
        pic1.Print(QStringLiteral("周期　　") + FormatUpTo5(m_state.PeriodSec) +
                   QStringLiteral("秒"));
        pic1.CurrentX = 5;
        pic1.CurrentY = 25;
        pic1.Print(QStringLiteral("基本振動数 ") + FormatWhole(m_state.FundFreq) +
                   QStringLiteral("Hz"));
        return;
    }

    // A third click starts over on the same region.
    m_state.FftDone = 0;
    Picture2->Pic().Cls();
    pic1.Cls();
    DrawMagnifiedWave(pic1, m_state, m_regionLength, true);
    FirstMark(x);
}

void MainWindow::Cmd_fft_Click() {
    if (m_state.PeriodReady == 0) {
        m_dialogs.MessageBox(this, QStringLiteral("１周期をマウスでクリックしてください"), false);
        return;
    }
    Picture2->Pic().Cls();
    RunHarmonicAnalysis(m_state);
    DrawHarmChart(Picture2->Pic(), m_state);
}

void MainWindow::Cmd_print_Click() {
    QPrinter printer(QPrinter::HighResolution);
    if (!m_dialogs.ChoosePrinter(this, printer))
        return;
    // A printer that cannot be opened fails silently: there is nothing the
    // user could do about it from here, and the window stays as it was.
    PrintWindowImage(printer);
}

bool MainWindow::PrintWindowImage(QPrinter& printer) {
    const QImage image = grab().toImage();
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRectF page = printer.pageRect(QPrinter::DevicePixel);
    const QRectF pageArea(0, 0, page.width(), page.height());
    QSizeF size = image.size();
    size.scale(pageArea.size(), Qt::KeepAspectRatio);
    const QRectF target(QPointF((pageArea.width() - size.width()) / 2, 0), size);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, image);
    return painter.end();
}

void MainWindow::Cmd_Settei_Click() {
    // The dialog is made afresh each time, so it opens with its designed text;
    // a second press while it is open only brings it forward.
    if (!m_settings || !m_settings->isVisible()) {
        m_settings = new Form4(m_state, m_dialogs, this);
        m_settings->setWindowFlag(Qt::Window);
    }
    m_settings->show();
    m_settings->raise();
}

void MainWindow::Cmd_version_Click() {
    auto* form = new Form1(this);
    m_dialogs.ShowModal(*form);
}

void MainWindow::Cmd_声紋_Click() {
    // The voiceprint window comes with its own piece of work.
}

void MainWindow::Cmdgousei_Click() {
    if (m_state.FftDone != 1) {
        m_dialogs.MessageBox(
            this, QStringLiteral("フーリエ変換を済ませてからクリックしてください。"), false);
        return;
    }
    // The synthesis window comes with its own piece of work.
}

void MainWindow::CmdEnd_Click() { QApplication::exit(0); }

} // namespace tavrel
