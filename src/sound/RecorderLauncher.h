#pragma once
// Starting the system's own sound recorder for the record button. The
// program records nothing itself and exchanges nothing with the recorder.

#include <QString>
#include <QStringList>

namespace tavrel {

// Starts a program without waiting for it: the seam tests replace.
class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;
    // Starts the executable at `path` (a full path) with no arguments, as a
    // program of its own that outlives this one; true when it started.
    virtual bool StartDetached(const QString& path) = 0;
};

class QtProgramStarter final : public ProgramStarter {
public:
    bool StartDetached(const QString& path) override; // QProcess::startDetached
};

struct RecorderCandidates {
    // Tried in this order; every one that exists is started.
    QStringList paths;
    // When no path was started: the first of these programs found in
    // `searchPath` (empty: the PATH environment variable) that starts.
    QStringList names;
    QStringList searchPath;
};

// This system's recorders. On Windows the Sound Recorder of the three places
// it has stood in; elsewhere those names would be files in the current
// folder, not the recorder, so only well-known desktop recorders are looked
// for: GNOME Sound Recorder, Audacity, Kwave (all in Debian 12).
RecorderCandidates SystemRecorderCandidates();

// Starts the recorders as above and returns at once with the paths of those
// it started, in order; nothing is reported when there is none.
QStringList LaunchRecorder(ProgramStarter& starter, const RecorderCandidates& candidates);

} // namespace tavrel
