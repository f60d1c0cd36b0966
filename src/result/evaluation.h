#pragma once

#include <QList>
#include <QString>

#include <functional>

// Judging a finished attempt: what the end screen tells the student, which sounds it plays
// and which way on it offers. Pure logic over the run state; the screen only shows it.
namespace kz {

struct RunState;
class Cues;

// The sounds of the end screen, in the order they are to be played.
enum class EndCue {
    PersonalBest, // a new personal record
    SchoolBest,   // a new record of the whole school ("最高1.wav")
    MinimumLine,  // within the level's minimum line, no record
    LevelCleared, // the final level cleared for the first time ("合格.wav")
};

enum class RecordMessage { None, TimedOut, NewPersonalBest, NewSchoolBest };

struct AttemptVerdict {
    int level = 0;           // the level judged
    qint32 recordedTime = 0; // seconds; 99999 after a time-out

    qint32 basePoints = 0;    // before the level's multiplier
    qint64 gainedPoints = 0;  // after it, rounded down
    QString pointsText;       // 獲得ポイント：11点×1.5→16点
    QString resultText;       // 今の成績：30秒, or 記録なし
    QString levelAttemptText; // " (このレベル　3回目)"
    QString totalAttemptText; // "（12回目)"

    RecordMessage record = RecordMessage::None;
    QString recordText; // empty when there is no record message

    bool levelCleared = false; // the level counts as cleared, this attempt included
    bool banner = false;       // the final level's congratulation banner is due

    QList<EndCue> cues; // what to play, in order
};

// What the end screen does with the cleared line and the retry button once its timer fires.
struct FollowUp {
    enum class ClearedLine {
        Unchanged,     // stays as the evaluation left it
        NextLevelHint, // "次のレベルへ進みましょう" replaces "このレベルクリア"
        Emptied,       // emptied and hidden
    };
    bool overdone = false;
    bool retryOffered = true;
    ClearedLine clearedLine = ClearedLine::Unchanged;
};

// The texts the end screen shows besides the verdict's own.
QString clearedLineText();   // "このレベルクリア"
QString nextLevelHintText(); // "次のレベルへ進みましょう"
QString bannerText();        // "目標レベルクリア。おめでとう！"

// Judges the attempt that has just been stored. Refreshes the statistics first (so every
// figure includes this attempt), then reads the level's criteria, the student's figures
// and the outcome flags of the recording; changes nothing else (the flags are cleared when
// the next attempt starts). Plays nothing: the verdict lists the cues. refreshStatistics
// may be empty (nothing refreshed).
AttemptVerdict evaluateAttempt(const RunState& state, const std::function<void()>& refreshStatistics);

// Whether the final level of the catalogue counts as cleared for the current student:
// its pass-period figures reach its clearing targets.
bool finalLevelCleared(const RunState& state);

// Whether the retry is offered, from the overdoing limits of the level, the student's figures
// within the overdoing period and whether the final level counted as cleared before this
// attempt (an attempt at another level leaves the final level's figures as they were).
FollowUp decideFollowUp(const RunState& state, const AttemptVerdict& verdict);

// Plays one cue through the sound seam.
void playEndCue(Cues& cues, EndCue cue);

// Plays the verdict's cues in order. between() runs before the first cue, between cues and
// after the last one (the screen lets its events run there); when it returns false nothing
// more is played (the screen has been left). Returns false when it was stopped that way.
bool playVerdictCues(const AttemptVerdict& verdict, Cues& cues, const std::function<bool()>& between);

} // namespace kz
