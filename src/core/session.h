#pragma once

#include <QtGlobal>

namespace kz {

// Whole minutes since the student confirmed their name (sessionStartSeconds, whole
// seconds since midnight, rounded), as the drill screen and the level menu show them.
// The start is rounded to the nearest second, so "now" may lie up to half a second
// before it: that counts as 0. A start more than half a day "ahead" means midnight has
// passed since, and the minutes count on across it.
int minutesSinceSessionStart(qint32 sessionStartSeconds, double nowSecondsSinceMidnight);

} // namespace kz
