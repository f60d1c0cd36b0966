#pragma once

#include "core/runstate.h"
#include "data/roster.h"

#include <QString>

namespace kz {

// The notice the name screen shows about a roster load: the reader's message when the
// file could not be read, the first ten unreadable lines (and how many more) when some
// were skipped, empty when there is nothing to say.
QString rosterNoticeText(const Outcome<RosterLoadResult>& loaded, const QString& rosterPath);

// What stays on the name screen while it holds: attempts that cannot be recorded, a
// roster that is not Shift-JIS (read as UTF-8, or with garbled names). Empty: nothing.
QString standingNameScreenNotice(const RunState& state, const Outcome<RosterLoadResult>& loaded);

} // namespace kz
