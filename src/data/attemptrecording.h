#pragma once

#include "data/passcriteria.h"
#include "data/resultstore.h"
#include "data/statistics.h"

#include <QString>

// Storing one finished attempt: was the level already cleared, did the time beat the
// student's or the school's best time, and the record itself.
namespace kz {

struct RecordingJudgement {
    bool clearedBefore = false;   // the figures before this attempt already met the level's clearing targets
    bool newPersonalBest = false; // strictly below the student's bestTime
    bool newSchoolBest = false;   // strictly below the level's schoolBestTime
};

// The judgement over the statistics of the last refresh (which do not yet hold this
// attempt). Equal times are no new best; 99999 never is. Only Bangou 1..5000 and
// levels 1..35 can set a best time. Any of them may set the school's best here, whoever
// the student is; the next refresh takes the school best from Bangou 1..1000 only again.
RecordingJudgement judgeRecording(const StatisticsTables& stats, const PassCriteriaTable& criteria, int level,
                                  int bangou, qint32 recordedTime);

struct AttemptToRecord {
    qint16 bangou = 0;
    qint16 level = 0;
    qint32 recordedTime = 0; // 99999 after a time-out
    QString siteCode;
};

// A recorded attempt: how it was judged and where its record went in the file.
struct RecordedAttempt {
    RecordingJudgement judgement;
    AppendedRecord append;
};

// Judges the attempt, appends its record (date and time taken from the clock under
// the lock) and, once it is in the file, lowers bestTime and schoolBestTime. On a
// failure nothing is changed, so calling again records the attempt exactly once.
Outcome<RecordedAttempt> recordAttempt(const QString& resultsPath, const AttemptToRecord& attempt,
                                       const PassCriteriaTable& criteria, StatisticsTables* stats,
                                       const Clock& clock, const WaitFunction& wait = {});

} // namespace kz
