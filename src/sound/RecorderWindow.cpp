#include "sound/RecorderWindow.h"

#include "sound/RecorderRules.h"
#include "ui/Dialogs.h"
#include "wavein/WavWriter.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QStandardPaths>

namespace tavrel {

namespace {

constexpr int PollMs = 50;

QString StartFailure(SoundInput::Failure f) {
    switch (f) {
    case SoundInput::Failure::None:
        break;
    case SoundInput::Failure::NoServer:
        return QStringLiteral("サウンドサーバーに接続できないため、録音できません。");
    case SoundInput::Failure::NoInputDevice:
        return QStringLiteral("録音できる入力（マイク）が見つかりません。\n"
                              "マイクがつながっているか、サウンドの設定を確かめてください。");
    case SoundInput::Failure::Broken:
        break;
    }
    return QStringLiteral("録音を始められませんでした。");
}

// Writes the take; false when the file could not be written whole.
bool WriteTake(const QString& path, const std::vector<std::int16_t>& take) {
    const std::vector<std::uint8_t> wav = Pcm16MonoWav(take, RecorderRate);
    QSaveFile f(path);
    return f.open(QIODevice::WriteOnly) &&
           f.write(reinterpret_cast<const char*>(wav.data()), qint64(wav.size())) ==
               qint64(wav.size()) &&
           f.commit();
}

} // namespace

RecorderWindow::RecorderWindow(SoundInput& input, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), m_input(input), m_dialogs(dialogs) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("録音"));
    setFixedSize(340, 150);

    Label1 = new QLabel(QStringLiteral("マイクの音量"), this);
    Label1->setGeometry(16, 12, 308, 17);
    Meter = new QProgressBar(this);
    Meter->setGeometry(16, 32, 308, 16);
    Meter->setRange(0, 100);
    Meter->setValue(0);
    Meter->setTextVisible(false);
    lblElapsed = new QLabel(ElapsedText(0), this);
    lblElapsed->setGeometry(16, 56, 308, 17);
    // The folder's full path fits the window seldom: the home folder reads
    // as "~", and what is still too long loses its middle; the tooltip
    // keeps it whole.
    const QString folder = QDir::toNativeSeparators(SaveFolder());
    lblFolder = new QLabel(this);
    lblFolder->setGeometry(16, 78, 308, 17);
    lblFolder->setText(lblFolder->fontMetrics().elidedText(
        QStringLiteral("保存先: %1").arg(ShortFolderName(folder, QDir::homePath())),
        Qt::ElideMiddle, lblFolder->width()));
    lblFolder->setToolTip(folder);
    CmdStart = new QPushButton(QStringLiteral("録音開始(&S)"), this);
    CmdStart->setGeometry(16, 108, 97, 25);
    CmdStop = new QPushButton(QStringLiteral("停止(&T)"), this);
    CmdStop->setGeometry(121, 108, 97, 25);
    CmdClose = new QPushButton(QStringLiteral("閉じる(&E)"), this);
    CmdClose->setGeometry(227, 108, 97, 25);
    for (QPushButton* b : {CmdStart, CmdStop, CmdClose})
        b->setAutoDefault(false);
    Timer1 = new QTimer(this);
    Timer1->setInterval(PollMs);

    connect(CmdStart, &QPushButton::clicked, this, &RecorderWindow::CmdStart_Click);
    connect(CmdStop, &QPushButton::clicked, this, &RecorderWindow::CmdStop_Click);
    connect(CmdClose, &QPushButton::clicked, this, &RecorderWindow::CmdClose_Click);
    connect(Timer1, &QTimer::timeout, this, &RecorderWindow::Timer1_Timer);
    ShowRecording(false);
}

RecorderWindow::~RecorderWindow() {
    if (m_recording)
        m_input.Stop();
}

QString RecorderWindow::SaveFolder() {
    QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (music.isEmpty())
        music = QDir::homePath();
    return QDir(music).filePath(QStringLiteral("Tavrel"));
}

void RecorderWindow::ShowRecording(bool recording) {
    m_recording = recording;
    CmdStart->setEnabled(!recording);
    CmdStop->setEnabled(recording);
    if (recording)
        Timer1->start();
    else
        Timer1->stop();
}

void RecorderWindow::CmdStart_Click() {
    m_take.clear();
    lblElapsed->setText(ElapsedText(0));
    const SoundInput::Failure f = m_input.Start(RecorderRate);
    if (f != SoundInput::Failure::None) {
        m_dialogs.MessageBox(this, StartFailure(f), false);
        return;
    }
    ShowRecording(true);
}

void RecorderWindow::Timer1_Timer() {
    if (!m_recording)
        return;
    const std::vector<std::int16_t> piece = m_input.Take();
    m_take.insert(m_take.end(), piece.begin(), piece.end());
    if (!piece.empty())
        Meter->setValue(LevelPercent(piece));
    if (m_take.size() >= RecorderLongestSamples) {
        Finish(QString());
        return;
    }
    lblElapsed->setText(ElapsedText(std::int64_t(m_take.size())));
    if (m_input.State() != SoundInput::Failure::None)
        Finish(QStringLiteral("録音が途中で止まりました（サウンドサーバーまたはマイクが"
                              "使えなくなりました）。"));
}

void RecorderWindow::CmdStop_Click() {
    Finish(QString());
}

void RecorderWindow::CmdClose_Click() {
    close();
}

void RecorderWindow::closeEvent(QCloseEvent* event) {
    if (m_recording)
        Finish(QString()); // closes the window once the take is safe
    QDialog::closeEvent(event);
}

// Stops, takes the rest, and saves the take before anything else can go
// wrong; then the window closes and the take is handed on. `why` is said
// first when the recording broke off.
void RecorderWindow::Finish(const QString& why) {
    m_input.Stop();
    const std::vector<std::int16_t> rest = m_input.Take();
    m_take.insert(m_take.end(), rest.begin(), rest.end());
    m_take.resize(std::min(m_take.size(), RecorderLongestSamples));
    ShowRecording(false);
    Meter->setValue(0);
    lblElapsed->setText(ElapsedText(std::int64_t(m_take.size())));
    if (m_take.size() < 2) {
        m_dialogs.MessageBox(this, why.isEmpty() ? QStringLiteral("録音された音がありません。") : why,
                             false);
        return;
    }
    const QString folder = SaveFolder();
    const QString first = RecordingFileName(QDateTime::currentDateTime());
    QString name = first;
    for (int k = 2; QFileInfo::exists(QDir(folder).filePath(name)); ++k) // two takes in a second
        name = QFileInfo(first).completeBaseName() + QStringLiteral(" (%1).wav").arg(k);
    QString path = QDir(folder).filePath(name);
    if (!QDir().mkpath(folder) || !WriteTake(path, m_take)) {
        // The take must not be lost: the temporary folder, and say where it went.
        const QString fallback =
            QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation)).filePath(name);
        if (!WriteTake(fallback, m_take)) {
            m_dialogs.MessageBox(this,
                                 QStringLiteral("録音を保存できませんでした。\n%1")
                                     .arg(QDir::toNativeSeparators(path)),
                                 false);
            return;
        }
        m_dialogs.MessageBox(this,
                             QStringLiteral("%1 に保存できなかったため、次の場所に保存しました。\n%2")
                                 .arg(QDir::toNativeSeparators(folder),
                                      QDir::toNativeSeparators(fallback)),
                             false);
        path = fallback;
    } else if (!why.isEmpty()) {
        m_dialogs.MessageBox(this, why + QStringLiteral("\nそこまでの音を保存しました。"), false);
    }
    m_take.clear();
    emit Saved(path);
    close();
}

} // namespace tavrel
