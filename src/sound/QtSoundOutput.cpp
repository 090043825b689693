#include "sound/QtSoundOutput.h"

#include "sound/PcmStream.h"
#include "wavein/WavReader.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMediaDevices>

namespace tavrel {

namespace {

// How far past its own length a sound may run before it counts as ended all
// the same: the device's start-up and buffering take a few tens of ms; this
// only bounds a device that stalls.
constexpr qint64 EndMarginMs = 1500;
// How often the end of a sound is looked for: while waiting for it, and
// for releasing the device after a sound nobody waits for.
constexpr int WaitPollMs = 5;
constexpr int ReleasePollMs = 100;
// The device's buffer, in ms of sound: enough to ride out a busy user
// interface (the sink is fed from the user-interface thread) without
// delaying the start by much.
constexpr qint64 BufferMs = 250;

QAudioFormat::SampleFormat SampleFormatOf(PcmEncoding e) {
    switch (e) {
    case PcmEncoding::U8:
        return QAudioFormat::UInt8;
    case PcmEncoding::S16:
        return QAudioFormat::Int16;
    case PcmEncoding::S32:
        return QAudioFormat::Int32;
    case PcmEncoding::F32:
        return QAudioFormat::Float;
    case PcmEncoding::S24:
        break;
    }
    return QAudioFormat::Unknown;
}

QAudioFormat DeviceFormat(const PcmLayout& l, int rate) {
    QAudioFormat f;
    f.setSampleRate(rate);
    f.setChannelCount(l.channels);
    f.setSampleFormat(SampleFormatOf(l.encoding));
    return f;
}

} // namespace

struct QtSoundOutput::CachedSink {
    QByteArray deviceId;
    QAudioFormat format;
    std::unique_ptr<QAudioSink> sink;
};

struct QtSoundOutput::Playback {
    QAudioSink* sink = nullptr; // one of m_sinks
    std::unique_ptr<PcmStream> stream;
    qint64 lengthUs = 0;
    QElapsedTimer since;

    // Heard to its end, failed, or overdue. The sink's processed time counts
    // what has reached the speaker; its idle state comes while the last tenth
    // of a second is still on its way, and would cut it off.
    bool Ended() const {
        const QAudio::State s = sink->state();
        if (s == QAudio::StoppedState)
            return true;
        if ((s == QAudio::ActiveState || s == QAudio::IdleState) &&
            sink->processedUSecs() >= lengthUs)
            return true;
        return since.elapsed() > lengthUs / 1000 + EndMarginMs;
    }
};

QtSoundOutput::QtSoundOutput() {
    m_watch.setInterval(ReleasePollMs);
    QObject::connect(&m_watch, &QTimer::timeout, &m_watch, [this] {
        if (!m_current || m_current->Ended())
            StopCurrent();
    });
}

QtSoundOutput::~QtSoundOutput() {
    StopCurrent();
}

void QtSoundOutput::StopCurrent() {
    m_watch.stop();
    if (!m_current)
        return;
    m_current->sink->stop(); // before the stream it reads goes
    m_current.reset();
}

bool QtSoundOutput::Start(std::unique_ptr<QIODevice> source, const LoadedWave& wave) {
    const std::optional<PcmLayout> from = PcmLayoutOf(wave);
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (!from || device.isNull())
        return false;
    const int rate = int(wave.format.sampleRate);
    const std::optional<PcmLayout> to = ChooseDeviceLayout(*from, [&](const PcmLayout& l) {
        return SampleFormatOf(l.encoding) != QAudioFormat::Unknown &&
               device.isFormatSupported(DeviceFormat(l, rate));
    });
    if (!to)
        return false;

    const QAudioFormat format = DeviceFormat(*to, rate);
    QAudioSink* sink = nullptr;
    for (const auto& c : m_sinks)
        if (c->deviceId == device.id() && c->format == format)
            sink = c->sink.get();
    if (!sink) {
        auto c = std::make_unique<CachedSink>();
        c->deviceId = device.id();
        c->format = format;
        c->sink = std::make_unique<QAudioSink>(device, format);
        c->sink->setBufferSize(qsizetype(format.bytesForDuration(BufferMs * 1000)));
        sink = c->sink.get();
        m_sinks.push_back(std::move(c));
    }

    auto p = std::make_unique<Playback>();
    p->sink = sink;
    p->stream = std::make_unique<PcmStream>(std::move(source), wave.dataOffset, wave.SampleCount,
                                            *from, *to);
    p->stream->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    p->lengthUs = qint64(wave.SampleCount) * 1000000 / rate;
    p->since.start();
    sink->start(p->stream.get());
    // Without a server the sink gives up at once, with an open error.
    if (sink->state() == QAudio::StoppedState)
        return false;
    m_current = std::move(p);
    return true;
}

bool QtSoundOutput::PlayImageAndWait(const std::uint8_t* image, std::size_t size) {
    const std::uint64_t mine = ++m_requests;
    StopCurrent();
    auto bytes = std::make_unique<QBuffer>();
    bytes->setData(reinterpret_cast<const char*>(image), qsizetype(image ? size : 0));
    const WavLoadResult probe =
        ProbeWavBytes(reinterpret_cast<const std::uint8_t*>(bytes->data().constData()),
                      std::size_t(bytes->size()));
    if (probe.error != WavError::None || !bytes->open(QIODevice::ReadOnly) ||
        !Start(std::move(bytes), probe.wave))
        return false;

    // A local loop that leaves out user input: windows repaint, the sink is
    // fed (from its timer), clicks and keys wait until the sound is over.
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (m_requests != mine || !m_current || m_current->Ended())
            loop.quit();
    });
    poll.start(WaitPollMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (m_requests == mine)
        StopCurrent();
    return true;
}

bool QtSoundOutput::StartPlayingFile(const QString& path) {
    ++m_requests;
    StopCurrent();
    const WavLoadResult probe = ProbeWavFile(path);
    if (probe.error != WavError::None)
        return false;
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly) || !Start(std::move(file), probe.wave))
        return false;
    m_watch.start();
    return true;
}

} // namespace tavrel
