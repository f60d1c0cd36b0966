#pragma once

#include "data/answerlog.h"

namespace kz {

struct AttemptState;
struct ResultRecord;

// Lines kept for a later write at most; beyond this the oldest attempts' lines go (the
// log is a help for teachers, not the record of the attempt).
inline constexpr qsizetype kAnswerLogBacklogLimit = 1 << 20;

// Appends the answers of the attempt whose record was just written (its date and time
// tie the lines to the record) to the answer log at logPath, after any lines an earlier
// failed write left behind. Best effort: a failure never touches the attempt's record;
// the lines stay in the attempt state and go with the next attempt's write, and an
// attempt whose lines never arrive shows in the companion's check. The attempt's answers
// are cleared either way.
Status logAttemptAnswers(AttemptState& attempt, const QString& logPath, const ResultRecord& written,
                         const AnswerLogAppendOptions& options = {});

} // namespace kz
