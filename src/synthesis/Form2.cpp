#include "synthesis/Form2.h"

#include "analysis/HarmonicAnalysis.h"
#include "sound/SoundOutput.h"
#include "state/Numbers.h"
#include "synthesis/RebuildExtras.h"
#include "synthesis/SynthLayout.h"
#include "synthesis/SynthSound.h"
#include "ui/Dialogs.h"
#include "ui/Palette.h"
#include "ui/PictureBox.h"
#include "ui/PictureMenus.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <algorithm>

namespace tavrel {

namespace {

const QColor Cyan = PaletteColor(3);
const QColor LightMagenta = PaletteColor(13);
// The marked period under the sum: there to compare with, not to read first.
const QColor PaleGrey(180, 180, 180);

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
    SetUpExtras();

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

    ShowOpeningCurves(); // N = 1 on every opening
    if (ChartBarCount() >= 1)
        m_chart.PaintHarmBar(1, LightMagenta);
}

void Form2::ShowOpeningCurves() {
    RebuildFromScrollBar();
    // Only harmonic 1 on the left; the right picture stays empty until N
    // changes, though the sum is ready to be played.
    PlotPeriodCurve(*Picture1, m_wave.Harmonic(1), m_state.HarmMax, LightMagenta);
    DrawSum();
    m_state.HarmMax = LargestHarmonic(m_state);
}

void Form2::RebuildWave(int N) {
    tavrel::RebuildWave(m_state, N, m_wave, {m_state.Extras.Phases, m_state.Extras.PhaseSeed});
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
    m_sumShown = true;
    DrawSum();

    m_state.HarmMax = LargestHarmonic(m_state);
    for (const BarMark& mark : HarmCountMarks(N, ChartBarCount()))
        m_chart.PaintHarmBar(mark.n, PaletteColor(int(mark.colour)));
}

void Form2::DrawSum() {
    if (!m_state.Extras.OverlayOriginal) {
        if (m_sumShown)
            PlotPeriodCurve(*Picture2, m_wave.RestoredWave.data(), m_wave.RestoredPeak,
                            Colors::LightRed);
        return;
    }
    // One scale for both, so that where they differ is where the rebuild
    // still misses the period.
    const RebuildComparison c = CompareRebuild(m_state, HarmCount, m_wave);
    const float scale = std::max(m_wave.RestoredPeak, c.OriginalPeak);
    PlotPeriodCurve(*Picture2, c.OriginalWave.data(), scale, PaleGrey);
    if (m_sumShown)
        PlotPeriodCurve(*Picture2, m_wave.RestoredWave.data(), scale, Colors::LightRed);
    Canvas& pic = Picture2->Pic();
    pic.SetForeColor(Colors::Black);
    pic.SetFontSize(9);
    pic.CurrentX = 4;
    pic.CurrentY = 1;
    pic.Print(QStringLiteral("エネルギー ") + FormatFixed1(c.EnergyPercent) +
              QStringLiteral(" %　残差 ") + FormatFixed1(c.ResidualPercent) + QStringLiteral(" %"));
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

void Form2::SetUpExtras() {
    mnuOverlay = SwitchAction(this, QStringLiteral("元の波形を重ねる"), Qt::CTRL | Qt::Key_O,
                              m_state.Extras.OverlayOriginal);
    connect(mnuOverlay, &QAction::toggled, this, &Form2::mnuOverlay_Click);

    auto* phases = new QActionGroup(this); // one of three, always
    const auto phase = [&](const char* text, Qt::Key key, PhaseSetting setting) {
        QAction* a = SwitchAction(phases, QString::fromUtf8(text), Qt::CTRL | key,
                                  m_state.Extras.Phases == setting);
        // triggered, not toggled: choosing ランダム again draws new phases.
        connect(a, &QAction::triggered, this, [this, setting] { mnuPhase_Click(setting); });
        return a;
    };
    mnuPhaseMeasured = phase("位相: 測定値", Qt::Key_1, PhaseSetting::Measured);
    mnuPhaseZero = phase("位相: すべて 0", Qt::Key_2, PhaseSetting::Zero);
    mnuPhaseRandom = phase("位相: ランダム", Qt::Key_3, PhaseSetting::Random);
    auto* line = new QAction(this);
    line->setSeparator(true);

    auto* menus = new PictureMenus(*this, m_dialogs); // the pictures' right-button menus
    const QList<QAction*> phaseItems = {mnuPhaseMeasured, mnuPhaseZero, mnuPhaseRandom};
    menus->Add(*Picture1, phaseItems, QStringLiteral("harmonic-waves"));
    menus->Add(*Picture2, QList<QAction*>{mnuOverlay, line} + phaseItems,
               QStringLiteral("rebuilt-wave"));
}

void Form2::mnuOverlay_Click(bool on) {
    m_state.Extras.OverlayOriginal = on;
    SaveExtras(m_state.Extras);
    Picture2->Cls();
    DrawSum();
}

void Form2::mnuPhase_Click(PhaseSetting phases) {
    m_state.Extras.Phases = phases;
    if (phases == PhaseSetting::Random)
        m_state.Extras.PhaseSeed = QRandomGenerator::global()->generate();
    SaveExtras(m_state.Extras);
    // Drawn again at once for the N shown, the sound to be played with it.
    if (m_sumShown)
        HScroll1_Change();
    else
        ShowOpeningCurves();
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
