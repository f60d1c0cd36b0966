#pragma once

#include "data/roster.h"

#include <QString>

namespace kz {

// The notice the name screen shows about a roster load: the reader's message when the
// file could not be read, the first ten unreadable lines (and how many more) when some
// were skipped, empty when there is nothing to say.
QString rosterNoticeText(const Outcome<RosterLoadResult>& loaded, const QString& rosterPath);

} // namespace kz
