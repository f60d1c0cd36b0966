#pragma once

// One screen's surroundings without the program: a run state and the fakes every screen
// is given (a clock standing still, scripted randomness, preset message boxes, silent cues,
// a navigator that records where the screen wants to go), bundled as its AppContext.
// Header only; the screens' own libraries come with the target that includes it.

#include "core/gui/appcontext.h"
#include "core/runstate.h"
#include "platform/gui/messagebox.h"
#include "support/fakes.h"
#include "support/testsupport.h"

#include <memory>

namespace kz::test {

struct ScreenContext {
    std::unique_ptr<RunState> state = std::make_unique<RunState>();
    FakeClock clock;
    ScriptedRandom random;
    PresetMessageBox messages;
    NullCues cues;
    RecordingNavigator navigator;
    AppContext context{*state, clock, random, messages, cues, navigator};
};

} // namespace kz::test
