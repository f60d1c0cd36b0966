#include "data/attemptrecording.h"

#include "platform/clock.h"

namespace kz {

namespace {

bool fitsTables(int level, int bangou) {
    return level >= 1 && level <= kLastSlotLevel && bangou >= 1 && bangou <= ResultRecord::kMaxBangou;
}
} // namespace

RecordingJudgement judgeRecording(const StatisticsTables& stats, const PassCriteriaTable& criteria, int level,
                                  int bangou, qint32 recordedTime) {
    RecordingJudgement j;
    if (!fitsTables(level, bangou))
        return j;
    const PassCriteria& c = criteria.level(level);
    j.clearedBefore = stats.totalAttempts(level, bangou) >= c.clearCount &&
                      stats.totalPoints(level, bangou) >= c.clearPoints;
    j.newPersonalBest = stats.bestTime(level, bangou) > recordedTime;
    j.newSchoolBest = stats.schoolBestTime(level) > recordedTime;
    return j;
}

Outcome<RecordedAttempt> recordAttempt(const QString& resultsPath, const AttemptToRecord& attempt,
                                       const PassCriteriaTable& criteria, StatisticsTables* stats,
                                       const Clock& clock, const WaitFunction& wait) {
    const RecordingJudgement j =
        judgeRecording(*stats, criteria, attempt.level, attempt.bangou, attempt.recordedTime);

    ResultRecord record =
        makeResultRecord(clock.now(), attempt.bangou, attempt.level, attempt.recordedTime, attempt.siteCode);
    AppendOptions options;
    options.wait = wait;
    options.stampClock = &clock;
    Outcome<AppendedRecord> appended = appendResult(resultsPath, record, options);
    if (!appended)
        return appended.error();

    if (j.newPersonalBest)
        stats->setBestTime(attempt.level, attempt.bangou, attempt.recordedTime);
    if (j.newSchoolBest)
        stats->setSchoolBestTime(attempt.level, attempt.recordedTime);
    return RecordedAttempt{j, *appended};
}

} // namespace kz
