#pragma once
// The synthesis window ("波形の復元"): the analysed period rebuilt from its
// first N harmonics. The left picture shows the single harmonics, the right
// one their sum, and the main window's harmonic chart marks the bars in use.
// The scroll bar steps N, the play button plays the sum as a short sound.
//
// One instance per opening: the window is discarded when it closes, so
// every opening starts at N = 1 in the upper place.

#include "state/AnalysisState.h"
#include "synthesis/Restoration.h"

#include <QColor>
#include <QDialog>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <functional>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace tavrel {

class Dialogs;
class PictureBox;
class SoundOutput;

// What the window needs of the main window's harmonic chart: painting one
// bar in a colour (the chart keeps the mark), and the chart's present size.
struct HarmChartLink {
    std::function<void(int n, QColor colour)> PaintHarmBar;
    std::function<QSize()> Size; // px
};

class Form2 : public QDialog {
    Q_OBJECT
public:
    // screenArea: the area a window may take, in pixels (ScreenArea()).
    Form2(AnalysisState& state, Dialogs& dialogs, SoundOutput& sound, HarmChartLink chart,
          const QRect& screenArea, QWidget* parent = nullptr);
    ~Form2() override;

    QScrollBar* HScroll1;
    QLineEdit* Text1;
    QPushButton* CmdPlay;
    QPushButton* Cmd_idou;
    QPushButton* CmdEnd;
    QLabel* Label2;
    QLabel* Label1;
    PictureBox* Picture1;
    PictureBox* Picture2;

    // The extras in those menus.
    QAction* mnuOverlay;       // 元の波形を重ねる, on the right picture
    QAction* mnuPhaseMeasured; // 位相: 測定値, on both pictures
    QAction* mnuPhaseZero;     // 位相: すべて 0
    QAction* mnuPhaseRandom;   // 位相: ランダム; chosen again, new phases

    // Handlers.
    void Form_Load();
    void HScroll1_Change();
    void CmdPlay_Click();
    void Cmd_idou_Click();
    void CmdEnd_Click();
    void mnuOverlay_Click(bool on);
    void mnuPhase_Click(PhaseSetting phases);

    // Whether a restored wave is ready to be played.
    std::int16_t WaveDrawn = 0;
    std::int16_t MoveCount = 0;
    std::int16_t HarmCount = 0; // N

protected:
    // QWidget
    void closeEvent(QCloseEvent* event) override;

private:
    void SetUpExtras();
    void RebuildWave(int N);
    // What the window shows before N first changes: harmonic 1 on the left;
    // the right picture waits (but for the marked period, when it is overlaid).
    void ShowOpeningCurves();
    // The right picture's curves over a cleared picture: the sum once N has
    // changed, under it the marked period and its figures when overlaid.
    void DrawSum();
    // The steps opening and every change of N share: Text1 from the scroll
    // bar, both pictures cleared, the wave rebuilt for N; returns N.
    int RebuildFromScrollBar();
    // Where the curves go, from the left picture's size: both pictures
    // share it.
    void PlaceCurves();
    void PlotPeriodCurve(PictureBox& picture, const float* values, float scale, QColor colour);
    void RestoreSpectrumBars();
    // How many bars the main window's chart draws at its present size.
    int ChartBarCount() const;

    AnalysisState& m_state;
    Dialogs& m_dialogs;
    SoundOutput& m_sound;
    HarmChartLink m_chart;
    QRect m_screen;
    Restoration m_wave;
    PeriodCurveGeometry m_geometry;
    std::vector<double> m_xs;      // px, of every sample of the period
    std::vector<QPointF> m_points; // kept between curves so a redraw allocates nothing
    bool m_sumShown = false;       // N has changed since opening: the right picture shows the sum
    bool m_playing = false;     // inside the wait for the sound
    bool m_closeWanted = false; // closed during that wait
};

// Shown instead of the window when the marked period is longer than the
// window holds.
inline const QString SynthPeriodTooLongMessage =
    QStringLiteral("周期が長すぎるため、倍音の合成ができません（合成できる周期"
                   "は512サンプルまでです）。"
                   "拡大波形で512サンプル以内の１周期をクリックし直し、フーリエ"
                   "変換をしてから開いてください。");

} // namespace tavrel
