#include "result/evaluation.h"

#include "core/cues.h"
#include "core/runstate.h"
#include "data/levelrules.h"
#include "data/points.h"

namespace kz {

namespace {

constexpr qint32 kNoRecordFrom = 99998; // 99999 marks a time-out; 99998 and up show no time
constexpr qint16 kNeverCleared = 9999;  // a clearCount that marks a level nobody is meant to clear

bool someLevelNeverCleared(const PassCriteriaTable& table) {
    for (int level = 1; level < kLevelSlots; ++level) {
        if (table.level(level).clearCount == kNeverCleared)
            return true;
    }
    return false;
}

} // namespace

QString clearedLineText() {
    return QStringLiteral("このレベルクリア");
}
QString nextLevelHintText() {
    return QStringLiteral("次のレベルへ進みましょう");
}
QString bannerText() {
    return QStringLiteral("目標レベルクリア。おめでとう！");
}

AttemptVerdict evaluateAttempt(const RunState& state, const std::function<void()>& refreshStatistics) {
    // 1. Every figure below includes the attempt just stored.
    if (refreshStatistics)
        refreshStatistics();

    AttemptVerdict v;
    const int level = state.attempt.currentLevel;
    const int student = state.student.currentBangou;
    const qint32 t = state.attempt.recordedTime;
    const PassCriteria& criteria = state.tables.criteria.level(level);
    const StatisticsTables& stats = state.tables.statistics;
    const bool isFinalLevel = level == state.catalogue.finalLevel;
    v.level = level;
    v.recordedTime = t;

    // 2. Cleared within the pass period; the final level earns the banner unless the table
    //    holds a level that is never meant to be cleared.
    v.levelCleared = clearedInPassPeriod(criteria, stats, level, student);
    v.banner = v.levelCleared && isFinalLevel && !someLevelNeverCleared(state.tables.criteria);

    // 3. Points: the same rule as the statistics, so the two always agree.
    const AttemptPoints points = attemptPoints(t, criteria);
    v.basePoints = points.basePoints;
    v.gainedPoints = points.gainedPoints;
    v.pointsText = QStringLiteral("獲得ポイント：") + QString::number(v.basePoints) + QStringLiteral("点×") +
                   criteria.pointMultiplier.shortText() + QStringLiteral("→") +
                   QString::number(v.gainedPoints) + QStringLiteral("点");

    // 4. The time, or no time at all for a time-out.
    v.resultText = t >= kNoRecordFrom
                       ? QStringLiteral("記録なし")
                       : QStringLiteral("今の成績：") + QString::number(t) + QStringLiteral("秒");

    // 5. Today's attempts on this level and on all levels.
    v.levelAttemptText = QStringLiteral(" (このレベル　") +
                         QString::number(stats.todayAttempts(level, student)) + QStringLiteral("回目)");
    v.totalAttemptText = QStringLiteral("（") +
                         QString::number(stats.sumOverLevels(StatisticsTables::TodayAttempts, student)) +
                         QStringLiteral("回目)");

    // 6. Record message and its cue: the first that applies.
    if (state.attempt.timedOut) {
        v.record = RecordMessage::TimedOut;
        v.recordText = QStringLiteral("時間切れ");
    } else if (state.attempt.newPersonalBest && !state.attempt.newSchoolBest) {
        v.record = RecordMessage::NewPersonalBest;
        v.recordText = QStringLiteral("新記録おめでとう");
        v.cues.append(EndCue::PersonalBest);
    } else if (state.attempt.newSchoolBest) {
        v.record = RecordMessage::NewSchoolBest;
        v.recordText = QStringLiteral("！！！最高新記録！！！");
        v.cues.append(EndCue::SchoolBest);
    } else if (t <= criteria.minimumTime) {
        v.cues.append(EndCue::MinimumLine);
    }

    // 7. The final level cleared: the pass sound, only the first time.
    if (v.levelCleared && isFinalLevel) {
        if (!state.attempt.clearedBefore)
            v.cues.append(EndCue::LevelCleared);
    } else {
        v.banner = false;
    }
    return v;
}

bool finalLevelCleared(const RunState& state) {
    const int finalLevel = state.catalogue.finalLevel;
    return clearedInPassPeriod(state.tables.criteria.level(finalLevel), state.tables.statistics, finalLevel,
                               state.student.currentBangou);
}

FollowUp decideFollowUp(const RunState& state, const AttemptVerdict& verdict) {
    const int level = verdict.level;
    const int student = state.student.currentBangou;
    const PassCriteria& criteria = state.tables.criteria.level(level);
    const StatisticsTables& stats = state.tables.statistics;

    FollowUp f;
    f.overdone = overdone(criteria, stats, level, student);
    if (!f.overdone || !verdict.levelCleared)
        return f;
    if (level == state.catalogue.finalLevel) {
        f.clearedLine = FollowUp::ClearedLine::Emptied;
    } else if (!finalLevelCleared(state)) {
        f.clearedLine = FollowUp::ClearedLine::NextLevelHint;
        f.retryOffered = false;
    }
    return f;
}

void playEndCue(Cues& cues, EndCue cue) {
    switch (cue) {
    case EndCue::PersonalBest:
        cues.playPersonalBestSound();
        break;
    case EndCue::SchoolBest:
        cues.playSchoolBestSound();
        break;
    case EndCue::MinimumLine:
        cues.playMinimumLineSound();
        break;
    case EndCue::LevelCleared:
        cues.playPassSound();
        break;
    }
}

bool playVerdictCues(const AttemptVerdict& verdict, Cues& cues, const std::function<bool()>& between) {
    const auto goOn = [&between] { return !between || between(); };
    if (!goOn())
        return false;
    for (const EndCue cue : verdict.cues) {
        playEndCue(cues, cue);
        if (!goOn())
            return false;
    }
    return true;
}

} // namespace kz
