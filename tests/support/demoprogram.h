#pragma once

// The whole program on a fresh demo school, for the tests that drive it from screen to
// screen. Header only: it needs the program's wiring (kzapp), which only those tests link.

#include "core/gui/retrynotice.h"
#include "core/gui/startupsteps.h"
#include "core/programrun.h"
#include "core/runstate.h"
#include "platform/gui/messagebox.h"
#include "support/demoschool.h"
#include "support/testsupport.h"

#include <QApplication>

namespace kz::test {

// What main wires before the first screen, on a fresh demo school: the run prepared and
// the installation resolved, with a clock standing at the real now (the demo results are
// recent), scripted randomness (no values: a test scripts its own) and message boxes
// that answer as preset. The run waits for a held file as the program does. The sound
// device and the launcher stay with each test, which wires the program from these parts
// with ProgramWiring. Bind them to the names a test uses:
//     auto& [school, clock, random, messages, run, state] = demo;
// (state is the run's state, to read).
struct DemoProgram {
    DemoSchool school; // school.failure also tells when the installation does not resolve
    FakeClock clock{QDateTime::currentDateTime()};
    ScriptedRandom random;
    PresetMessageBox messages;
    ProgramRun run{clock, retryNoticeWaits()};
    const RunState* state = &run.state();

    DemoProgram() {
        run.prepareRun(random);
        if (school.failure.isEmpty() && !resolveAndReport(school.programFolder(), run, messages, nullptr))
            school.failure = QStringLiteral("the demo school's installation does not resolve");
    }
    bool ready() const { return school.failure.isEmpty(); }
    QString failure() const { return school.failure; }
};

// The visible top-level window of type W, or null.
template <class W> W* shownWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<W*>(w); found && found->isVisible())
            return found;
    }
    return nullptr;
}

} // namespace kz::test
