#pragma once
// The main window: header values of the loaded file, the command column and
// the three stacked plots. Handlers are named after their control and event.

#include "app/state/AnalysisState.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPrinter;
class QProgressBar;
class QPushButton;

namespace tavrel {

class Dialogs;
class Form4;
class PictureBox;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(Dialogs& dialogs, QWidget* parent = nullptr);
    ~MainWindow() override;

    AnalysisState& State() { return m_state; }
    const AnalysisState& State() const { return m_state; }

    // Lays the window out for a client area of width × height pixels.
    void ApplyLayout(int width, int height);

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

    // How many samples the magnified plot holds (its width + 1, or fewer at
    // the end of a short recording).
    int RegionLength() const { return m_regionLength; }

protected:
    // QWidget
    void resizeEvent(QResizeEvent* event) override;

private:
    QString ShowOpenDialog(const QString& filter = QString());
    void FirstMark(float x);

    Dialogs& m_dialogs;
    AnalysisState m_state;
    int m_regionLength = 0;
    QString m_openFolder;
    QPointer<Form4> m_settings;
};

} // namespace tavrel
