#pragma once
// The parts of the machine the program reaches through seams: people (dialogs
// and modal windows), the sound output, the millisecond clock and other
// programs. The program hands the real ones to the main window; tests hand
// in stand-ins, so that nothing waits for a person or needs a sound card.

namespace tavrel {

class Dialogs;
class ProgramStarter;
class SoundOutput;
class TickClock;

struct Platform {
    Dialogs& dialogs;
    SoundOutput& sound;
    TickClock& clock;
    ProgramStarter& programs;
};

} // namespace tavrel
