// The voiceprint of a 26.6-second 22050 Hz recording at HZoom 0.125 (1144
// columns of 138 cells on the designed 505 x 329 picture), three ways:
//
//   WindowDrawing  the voiceprint window drawing it, shown offscreen, with
//                  every yield to the user interface and every repaint
//   Floor          the same transforms and cells into a bare image: no yield,
//                  no widget
//   SoxProcess     sox drawing a spectrogram of the same file, width 1145,
//                  512-point Hamming frames, as a whole process
//
// Goals: WindowDrawing within 1.5 x Floor, and below SoxProcess.
//
//   PointerReadout the window's row under the pointer brought up to date for
//                  one move over the plot and painted: under 1 ms
#include "FakePlatform.h"

#include "ui/Canvas.h"
#include "ui/PictureBox.h"
#include "voiceprint/Form3.h"
#include "voiceprint/VoiceprintDrawing.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace tavrel;

namespace {

constexpr int Rate = 22050;
constexpr int Samples = 586530; // 26.6 s

AnalysisState* g_state = nullptr;
QString g_wav;

// A sung vowel: harmonics of a slowly gliding pitch under two formants.
void MakeRecording(AnalysisState& s) {
    s.SampleCount = Samples;
    s.SampleRate = Rate;
    s.WaveData = FloatArray(Samples);
    std::vector<std::int16_t> pcm(Samples);
    double phase = 0;
    for (int i = 0; i < Samples; ++i) {
        const double t = double(i) / Rate;
        const double f0 = 130 + 40 * std::sin(2 * std::numbers::pi * 0.1 * t);
        phase += 2 * std::numbers::pi * f0 / Rate;
        double v = 0;
        for (int h = 1; h * f0 < 5000; ++h) {
            const double f = h * f0;
            const double formants = std::exp(-std::pow((f - 700) / 300, 2)) +
                                    0.5 * std::exp(-std::pow((f - 1200) / 400, 2)) + 0.05;
            v += formants / h * std::sin(h * phase);
        }
        pcm[std::size_t(i)] = std::int16_t(std::lround(12000 * v));
        s.WaveData[std::size_t(i)] = float((pcm[std::size_t(i)] - 128) / 64.0);
    }
    QFile f(g_wav);
    f.open(QIODevice::WriteOnly);
    const auto u32 = [&](std::uint32_t v) { f.write(reinterpret_cast<const char*>(&v), 4); };
    const auto u16 = [&](std::uint16_t v) { f.write(reinterpret_cast<const char*>(&v), 2); };
    f.write("RIFF");
    u32(36 + 2 * Samples);
    f.write("WAVEfmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(Rate);
    u32(2 * Rate);
    u16(2);
    u16(16);
    f.write("data");
    u32(2 * Samples);
    f.write(reinterpret_cast<const char*>(pcm.data()), 2 * Samples);
}

// The voiceprint window on the recording, laid out for the design screen,
// shown and done with the drawing it starts on opening. The pointer readout
// is set before the window is made, as the user's settings bring it in, so
// each bench gets the window it asks for whatever ran before it.
struct OpenForm {
    explicit OpenForm(bool readout)
        : form(WithReadout(readout), fake.dialogs, fake.sound, fake.clock) {
        form.LayOutForScreen(QRect(0, 0, 640, 480));
        form.show();
        QCoreApplication::processEvents(); // the drawing on opening
    }
    static AnalysisState& WithReadout(bool on) {
        g_state->Extras.PointerReadout = on;
        return *g_state;
    }
    test::FakePlatform fake; // its clock only times playing, which no bench here does
    Form3 form;
};

void BM_WindowDrawing(benchmark::State& state) {
    OpenForm open(false);
    Form3& form = open.form;
    for (auto _ : state) {
        g_state->HZoom = 0.25f;
        form.Cmd_hyouji3->click(); // to 0.125, and draw
    }
    if (g_state->HZoom != 0.125f || !form.Cmd_Start->isEnabled())
        state.SkipWithError("the drawing did not complete");
}

void BM_PointerReadout(benchmark::State& state) {
    OpenForm open(true);
    Form3& form = open.form;
    double x = 61;
    for (auto _ : state) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, 150), QPointF(x, 150), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(form.Picture1, &move);
        form.lblReadout->repaint();
        x = x < 480 ? x + 1 : 61;
    }
    if (form.lblReadout->text().isEmpty())
        state.SkipWithError("no readout");
}

void BM_Floor(benchmark::State& state) {
    Canvas canvas(505, 329);
    g_state->VZoom = 1;
    g_state->HZoom = 0.125f;
    for (auto _ : state)
        DrawVoiceprint(canvas, *g_state, [] { return false; });
}

void BM_SoxProcess(benchmark::State& state) {
    const QString sox = QStandardPaths::findExecutable(QStringLiteral("sox"));
    if (sox.isEmpty()) {
        state.SkipWithError("sox is not installed");
        return;
    }
    QTemporaryDir dir;
    const std::string soxPath = sox.toStdString();
    const std::string wav = g_wav.toStdString();
    const std::string png = dir.filePath(QStringLiteral("out.png")).toStdString();
    std::vector<std::string> args = {soxPath, wav,  "-n",      "spectrogram", "-x", "1145", "-y",
                                     "257",   "-w", "Hamming", "-m",          "-r", "-o",   png};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto _ : state) {
        pid_t pid = 0;
        int status = 0;
        if (posix_spawn(&pid, soxPath.c_str(), nullptr, nullptr, argv.data(), environ) != 0 ||
            waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("sox failed");
            break;
        }
    }
}

BENCHMARK(BM_WindowDrawing)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_Floor)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_SoxProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_PointerReadout)->Unit(benchmark::kMicrosecond)->UseRealTime();

class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred)
                times[r.benchmark_name().substr(0, r.benchmark_name().find('/'))] =
                    r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true); // the extras switched here are not the user's
    QApplication app(argc, argv);
    QTemporaryDir dir;
    g_wav = dir.filePath(QStringLiteral("vowel.wav"));
    AnalysisState state;
    MakeRecording(state);
    g_state = &state;

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const auto& t = reporter.times;
    if (t.count("BM_WindowDrawing") && t.count("BM_Floor"))
        std::printf("window drawing / floor: %.2f (goal <= 1.5)\n",
                    t.at("BM_WindowDrawing") / t.at("BM_Floor"));
    if (t.count("BM_WindowDrawing") && t.count("BM_SoxProcess"))
        std::printf("window drawing / sox process: %.2f (goal < 1)\n",
                    t.at("BM_WindowDrawing") / t.at("BM_SoxProcess"));
    return 0;
}
