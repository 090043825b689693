#include "synthesis/Form2.h"

#include "analysis/HarmonicAnalysis.h"
#include "sound/SoundOutput.h"
#include "synthesis/SynthLayout.h"
#include "synthesis/SynthSound.h"
#include "ui/Dialogs.h"
#include "ui/Palette.h"
#include "ui/PictureBox.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

namespace tavrel {

namespace {

const QColor Cyan = PaletteColor(3);
const QColor LightMagenta = PaletteColor(13);

QPushButton* MakeButton(QWidget* parent, const QString& caption, int left) {
    auto* b = new QPushButton(caption, parent);
    b->setGeometry(left, 0, 57, 25);
    // Enter must not play by surprise: playing holds the window for 2.7 s.
    b->setAutoDefault(false);
    return b;
}

QLabel* MakeLabel(QWidget* parent, const QString& caption, int left, int width) {
    auto* l = new QLabel(caption, parent);
    l->setGeometry(left, 24, width, 17);
    return l;
}

} // namespace

Form2::Form2(AnalysisState& state, Dialogs& dialogs, SoundOutput& sound, HarmChartLink chart,
             const QRect& screenArea, QWidget* parent)
    : QDialog(parent), m_state(state), m_dialogs(dialogs), m_sound(sound),
      m_chart(std::move(chart)), m_screen(screenArea) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("波形の復元"));
    QPalette grey = palette();
    grey.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(grey);
    setAutoFillBackground(true);

    HScroll1 = new QScrollBar(Qt::Horizontal, this);
    HScroll1->setGeometry(88, 0, 65, 17);
    HScroll1->setRange(1, MaxSynthHarmonics);
    HScroll1->setSingleStep(1);
    HScroll1->setPageStep(1);
    HScroll1->setValue(1);
    Text1 = new QLineEdit(QStringLiteral("1"), this);
    Text1->setGeometry(88, 19, 33, 22);
    // N comes from the scroll bar only; typed digits would show one N while
    // the pictures show another.
    Text1->setReadOnly(true);
    CmdPlay = MakeButton(this, QStringLiteral("再生(&P)"), 232);
    Cmd_idou = MakeButton(this, QStringLiteral("移動(&M)"), 288);
    CmdEnd = MakeButton(this, QStringLiteral("閉じる(&E)"), 344);
    Label2 = MakeLabel(this, QStringLiteral("倍音までの波形"), 120, 105);
    Label1 = MakeLabel(this, QStringLiteral("合成波形"), 368, 65);
    Picture1 = new PictureBox(this);
    Picture1->SetOuterGeometry(8, 40, 249, 169);
    Picture2 = new PictureBox(this);
    Picture2->SetOuterGeometry(264, 40, 249, 169);

    connect(HScroll1, &QScrollBar::valueChanged, this, &Form2::HScroll1_Change);
    connect(CmdPlay, &QPushButton::clicked, this, &Form2::CmdPlay_Click);
    connect(Cmd_idou, &QPushButton::clicked, this, &Form2::Cmd_idou_Click);
    connect(CmdEnd, &QPushButton::clicked, this, &Form2::CmdEnd_Click);

    Form_Load();
}

Form2::~Form2() = default;

void Form2::Form_Load() {
    const SynthWindowPlaces places = SynthWindowLayout(m_screen);
    resize(places.client);
    move(places.upper);
    const SynthControlPlaces c = SynthControlLayout(width(), height());
    Picture1->SetOuterGeometry(c.picture1.x(), c.picture1.y(), c.picture1.width(),
                               c.picture1.height());
    Picture2->SetOuterGeometry(c.picture2.x(), c.picture2.y(), c.picture2.width(),
                               c.picture2.height());
    Label1->move(c.label1Left, Label1->y());
    CmdEnd->move(c.cmdEndLeft, CmdEnd->y());

    MoveCount = 0;

    m_state.SynthWav = NewSynthImage();
    m_state.SynthDataLen = SynthSampleBytes;

    RebuildFromScrollBar(); // N = 1 on every opening
    // Only harmonic 1 on the left; the right picture stays empty until N
    // changes, though the sum is ready to be played.
    PlotPeriodCurve(*Picture1, m_wave.Harmonic(1), m_state.HarmMax, LightMagenta);

    m_state.HarmMax = LargestHarmonic(m_state);
    if (ChartBarCount() >= 1)
        m_chart.PaintHarmBar(1, LightMagenta);
}

void Form2::RebuildWave(int N) {
    tavrel::RebuildWave(m_state, N, m_wave);
}

void Form2::PlaceCurves() {
    m_geometry = PeriodCurveLayout(Picture1->width(), Picture1->height());
    PeriodCurveXs(m_geometry, m_wave.T, m_state.PeriodSamples, m_xs);
}

void Form2::PlotPeriodCurve(PictureBox& picture, const float* values, float scale, QColor colour) {
    PeriodCurvePoints(m_geometry, m_xs, values, scale, m_points);
    picture.Pic().SetForeColor(colour);
    picture.Pic().Polyline(m_points.data(), m_points.size(), colour);
}

int Form2::RebuildFromScrollBar() {
    Text1->setText(HarmCountText(HScroll1->value()));
    WaveDrawn = 1;
    m_wave.RestoredWave.fill(0.0f);
    Picture1->Cls();
    Picture2->Cls();
    // N is read back from the text, as the text is what the user sees.
    HarmCount = std::int16_t(HarmCountFromText(Text1->text()));
    RebuildWave(HarmCount);
    PlaceCurves();
    return HarmCount;
}

void Form2::HScroll1_Change() {
    const int N = RebuildFromScrollBar();
    for (int m = 1; m <= N; ++m)
        PlotPeriodCurve(*Picture1, m_wave.Harmonic(m), m_state.HarmMax,
                        m == N ? LightMagenta : Cyan);
    PlotPeriodCurve(*Picture2, m_wave.RestoredWave.data(), m_wave.RestoredPeak, Colors::LightRed);

    m_state.HarmMax = LargestHarmonic(m_state);
    for (const BarMark& mark : HarmCountMarks(N, ChartBarCount()))
        m_chart.PaintHarmBar(mark.n, PaletteColor(int(mark.colour)));
}

void Form2::CmdPlay_Click() {
    if (WaveDrawn == 0) {
        m_dialogs.MessageBox(this, QStringLiteral("倍音描画してください。"), false);
        return;
    }
    if (m_state.SynthWav.size() < SynthImageBytes)
        return;
    // L: the period rounded, as the rebuild took it.
    WriteSynthSamples(m_state.SynthWav, m_wave.RestoredWave.data(), m_wave.T);
    m_playing = true;
    const bool played = m_sound.PlayImageAndWait(m_state.SynthWav.data(), SynthImageBytes);
    m_playing = false;
    if (m_closeWanted)
        close();
    else if (!played)
        m_dialogs.MessageBox(this, NoSoundMessage, false);
}

void Form2::closeEvent(QCloseEvent* event) {
    // The title bar's close box still works while the sound plays (only
    // clicks and keys wait); the sound stops, but the window must outlive the
    // play handler it is inside, so it goes as soon as that returns.
    if (m_playing) {
        m_closeWanted = true;
        event->ignore();
        m_sound.StopSound();
        return;
    }
    QDialog::closeEvent(event);
}

void Form2::Cmd_idou_Click() {
    ++MoveCount;
    const SynthWindowPlaces places = SynthWindowLayout(m_screen);
    move(MoveCount % 2 != 0 ? places.lower : places.upper);
}

void Form2::CmdEnd_Click() {
    WaveDrawn = 0;
    m_state.HarmMax = LargestHarmonic(m_state);
    RestoreSpectrumBars();
    close();
}

int Form2::ChartBarCount() const {
    const QSize chart = m_chart.Size();
    return HarmChartLayout(chart.width(), chart.height()).BarCount;
}

void Form2::RestoreSpectrumBars() {
    const int bars = ChartBarCount();
    for (int k = 1; k <= bars; ++k)
        m_chart.PaintHarmBar(k, Colors::LightBlue);
}

} // namespace tavrel
