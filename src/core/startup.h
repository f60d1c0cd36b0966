#pragma once

#include <QString>

namespace kz {

struct RunState;
class Clock;
class RandomSource;

// What the splash screen does while it loads, before the installation is resolved: seeds
// the random source from the whole seconds since midnight and picks seasonColour from
// the current month.
void prepareRun(RunState& state, const Clock& clock, RandomSource& random);

// major.minor.revision of this build ("1.0.1"): the project's version, the one of the
// package, of both programs' --version and of the version window.
QString versionNumber();
// "Version" followed by versionNumber() ("Version1.0.1").
QString versionText();

} // namespace kz
