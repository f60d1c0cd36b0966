#pragma once

// The whole program on a fresh demo school, for the tests that drive it from screen to
// screen. Header only: it needs the program's wiring (kzapp), which only those tests link.

#include "core/gui/startupsteps.h"
#include "core/runstate.h"
#include "core/startup.h"
#include "platform/gui/messagebox.h"
#include "support/demoschool.h"
#include "support/testsupport.h"

#include <QApplication>

#include <memory>

namespace kz::test {

// What main wires before the first screen, on a fresh demo school: the run prepared and
// the installation resolved, with a clock standing at the real now (the demo results are
// recent), scripted randomness (no values: a test scripts its own) and message boxes
// that answer as preset. The sound device and the launcher stay with each test, which
// wires the program from these parts with ProgramWiring. Bind them to the names a test
// uses:
//     auto& [school, state, clock, random, messages] = demo;
struct DemoProgram {
    DemoSchool school; // school.failure also tells when the installation does not resolve
    std::unique_ptr<RunState> state = std::make_unique<RunState>();
    FakeClock clock{QDateTime::currentDateTime()};
    ScriptedRandom random;
    PresetMessageBox messages;

    DemoProgram() {
        prepareRun(*state, clock, random);
        if (school.failure.isEmpty() && !resolveAndReport(school.programFolder(), *state, messages, nullptr))
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
