#include "voiceprint/Form3.h"

#include "sound/PlaybackProgress.h"
#include "sound/SoundOutput.h"
#include "sound/Ticks.h"
#include "ui/Dialogs.h"
#include "ui/Palette.h"
#include "ui/PictureBox.h"
#include "ui/PictureMenus.h"
#include "ui/WindowOps.h"
#include "voiceprint/VoiceprintAxes.h"
#include "voiceprint/VoiceprintDrawing.h"
#include "voiceprint/VoiceprintReadout.h"

#include <QAction>
#include <QHideEvent>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace tavrel {

namespace {

QPushButton* MakeButton(QWidget* parent, const char* caption, int left, int width, int height) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setGeometry(left, 0, width, height);
    b->setAutoDefault(false); // Enter does not press a zoom button by surprise
    return b;
}

int Px(double v) {
    return static_cast<int>(std::lround(v));
}

} // namespace

Form3::Form3(AnalysisState& state, Dialogs& dialogs, SoundOutput& sound, TickClock& clock,
             QWidget* parent)
    : QDialog(parent), m_state(state), m_dialogs(dialogs), m_sound(sound), m_clock(clock) {
    setWindowTitle(QStringLiteral("声紋"));
    QPalette grey = palette();
    grey.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(grey);
    setAutoFillBackground(true);

    Picture1 = new PictureBox(this);
    ProgressBar1 = new QProgressBar(Picture1);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->hide();
    Cmd_hyouji2 = MakeButton(this, "縦拡大(&T)", 112, 65, 17);
    Cmd_tatesyukusyo = MakeButton(this, "縦縮小(&S)", 112, 65, 17);
    Cmd_yokokakudai = MakeButton(this, "横拡大(&K)", 180, 65, 17);
    Cmd_hyouji3 = MakeButton(this, "横縮小(&Y)", 180, 65, 17);
    Cmd_Start = MakeButton(this, "元に戻す(&H)", 248, 73, 25);
    Cmd_tyuusi = MakeButton(this, "中止(&S)", 336, 65, 25);
    Cmd_tyuusi->hide();
    Cmd_Play = MakeButton(this, "再生(&P)", 408, 65, 25);
    Cmd_End = MakeButton(this, "閉じる(&E)", 480, 57, 25);

    SetTabChain({Cmd_Start, Cmd_End, Cmd_tyuusi, Cmd_Play, Cmd_hyouji2, Cmd_hyouji3,
                 Cmd_tatesyukusyo, Cmd_yokokakudai});

    connect(Cmd_hyouji2, &QPushButton::clicked, this, &Form3::Cmd_hyouji2_Click);
    connect(Cmd_tatesyukusyo, &QPushButton::clicked, this, &Form3::Cmd_tatesyukusyo_Click);
    connect(Cmd_yokokakudai, &QPushButton::clicked, this, &Form3::Cmd_yokokakudai_Click);
    connect(Cmd_hyouji3, &QPushButton::clicked, this, &Form3::Cmd_hyouji3_Click);
    connect(Cmd_Start, &QPushButton::clicked, this, &Form3::Cmd_Start_Click);
    connect(Cmd_tyuusi, &QPushButton::clicked, this, &Form3::Cmd_tyuusi_Click);
    connect(Cmd_Play, &QPushButton::clicked, this, &Form3::Cmd_Play_Click);
    connect(Cmd_End, &QPushButton::clicked, this, &Form3::Cmd_End_Click);
    SetUpExtras();

    Form_Load();
}

Form3::~Form3() = default;

void Form3::LayOutForScreen(const QRect& screen) {
    const Form3Layout l = ComputeForm3Layout(screen.width(), screen.height());
    move(screen.x() + Px(l.left), screen.y() + Px(l.top));
    Picture1->SetOuterGeometry(Px(l.pictureLeft), Px(l.pictureTop), Px(l.pictureWidth),
                               Px(l.pictureHeight));
    for (QPushButton* b : {Cmd_Start, Cmd_tyuusi, Cmd_Play, Cmd_End})
        b->move(b->x(), Px(l.startTop));
    for (QPushButton* b : {Cmd_hyouji2, Cmd_yokokakudai})
        b->move(b->x(), Px(l.upperTop));
    for (QPushButton* b : {Cmd_tatesyukusyo, Cmd_hyouji3})
        b->move(b->x(), Px(l.lowerTop));
    m_designedSize = QSize(Px(l.clientWidth), Px(l.clientHeight));
    FitReadoutRow();
}

void Form3::Form_Load() {
    LayOutForScreen(ScreenArea());
    m_state.VoiceStop = 0;
    m_state.VZoom = 1;
    m_state.HZoom = 1;
}

void Form3::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    // A modal window becomes the active one as it is shown, once per
    // opening; the drawing starts as soon as the window is up. (Whether the
    // window system reports the activation at all depends on it.)
    m_closed = false;
    m_activated = false;
    QTimer::singleShot(0, this, [this] {
        if (!m_activated && isVisible())
            Form_Activate();
    });
}

void Form3::hideEvent(QHideEvent* event) {
    if (!event->spontaneous())
        m_closed = true; // closed, by any way; not merely minimised
    QDialog::hideEvent(event);
}

void Form3::Form_Activate() {
    m_activated = true;
    EnableDrawButtons(AllDrawButtons, false);
    m_state.VZoom = 1;
    m_state.HZoom = 1;
    DrawVoiceprint();
}

void Form3::EnableDrawButtons(unsigned buttons, bool enabled) {
    const std::pair<unsigned, QPushButton*> all[] = {{BtnStart, Cmd_Start},
                                                     {BtnVZoomIn, Cmd_hyouji2},
                                                     {BtnVZoomOut, Cmd_tatesyukusyo},
                                                     {BtnHZoomOut, Cmd_hyouji3},
                                                     {BtnHZoomIn, Cmd_yokokakudai}};
    for (const auto& [bit, button] : all)
        if (buttons & bit)
            button->setEnabled(enabled);
}

// Marks a loop as running for as long as it does, unless its window is
// destroyed inside the loop's yield.
struct Form3::LoopRunning {
    LoopRunning(Form3* form, Loop loop) : form(form) { form->m_loops.push_back(loop); }
    ~LoopRunning() {
        if (form)
            form->m_loops.pop_back();
    }
    LoopRunning(const LoopRunning&) = delete;
    LoopRunning& operator=(const LoopRunning&) = delete;
    QPointer<Form3> form;
};

// A drawing asked for while another one waits in its yield does not run
// inside it: the running one ends right after that yield, before it paints
// another cell with zoom factors that are no longer shown, and the new one
// follows from the top. So a picture is only ever painted at one zoom.
// When a playback runs inside the drawing's yield, that drawing cannot go on
// before the playback ends (up to half a minute): then the new drawing runs
// at once, inside the playback's yield, and the one beneath ends as soon as
// it gets control back, without painting.
void Form3::DrawVoiceprint() {
    if (!m_loops.empty() && m_loops.back() == Loop::Drawing) {
        m_redrawWanted = true;
        return;
    }
    const QPointer<Form3> self(this);
    const LoopRunning running(this, Loop::Drawing);
    const int pass = ++m_drawPass;
    DrawingEnd end;
    do {
        m_redrawWanted = false;
        PacedYield yield;
        end = tavrel::DrawVoiceprint(Picture1->Pic(), m_state, [&] {
            yield();
            // Once the window is gone, nothing of it may be touched.
            return !self || m_closed || m_redrawWanted || pass != m_drawPass;
        });
        if (!self || pass != m_drawPass)
            return;
    } while (end == DrawingEnd::Stopped && m_redrawWanted && !m_closed);
    if (end == DrawingEnd::Completed) {
        EnableDrawButtons(AllDrawButtons, true);
        DrawHarmonicLines();
    }
}

void Form3::Zoom(ZoomButton button) {
    const ZoomStep step = StepZoom(button, m_state.VZoom, m_state.HZoom);
    EnableDrawButtons(step.disable, false);
    m_state.VZoom = step.VZoom;
    m_state.HZoom = step.HZoom;
    if (step.draw)
        DrawVoiceprint();
}

void Form3::Cmd_hyouji2_Click() {
    Zoom(ZoomButton::VZoomIn);
}
void Form3::Cmd_tatesyukusyo_Click() {
    Zoom(ZoomButton::VZoomOut);
}
void Form3::Cmd_yokokakudai_Click() {
    Zoom(ZoomButton::HZoomIn);
}
void Form3::Cmd_hyouji3_Click() {
    Zoom(ZoomButton::HZoomOut);
}

void Form3::Cmd_Start_Click() {
    m_state.VZoom = 1;
    m_state.HZoom = 1;
    DrawVoiceprint();
}

void Form3::Cmd_tyuusi_Click() {
    m_state.VoiceStop = 1;
    m_redrawWanted = false; // a stop after a zoom press cancels the drawing it asked for
    EnableDrawButtons(AllDrawButtons, true);
}

void Form3::Cmd_Play_Click() {
    const QPointer<Form3> self(this);
    const int pass = ++m_playPass;
    Cmd_End->setEnabled(false);
    const PlotFrame f = VoiceprintFrame(Picture1->width(), Picture1->height());
    ProgressBar1->setGeometry(f.PlotLeft, 1, f.PlotRight - f.PlotLeft, 14);
    ProgressBar1->setRange(0, ProgressBar1->width());
    ProgressBar1->show();
    ProgressBar1->setValue(ProgressBar1->minimum());
    const VoiceprintBar bar =
        PlanVoiceprintBar(m_state.SampleCount, m_state.SampleRate, m_state.HZoom, f.PlotLeft,
                          f.PlotRight, ProgressBar1->maximum());

    // With nothing loaded there is nothing to play: the window is left as it
    // was, closable by its button.
    if (!m_state.FileName.isEmpty() && !m_sound.StartPlayingFile(m_state.FileName)) {
        Cmd_End->setEnabled(true);
        ProgressBar1->hide();
        m_dialogs.MessageBox(this, NoSoundMessage, false);
        return;
    }
    if (!m_state.FileName.isEmpty()) {
        const LoopRunning running(this, Loop::Playback);
        // Steps are timed from the start, so a late one does not delay the rest.
        std::int64_t next = m_clock.Now();
        TickClock& clock = m_clock; // outlives this window
        for (int i = 1;; ++i) {
            const std::optional<int> v = VoiceprintBarAt(bar, i);
            if (!v)
                break; // the recording ended, or the sound runs on past the plot
            ProgressBar1->setValue(*v);
            next += PlaybackStepMs;
            WaitUntilTick(clock, next);
            clock.Yield(0);
            // Closed, or a newer press took the bar over: it has been put
            // back already, and nothing here may be touched any more.
            if (!self || m_closed || pass != m_playPass)
                return;
        }
    }
    Cmd_End->setEnabled(true);
    ProgressBar1->hide();
}

void Form3::Cmd_End_Click() {
    m_state.VZoom = 1;
    m_state.HZoom = 1;
    close();
}

void Form3::SetUpExtras() {
    lblReadout = new QLabel(this);
    lblReadout->hide();
    connect(Picture1, &PictureBox::MouseMove, this, &Form3::Picture1_MouseMove);
    connect(Picture1, &PictureBox::MouseLeave, this, &Form3::Picture1_MouseLeave);

    mnuReadout = SwitchAction(this, QStringLiteral("ポインタの位置を表示"), Qt::CTRL | Qt::Key_I,
                              m_state.Extras.PointerReadout);
    connect(mnuReadout, &QAction::toggled, this, &Form3::mnuReadout_Click);
    mnuHarmLines = SwitchAction(this, QStringLiteral("倍音の線を重ねる"), Qt::CTRL | Qt::Key_L,
                                m_state.Extras.HarmonicLines);
    connect(mnuHarmLines, &QAction::toggled, this, &Form3::mnuHarmLines_Click);

    auto* menus = new PictureMenus(*this, m_dialogs); // the picture's right-button menu
    menus->Add(*Picture1, {mnuReadout, mnuHarmLines}, QStringLiteral("voiceprint"));
}

void Form3::FitReadoutRow() {
    const bool on = m_state.Extras.PointerReadout;
    const int row = lblReadout->fontMetrics().height() + 6;
    // Below everything the window had: nothing of its layout moves.
    lblReadout->setGeometry(Picture1->x(), m_designedSize.height(), Picture1->width(), row);
    lblReadout->setVisible(on);
    Picture1->setMouseTracking(on);
    // Fixed: cells and ticks are placed for the picture's size when a drawing
    // starts; a window that kept changing size would leave them behind.
    setFixedSize(m_designedSize + QSize(0, on ? row : 0));
}

void Form3::mnuReadout_Click(bool on) {
    m_state.Extras.PointerReadout = on;
    SaveExtras(m_state.Extras);
    lblReadout->clear();
    FitReadoutRow();
}

void Form3::Picture1_MouseMove(float x, float y) {
    if (!m_state.Extras.PointerReadout)
        return;
    // The zoom factors of the drawing shown: a zoom press changes them only
    // as its drawing starts.
    lblReadout->setText(
        VoiceprintReadoutText(ReadVoiceprint(Picture1->width(), Picture1->height(), m_state.VZoom,
                                             m_state.HZoom, x, y, m_state.SampleRate)));
}

void Form3::Picture1_MouseLeave() {
    lblReadout->clear();
}

void Form3::DrawHarmonicLines() {
    // FundFreq outlives its period: a new region or recording leaves the old
    // value behind, so only a period marked now has lines.
    if (!m_state.Extras.HarmonicLines || m_state.PeriodReady != 1)
        return;
    const SpectrogramPlan plan = PlanSpectrogram(Picture1->width(), Picture1->height(),
                                                 m_state.VZoom, m_state.HZoom, m_state.SampleCount);
    if (plan.FrameCount < 1)
        return;
    // Over the cells of the recording only: the white beyond it stays plain.
    const double left = plan.frame.PlotLeft + 1.0;
    const double right = ColumnOf(plan, plan.FrameCount - 1).xRight;
    Canvas& c = Picture1->Pic();
    // Dashed, so the band each line marks still shows between the dashes.
    for (const double y : HarmonicLineYs(plan, m_state.FundFreq, m_state.SampleRate))
        for (double x = left; x <= right; x += 6)
            c.Line(x, y, std::min(x + 2, right), y, Colors::LightRed);
}

void Form3::mnuHarmLines_Click(bool on) {
    m_state.Extras.HarmonicLines = on;
    SaveExtras(m_state.Extras);
    // A drawing under way draws them, or leaves them out, as it completes.
    if (std::find(m_loops.begin(), m_loops.end(), Loop::Drawing) != m_loops.end())
        return;
    if (on)
        DrawHarmonicLines();
    else
        DrawVoiceprint();
}

} // namespace tavrel
