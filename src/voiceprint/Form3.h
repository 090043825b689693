#pragma once
// The voiceprint window (声紋): the spectrogram of the loaded recording,
// stretched or shrunk in powers of two, and played with a progress bar that
// runs over the plot. It draws by itself each time it is opened.
//
// It knows the main window only through what it is handed: the shared state,
// the dialogs, the sound output and the clock.

#include "state/AnalysisState.h"
#include "voiceprint/Form3Rules.h"

#include <QDialog>
#include <QSize>
#include <vector>

class QAction;
class QLabel;
class QProgressBar;
class QPushButton;

namespace tavrel {

class Dialogs;
class PictureBox;
class SoundOutput;
class TickClock;

class Form3 : public QDialog {
    Q_OBJECT
public:
    Form3(AnalysisState& state, Dialogs& dialogs, SoundOutput& sound, TickClock& clock,
          QWidget* parent = nullptr);
    ~Form3() override;

    // Lays the window out for a screen with this area, in pixels. Form_Load
    // takes the real screen's; tests take the 640 x 480 the window was
    // designed on, which gives the designed picture of 505 x 329.
    void LayOutForScreen(const QRect& screen);

    PictureBox* Picture1;
    QProgressBar* ProgressBar1; // inside Picture1, shown while playing
    QPushButton* Cmd_hyouji2;
    QPushButton* Cmd_tatesyukusyo;
    QPushButton* Cmd_yokokakudai;
    QPushButton* Cmd_hyouji3;
    QPushButton* Cmd_Start;
    QPushButton* Cmd_tyuusi; // never shown; stops a drawing when pressed
    QPushButton* Cmd_Play;
    QPushButton* Cmd_End;
    QAction* mnuReadout;   // ポインタの位置を表示
    QAction* mnuHarmLines; // 倍音の線を重ねる
    QLabel* lblReadout;    // what lies under the pointer, in a row under everything else

    // Handlers.
    void Form_Load();
    void Form_Activate();
    void Cmd_hyouji2_Click();
    void Cmd_tatesyukusyo_Click();
    void Cmd_yokokakudai_Click();
    void Cmd_hyouji3_Click();
    void Cmd_Start_Click();
    void Cmd_tyuusi_Click();
    void Cmd_Play_Click();
    void Cmd_End_Click();
    void mnuReadout_Click(bool on);
    void mnuHarmLines_Click(bool on);
    void Picture1_MouseMove(float x, float y);
    void Picture1_MouseLeave();

protected:
    // QWidget
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void DrawVoiceprint();
    void Zoom(ZoomButton button);
    void EnableDrawButtons(unsigned buttons, bool enabled);
    void SetUpExtras();
    // The window's designed size, one row taller while the readout is on.
    void FitReadoutRow();
    // Lines at the marked period's harmonics over the picture as it is, when
    // they are switched on and a period is marked.
    void DrawHarmonicLines();

    // The drawing and playback loops running, innermost last: each yields to
    // the user interface, so one can start inside another's yield.
    enum class Loop { Drawing, Playback };
    struct LoopRunning;

    AnalysisState& m_state;
    Dialogs& m_dialogs;
    SoundOutput& m_sound;
    TickClock& m_clock;
    QSize m_designedSize;     // the client area LayOutForScreen gives
    bool m_activated = false; // the drawing on opening has been started
    bool m_closed = false;    // closed: running loops end at their next yield
    std::vector<Loop> m_loops;
    bool m_redrawWanted = false; // a drawing was asked for while the innermost loop drew
    int m_drawPass = 0;          // the newest drawing; older ones give way
    int m_playPass = 0;          // the newest playback; older ones give way
};

} // namespace tavrel
