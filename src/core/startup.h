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

// "Version" followed by major.minor.revision of this build ("Version1.0.1").
QString versionText();

} // namespace kz
