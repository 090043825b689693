#pragma once
// What the windows need of the machine, each behind a seam: dialogs and
// message boxes, the sound output, the millisecond clock of the playback
// loops, and starting other programs. The program hands in the real ones;
// tests hand in stand-ins, so no test waits for a person, a sound card or
// real seconds.

namespace tavrel {

class Dialogs;
class ProgramStarter;
class SoundInput;
class SoundOutput;
class TickClock;

struct Platform {
    Dialogs& dialogs;
    SoundOutput& sound;
    TickClock& clock;
    ProgramStarter& programs;
    SoundInput& microphone;
};

} // namespace tavrel
