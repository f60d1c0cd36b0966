#include "core/startup.h"

#include "core/runstate.h"
#include "core/season.h"
#include "platform/clock.h"
#include "platform/randomsource.h"

#include <cmath>

namespace kz {

void prepareRun(RunState& state, const Clock& clock, RandomSource& random) {
    seedFromClock(random, clock);
    state.levelMenu.seasonColour = seasonColour(clock.today().month());
}

QString versionNumber() {
    return QStringLiteral("%1.%2.%3").arg(KZ_VERSION_MAJOR).arg(KZ_VERSION_MINOR).arg(KZ_VERSION_PATCH);
}

QString versionText() {
    return QStringLiteral("Version") + versionNumber();
}

} // namespace kz
