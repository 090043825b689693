#include "app/MainWindow.h"

#include "analysis/HarmChart.h"
#include "analysis/HarmonicAnalysis.h"
#include "analysis/MagnifiedPlot.h"
#include "analysis/PlotClicks.h"
#include "app/LoadMessages.h"
#include "app/MainLayout.h"
#include "app/SettingsDialogs.h"
#include "state/Numbers.h"
#include "sound/PlaybackProgress.h"
#include "sound/RecorderLauncher.h"
#include "sound/RecorderWindow.h"
#include "sound/SoundOutput.h"
#include "sound/Ticks.h"
#include "synthesis/Form2.h"
#include "ui/Dialogs.h"
#include "ui/FitText.h"
#include "ui/Palette.h"
#include "ui/PictureBox.h"
#include "ui/PictureMenus.h"
#include "ui/Printing.h"
#include "ui/WindowOps.h"
#include "voiceprint/Form3.h"
#include "wavein/AudioFile.h"
#include "wavein/Recording.h"
#include "wavein/WavReader.h"
#include "wavein/WholeWaveGeometry.h"
#include "wavein/WholeWavePlot.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>

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

MainWindow::MainWindow(const Platform& platform, QWidget* parent)
    : QWidget(parent), m_platform(platform), m_dialogs(platform.dialogs),
      m_openFolder(DefaultExamplesFolder()) {
    setWindowTitle(QStringLiteral("Tavrel"));
    setAcceptDrops(true);
    resize(666, 509);

    lblFilename = MakeLabel(this, "filename", 0, 81, 33);
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

    SetTabChain({CmdRec, Command1, Command2, Cmd_fft, Cmdgousei, Cmd_声紋, CmdEnd, txtChannels,
                 txtBitsPerSample, txtSamplesPerSec, Cmd_Settei, Cmd_print, Cmd_version});

    connect(Command1, &QPushButton::clicked, this, &MainWindow::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &MainWindow::Command2_Click);
    connect(CmdRec, &QPushButton::clicked, this, &MainWindow::CmdRec_Click);
    connect(Cmd_fft, &QPushButton::clicked, this, &MainWindow::Cmd_fft_Click);
    connect(Cmd_print, &QPushButton::clicked, this, &MainWindow::Cmd_print_Click);
    connect(Cmd_Settei, &QPushButton::clicked, this, &MainWindow::Cmd_Settei_Click);
    connect(Cmd_version, &QPushButton::clicked, this, &MainWindow::Cmd_version_Click);
    connect(Cmd_声紋, &QPushButton::clicked, this, &MainWindow::Cmd_声紋_Click);
    connect(Cmdgousei, &QPushButton::clicked, this, &MainWindow::Cmdgousei_Click);
    connect(CmdEnd, &QPushButton::clicked, this, &MainWindow::CmdEnd_Click);
    QAction* record = CommandAction(this, QStringLiteral("マイクから録音…"), Qt::CTRL | Qt::Key_R);
    connect(record, &QAction::triggered, this, &MainWindow::OpenRecorder);
    auto* menus = new PictureMenus(*this, m_dialogs); // the pictures' right-button menus
    SetUpExtras();
    menus->Add(*Picture3, {record}, QStringLiteral("whole-wave"));
    menus->Add(*Picture1, {mnuNoteNames, mnuSuggestPeriod}, QStringLiteral("magnified-wave"));
    menus->Add(*Picture2, {mnuHarmonicTable}, QStringLiteral("harmonics"));

    connect(Picture3, &PictureBox::MouseDown, this, &MainWindow::Picture3_MouseDown);
    connect(Picture1, &PictureBox::MouseDown, this, &MainWindow::Picture1_MouseDown);

    // Dragging a window edge sends a stream of resizes; the plots are drawn
    // again once, when it stops.
    m_resizeSettled.setSingleShot(true);
    m_resizeSettled.setInterval(100);
    connect(&m_resizeSettled, &QTimer::timeout, this, &MainWindow::RedrawPlots);

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
    m_resizeSettled.start();
    QWidget::resizeEvent(event);
}

void MainWindow::RedrawPlots() {
    RefitRegion(m_state, Picture1->width());
    if (m_state.RegionChosen == 1)
        m_state.RegionX = MarkerXForRegion(m_state, Picture3->width());
    Picture3->Replay();
    Picture1->Replay();
    Picture2->Replay();
}

QString MainWindow::ShowOpenDialog(const QString& filter) {
    const QString path = m_dialogs.OpenFile(
        this, filter.isEmpty() ? QStringLiteral("すべてのファイル|*.*") : filter, m_openFolder);
    if (!path.isEmpty())
        m_openFolder = QFileInfo(path).absolutePath();
    return path;
}

void MainWindow::Command1_Click() {
    // A cancelled dialog changes nothing: the recording shown stays the one played.
    const QString path = ShowOpenDialog(OpenFileFilter);
    if (path.isEmpty())
        return;
    LoadRecording(path);
}

namespace {
// The one local file a drag carries, or an empty text.
QString DroppedFile(const QMimeData* data) {
    const QList<QUrl> urls = data ? data->urls() : QList<QUrl>();
    return urls.size() == 1 && urls[0].isLocalFile() ? urls[0].toLocalFile() : QString();
}
} // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QString path = DroppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // After the drop has ended: a refusal's message box must not run inside
    // the drag, which the source program is still waiting on.
    QTimer::singleShot(0, this, [this, path] { OpenNamedFile(path); });
}

void MainWindow::OpenNamedFile(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    m_openFolder = QFileInfo(full).absolutePath();
    LoadRecording(full);
}

void MainWindow::LoadRecording(const QString& path) {
    if (m_loading)
        return; // a drop or a timer while the progress dialog is up
    m_loading = true;
    // Decoded on a worker thread: a ten-minute MP3 takes seconds, and the
    // student may cancel it (the previous recording then stays, untouched).
    WavLoadResult result;
    const std::int16_t refLevel = m_state.RefLevel;
    m_dialogs.RunWithProgress(this, QStringLiteral("読み込み中…"),
                              [&](const Dialogs::Progress& progress) {
                                  result = LoadRecordingFile(path, refLevel, progress);
                              });
    m_loading = false;
    if (result.error == WavError::Cancelled)
        return;

    Picture1->Cls();
    Picture2->Cls();
    m_state.MarkPhase = 2;
    m_state.WaveLoaded = 1;
    m_state.RegionChosen = 0;
    if (result.error == WavError::None)
        result.error = AdoptRecording(m_state, std::move(result.wave));
    if (result.error != WavError::None) {
        m_dialogs.MessageBox(this, LoadErrorMessage(result.error),
                             result.error == WavError::NotRiffWave ||
                                 result.error == WavError::UnrecognisedFormat);
        return;
    }

    // The file played is the recording the plots show: a file the reader
    // refused leaves the previous one, which the plots still show, to play.
    m_state.FileName = path;
    m_state.SampleRate = result.wave.format.sampleRate;
    // Only now: a refused file's name over the previous recording's wave
    // would say the screen shows what it does not.
    ShowNameInLabel(lblFilename, QFileInfo(path).fileName());
    lblFilename->setToolTip(QDir::toNativeSeparators(path)); // the folder, and a name cut short
    const WavFormat& f = result.wave.format;
    txtChannels->setText(QString::number(f.channels));
    txtBitsPerSample->setText(QString::number(f.bitsPerSample));
    txtSamplesPerSec->setText(QString::number(f.sampleRate));

    Picture3->Cls();
    Picture3->Draw([this](Canvas& c) {
        DrawWholeWave(c, m_state.WaveData, m_state.WavePeak, m_state.AmpRatio);
    });
    m_state.PeriodReady = 0;
}

namespace {
// Key of the region marker among the whole-wave plot's kept drawings: a new
// marker replaces the old one.
constexpr int RegionMarkerKey = 0;
} // namespace

void MainWindow::DrawRegionMarker() {
    Picture3->Draw(RegionMarkerKey, [this](Canvas& c) {
        const float x = m_state.RegionX.value_or(0.0f);
        c.Line(x, 0, x, RegionMarkerEndY, Colors::Black);
    });
}

void MainWindow::DrawPeriodMark(float x) {
    Picture1->Draw([x](Canvas& c) { tavrel::DrawPeriodMark(c, x); });
}

void MainWindow::Picture3_MouseDown(int, int, float x, float) {
    const WholeWaveClick click = ClickWholeWave(m_state, x, Picture3->width(), Picture1->width());
    if (!click.handled)
        return;
    if (click.rubOutX) {
        // Pale cyan on the white strip: the old place stays faintly visible.
        const float old = *click.rubOutX;
        Picture3->Pic().Line(old, 0, old, RegionMarkerEndY, Colors::PaleCyan);
    }
    DrawRegionMarker();
    Picture1->Cls();
    Picture2->Cls();
    Picture1->Draw([this](Canvas& c) { DrawMagnifiedWave(c, m_state, false); });
}

void MainWindow::Picture1_MouseDown(int, int, float x, float) {
    // The rate is whatever the text box says now: the user may have typed the
    // true rate of a recording whose header is wrong.
    const double rate = LenientNumber(txtSamplesPerSec->text());
    const MagnifiedClick click = ClickMagnified(m_state, x, rate);
    switch (click.step) {
    case MarkStep::Ignored:
        return;
    case MarkStep::First:
        DrawPeriodMark(click.lineX);
        return;
    case MarkStep::StartOver:
        Picture2->Cls();
        Picture1->Cls();
        Picture1->Draw([this](Canvas& c) { DrawMagnifiedWave(c, m_state, true); });
        DrawPeriodMark(click.lineX);
        return;
    case MarkStep::Second:
        break;
    }

    DrawPeriodMark(click.lineX);
    if (click.capture == CaptureResult::Captured) {
        Picture1->Draw([this](Canvas& c) { DrawPeriodTexts(c, m_state); });
        return;
    }
    // Marks too close leave the plot empty: the user is asked to begin again.
    if (click.capture == CaptureResult::TooClose)
        Picture1->Cls();
    m_dialogs.MessageBox(this, MarkRefusalMessage(click.capture), false);
}

void MainWindow::Cmd_fft_Click() {
    if (m_state.PeriodReady == 0) {
        m_dialogs.MessageBox(this, QStringLiteral("１周期をマウスでクリックしてください"), false);
        return;
    }
    m_state.FftDone = 1;
    Picture2->Cls();
    AnalyseHarmonics(m_state);
    Picture2->Draw([this](Canvas& c) { DrawHarmChart(c, m_state); });
}

void MainWindow::PaintHarmBar(int n, QColor colour) {
    // Keyed by the bar: a bar painted again covers the same pixels, so only
    // its last colour needs keeping.
    Picture2->Draw(n,
                   [this, n, colour](Canvas& c) { tavrel::PaintHarmBar(c, m_state, n, colour); });
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
    return PrintImage(printer, grab().toImage());
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
    auto* form = new Form3(m_state, m_dialogs, m_platform.sound, m_platform.clock, this);
    form->setAttribute(Qt::WA_DeleteOnClose);
    m_dialogs.ShowModal(*form);
}

void MainWindow::Command2_Click() {
    const QPointer<MainWindow> self(this);
    const int pass = ++m_playPass;
    const int w = Picture3->width();
    ProgressBar1->setGeometry(0, 0, w, 14);
    ProgressBar1->setRange(0, w);
    ProgressBar1->show();
    ProgressBar1->setValue(ProgressBar1->minimum());
    const WholeWaveBar bar = PlanWholeWaveBar(m_state.SampleCount, m_state.SampleRate, w);
    if (m_state.FileName.isEmpty())
        return;
    if (!m_platform.sound.StartPlayingFile(m_state.FileName)) {
        m_dialogs.MessageBox(this, NoSoundMessage, false); // the bar stays at its start
        return;
    }
    if (!bar.moves)
        return; // nothing to time: the bar stays at its start
    TickClock& clock = m_platform.clock;
    // Steps are timed from the start, so a late one is caught up by the next.
    std::int64_t deadline = clock.Now();
    for (int i = 1;; ++i) {
        const std::optional<int> pos = WholeWaveBarAt(bar, i);
        if (!pos)
            break;
        ProgressBar1->setValue(*pos);
        deadline += PlaybackStepMs;
        WaitUntilTick(clock, deadline);
        clock.Yield(0);
        // A newer press has the bar now (and has put it back at its start).
        if (!self || pass != m_playPass || m_ending)
            return;
    }
    ProgressBar1->setValue(ProgressBar1->minimum());
}

void MainWindow::CmdRec_Click() {
    // The desktop's own recorder where there is one; otherwise Tavrel's, so
    // that the button never does nothing.
    if (LaunchRecorder(m_platform.programs, SystemRecorderCandidates()).isEmpty())
        OpenRecorder();
}

void MainWindow::OpenRecorder() {
    auto* form = new RecorderWindow(m_platform.microphone, m_dialogs, this);
    // Once the window has gone: the take loads as if it had been chosen.
    connect(form, &RecorderWindow::Saved, this, &MainWindow::OpenNamedFile, Qt::QueuedConnection);
    m_dialogs.ShowModal(*form);
}

bool MainWindow::FftDoneOrSay() {
    if (m_state.FftDone == 1)
        return true;
    m_dialogs.MessageBox(this, QStringLiteral("フーリエ変換を済ませてからクリックしてください。"),
                         false);
    return false;
}

void MainWindow::Cmdgousei_Click() {
    if (!FftDoneOrSay())
        return;
    if (m_state.PeriodSamples > MaxSynthPeriod) {
        m_dialogs.MessageBox(this, SynthPeriodTooLongMessage, false);
        return;
    }
    // A fresh window for each opening; it is discarded when it closes.
    auto* form = new Form2(
        m_state, m_dialogs, m_platform.sound,
        {[this](int n, QColor c) { PaintHarmBar(n, c); }, [this] { return Picture2->size(); }},
        ScreenArea(), this);
    m_dialogs.ShowModal(*form);
}

void MainWindow::CmdEnd_Click() {
    close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Closing the main window ends the program, by any route (終了, its close
    // box, the window manager): every other window goes with it, the sound
    // stops at once, and a playback loop running beneath stops stepping
    // instead of keeping an invisible program alive until the recording has
    // played.
    m_ending = true;
    m_platform.sound.StopSound();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible())
            w->close();
    QApplication::exit(0);
    QWidget::closeEvent(event);
}

} // namespace tavrel
