#pragma once

namespace kz {

class ProgramRun;
class Clock;
class RandomSource;
class MessageBox;
class Cues;
class Navigator;

// What every screen is given: the run (its state to read, its operations to call for
// every change and every file access) and the seams to the outside world.
struct AppContext {
    ProgramRun& run;
    Clock& clock;
    RandomSource& random;
    MessageBox& messages;
    Cues& cues;
    Navigator& navigator;
};

} // namespace kz
