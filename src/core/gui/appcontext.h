#pragma once

namespace kz {

struct RunState;
class Clock;
class RandomSource;
class MessageBox;
class Cues;
class Navigator;

// What every screen is given: the run state and the seams to the outside world.
struct AppContext {
    RunState& state;
    Clock& clock;
    RandomSource& random;
    MessageBox& messages;
    Cues& cues;
    Navigator& navigator;
};

} // namespace kz
