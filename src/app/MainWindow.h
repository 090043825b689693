#pragma once
// The main window: header values of the loaded file, the command column and
// the three stacked plots. Handlers are named after their control and event.

#include "app/Platform.h"
#include "state/AnalysisState.h"

#include <QColor>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class QAction;
class QLabel;
class QLineEdit;
class QPrinter;
class QProgressBar;
class QPushButton;

namespace tavrel {

class Dialogs;
class Form4;
class PictureBox;

// The open-file dialog's filters: every kind of recording the program reads
// first, then WAV files alone, then everything.
inline const QString OpenFileFilter = QStringLiteral(
    "サウンド|*.wav;*.flac;*.mp3;*.ogg;*.oga;*.opus;*.m4a;*.aac;*.aif;*.aiff;*.aifc;*.mp4;"
    "*.webm;*.mkv;*.mka|WAV ファイル|*.wav|すべてのファイル|*.*");

class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(const Platform& platform, QWidget* parent = nullptr);
    ~MainWindow() override;

    AnalysisState& State() { return m_state; }
    const AnalysisState& State() const { return m_state; }

    // Lays the window out for a client area of width × height pixels. The
    // plots are drawn again for their new sizes once the resizing settles.
    void ApplyLayout(int width, int height);

    // Loads a recording as if it had been chosen in the open-file dialog:
    // the same refusals and messages, the previous recording kept on failure.
    void LoadRecording(const QString& path);

    // A recording named on the command line or dropped on the window, taken
    // as if it had been chosen in the open-file dialog (which then opens in
    // its folder). A relative path counts from the working folder.
    void OpenNamedFile(const QString& path);

    // Paints bar n of the harmonic plot in the given colour (the synthesis
    // window marks the harmonics it uses this way); the mark is kept when the
    // plot is drawn again.
    void PaintHarmBar(int n, QColor colour);

    // Controls, top to bottom.
    QLabel* lblFilename;
    QLabel* Label3;
    QLineEdit* txtChannels;
    QLabel* Label1;
    QLineEdit* txtBitsPerSample;
    QLabel* Label2;
    QLineEdit* txtSamplesPerSec;
    QPushButton* Cmd_Settei;
    QPushButton* CmdRec;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Cmd_fft;
    QPushButton* Cmdgousei;
    QPushButton* Cmd_声紋;
    QPushButton* Cmd_print;
    QPushButton* Cmd_version;
    QPushButton* CmdEnd;
    PictureBox* Picture3;
    QProgressBar* ProgressBar1;
    PictureBox* Picture1;
    PictureBox* Picture2;

    // Handlers.
    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void CmdRec_Click();
    // Tavrel's own recorder: 録音 when no desktop recorder is found, and the
    // whole-wave plot's menu.
    void OpenRecorder();
    void Picture3_MouseDown(int button, int shift, float x, float y);
    void Picture1_MouseDown(int button, int shift, float x, float y);
    void Cmd_fft_Click();
    void Cmd_print_Click();
    void Cmd_Settei_Click();
    void Cmd_version_Click();
    void Cmd_声紋_Click();
    void Cmdgousei_Click();
    void CmdEnd_Click();

    // Prints the window's image on an already chosen printer, scaled to the
    // page with its aspect kept. False when the printer cannot be opened.
    bool PrintWindowImage(QPrinter& printer);

    // Draws every plot again from the state, for the plots' present sizes.
    void RedrawPlots();

    // The extras in the pictures' right-button menus (MainWindowExtras.cpp).
    QAction* mnuNoteNames;     // 基本振動数を音名で表示, on the magnified plot
    QAction* mnuSuggestPeriod; // 周期を自動で探す, on the magnified plot
    QAction* mnuHarmonicTable; // 倍音の表…, on the harmonic chart
    void mnuNoteNames_Click(bool on);
    void mnuSuggestPeriod_Click();
    void mnuHarmonicTable_Click();

protected:
    // QWidget
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QString ShowOpenDialog(const QString& filter = QString());
    void DrawRegionMarker();
    void DrawPeriodMark(float x);
    // Loads the extras' switches and makes the actions of the pictures' menus.
    void SetUpExtras();
    // Whether the Fourier transform has been done; if not, the user is told
    // to do it first (what needs the harmonics asks alike).
    bool FftDoneOrSay();

    Platform m_platform;
    Dialogs& m_dialogs;
    AnalysisState m_state;
    QString m_openFolder;
    QPointer<Form4> m_settings;
    QTimer m_resizeSettled;
    int m_playPass = 0;    // the newest playback; older ones give way
    bool m_loading = false; // a recording is being read
    bool m_ending = false; // the program is ending: playback stops stepping
};

} // namespace tavrel
