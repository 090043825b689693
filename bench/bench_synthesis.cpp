// One step of the synthesis window's scroll bar at its heaviest: 64
// harmonics of a 512-sample period, rebuilt and drawn in both pictures, and
// the bars marked on the main window's chart. Dragging the scroll bar should
// animate smoothly, so the goal is a quarter of a 60 Hz frame: under 4 ms.
//
//   bench_synthesis    the whole step; the step with the window painted; the
//                      step with the marked period overlaid and random phases;
//                      an extra switched (the overlay on and off, new random
//                      phases: each redraws, and writes the settings); the
//                      rebuild alone; the 32,832 cosine/sine pairs alone
#include "FakePlatform.h"

#include "analysis/HarmChart.h"
#include "app/MainWindow.h"
#include "state/Extras.h"
#include "synthesis/Form2.h"
#include "synthesis/Restoration.h"
#include "ui/PictureBox.h"
#include "ui/WindowOps.h"

#include <QAction>
#include <QApplication>
#include <QScrollBar>
#include <QStandardPaths>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>

using namespace tavrel;
using namespace tavrel::test;

namespace {

// A vowel-like spectrum: harmonics falling off with a formant near the 7th.
void FillHarmonics(AnalysisState& s) {
    s.PeriodSamples = 512;
    for (int n = 1; n <= 256; ++n) {
        const double amp = 20000.0 / n * (1 + 3 * std::exp(-std::pow((n - 7) / 2.0, 2)));
        s.HarmRe[std::size_t(n)] = float(amp * std::cos(0.7 * n));
        s.HarmIm[std::size_t(n)] = float(amp * std::sin(0.7 * n));
        s.HarmAmp[std::size_t(n)] = float(amp);
    }
    s.HarmMax = 0;
    for (int n = 1; n <= 256; ++n)
        s.HarmMax = std::max(s.HarmMax, s.HarmAmp[std::size_t(n)]);
    s.FftDone = 1;
    // The marked period the overlay shows: the same harmonics, and a little more.
    for (int t = 0; t <= 512; ++t) {
        double v = 0.01 * std::sin(0.3 * t);
        for (int n = 1; n <= 64; ++n)
            v += s.HarmAmp[std::size_t(n)] / 256 * std::cos(2 * M_PI * n * t / 512 + 0.7 * n);
        s.PeriodData[std::size_t(t)] = float(v);
    }
}

struct Windows {
    FakePlatform fake;
    std::unique_ptr<MainWindow> main;
    Form2* form = nullptr;

    Windows() {
        // Plain windows whatever an earlier bench, or an earlier run, switched
        // on: the main window reads the extras from the settings as it opens.
        SaveExtras({});
        main = std::make_unique<MainWindow>(fake.platform);
        main->resize(640, 480);
        main->ApplyLayout(640, 480);
        FillHarmonics(main->State());
        main->Picture2->Draw([this](Canvas& c) { DrawHarmChart(c, main->State()); });
        main->Cmdgousei_Click();
        form = qobject_cast<Form2*>(fake.dialogs.modal.data());
        form->HScroll1->setValue(64);
    }
};

void BM_HScroll1Change(benchmark::State& state) {
    Windows w;
    for (auto _ : state)
        w.form->HScroll1_Change();
}
BENCHMARK(BM_HScroll1Change)->Unit(benchmark::kMillisecond);

// The same with both windows shown and painted after each step, as a drag
// would have them.
void BM_HScroll1ChangePainted(benchmark::State& state) {
    Windows w;
    w.main->show();
    w.form->show();
    QApplication::processEvents();
    for (auto _ : state) {
        w.form->HScroll1_Change();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_HScroll1ChangePainted)->Unit(benchmark::kMillisecond);

// The step at its heaviest with the extras on that add work to it: the
// marked period compared and drawn under the sum, random phases.
void BM_HScroll1ChangeOverlayRandom(benchmark::State& state) {
    Windows w;
    w.form->mnuOverlay->setChecked(true);
    w.form->mnuPhaseRandom->trigger();
    for (auto _ : state)
        w.form->HScroll1_Change();
}
BENCHMARK(BM_HScroll1ChangeOverlayRandom)->Unit(benchmark::kMillisecond);

// Switching the overlay on or off (alternately) at N = 64.
void BM_OverlaySwitched(benchmark::State& state) {
    Windows w;
    for (auto _ : state)
        w.form->mnuOverlay->toggle();
}
BENCHMARK(BM_OverlaySwitched)->Unit(benchmark::kMillisecond);

// Choosing ランダム again at N = 64, with the overlay on: new phases, rebuilt and drawn.
void BM_NewRandomPhases(benchmark::State& state) {
    Windows w;
    w.form->mnuOverlay->setChecked(true);
    for (auto _ : state)
        w.form->mnuPhaseRandom->trigger();
}
BENCHMARK(BM_NewRandomPhases)->Unit(benchmark::kMillisecond);

void BM_RebuildWave(benchmark::State& state) {
    AnalysisState s;
    FillHarmonics(s);
    Restoration r;
    for (auto _ : state) {
        RebuildWave(s, 64, r);
        benchmark::DoNotOptimize(r.RestoredPeak);
    }
}
BENCHMARK(BM_RebuildWave)->Unit(benchmark::kMillisecond);

// The floor under the rebuild: the angles and their cosine/sine pairs alone.
void BM_SinCosPairs(benchmark::State& state) {
    for (auto _ : state) {
        double acc = 0;
        const double step = 6.28318530717958 / 512.0;
        for (int n = 1; n <= 64; ++n)
            for (int t = 0; t <= 512; ++t) {
                const double a = step * n * t;
                acc += std::cos(a) - std::sin(a);
            }
        benchmark::DoNotOptimize(acc);
    }
}
BENCHMARK(BM_SinCosPairs)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true); // the extras switched here are not the user's
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
