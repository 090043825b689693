#pragma once
// Tavrel's own recorder (録音): records from the desktop's default input at
// the rate the voiceprint was drawn up for, shows the level and the time, and
// on 停止 saves the take at once as a WAV file in the user's Music folder
// (subfolder Tavrel), so nothing a student records is lost, then hands the
// file to the main window, which loads it as if it had been chosen.

#include "sound/SoundInput.h"

#include <QDialog>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tavrel {

class Dialogs;

class RecorderWindow : public QDialog {
    Q_OBJECT
public:
    RecorderWindow(SoundInput& input, Dialogs& dialogs, QWidget* parent = nullptr);
    ~RecorderWindow() override;

    QLabel* Label1;        // マイクの音量
    QProgressBar* Meter;   // the level of the latest piece
    QLabel* lblElapsed;    // 12.3 秒 / 60 秒
    QLabel* lblFolder;     // where takes are saved
    QPushButton* CmdStart; // 録音開始
    QPushButton* CmdStop;  // 停止
    QPushButton* CmdClose; // 閉じる
    QTimer* Timer1;        // takes the samples while recording

    // Handlers.
    void CmdStart_Click();
    void CmdStop_Click();
    void CmdClose_Click();
    void Timer1_Timer();

    // The folder takes are saved in.
    static QString SaveFolder();

signals:
    // A take was saved at this path; the window has closed.
    void Saved(const QString& path);

protected:
    // QWidget: closing while recording keeps the take, as 停止 does.
    void closeEvent(QCloseEvent* event) override;

private:
    void Finish(const QString& why);
    void ShowRecording(bool recording);

    SoundInput& m_input;
    Dialogs& m_dialogs;
    std::vector<std::int16_t> m_take;
    bool m_recording = false;
};

} // namespace tavrel
