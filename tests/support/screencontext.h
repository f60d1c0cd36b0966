#pragma once

// One screen's surroundings without the program: a run whose statistics refresh and
// recording are scripted, and the fakes every screen is given (a clock standing still,
// scripted randomness, preset message boxes, silent cues, a navigator that records where
// the screen wants to go), bundled as its AppContext. `state` is the way in to set the
// scene; the screen itself only reads it. Header only; the screens' own libraries come
// with the target that includes it.

#include "core/gui/appcontext.h"
#include "core/runstate.h"
#include "platform/gui/messagebox.h"
#include "support/fakes.h"
#include "support/scriptedrun.h"
#include "support/testsupport.h"

namespace kz::test {

struct ScreenContext {
    FakeClock clock;
    ScriptedRandom random;
    PresetMessageBox messages;
    NullCues cues;
    RecordingNavigator navigator;
    ScriptedRun run{clock};
    RunState* state = &run.setUp();
    AppContext context{run, clock, random, messages, cues, navigator};
};

} // namespace kz::test
