#pragma once

#include "data/answerlog.h"
#include "drill/drilllevels.h"

#include <QList>
#include <QString>

#include <optional>

namespace kz {

class Clock;
class Cues;
class RandomSource;

// What the end-of-attempt hand-off is told: how the attempt ended and its time.
struct DrillEnding {
    bool finished = false;     // the question total was reached
    bool timedOut = false;     // the time limit ran out
    qint32 elapsedSeconds = 0; // whole seconds at the end (the recorded time when finished)
};

// Everything the drill screen shows, told as it happens. All calls come on the engine's
// thread, from inside the engine's own steps; a call may process events (the screen
// repaints), so ticks and keys can reach the engine again from inside one of these.
class DrillObserver {
public:
    virtual ~DrillObserver() = default;

    // The time limit of the attempt in seconds; hasLimit false when the level has none
    // (minimum-line time 0 or less): the screen then shows no time bar.
    virtual void timeLimitSet(qint32 /*seconds*/, bool /*hasLimit*/) {}
    // The remaining number of questions.
    virtual void remainingChanged(int /*remaining*/) {}
    // A new question replaces the shown one (the shown answer is empty again).
    virtual void questionShown(const QuestionItem& /*question*/, bool /*isRetry*/) {}
    // The typed answer, whenever it changes.
    virtual void typedAnswerChanged(const QString& /*typed*/) {}
    // After a wrong answer: the correct answer appears, then the screen is asked to
    // repaint before the wrong-answer cue, then the "+" prompt appears.
    virtual void correctAnswerShown(int /*answer*/) {}
    virtual void refreshRequested() {}
    virtual void confirmPromptShown() {}
    // The second "+": the prompt goes, then the correct answer goes.
    virtual void confirmPromptHidden() {}
    virtual void correctAnswerHidden() {}
    // The one-second clock started or stopped.
    virtual void clockRunningChanged(bool /*running*/) {}
    // Every tick of the running clock, with the time so far.
    virtual void elapsedChanged(qint32 /*seconds*/) {}
    // Every judged answer, right after its judgement and before its cue: the question,
    // the typed text, right or wrong, whether it was a retry, and the time from the
    // question appearing to the judgement (the wrong-answer penalty is not part of it).
    // An attempt's last right answer is told before attemptEnded.
    virtual void answerJudged(const AnsweredQuestion& /*answer*/) {}
    // The attempt has ended (finished or timed out): called exactly once per attempt, after
    // the clock has stopped; the screen hands the attempt off from here. The engine must
    // outlive this call (close the screen later, not from inside it).
    virtual void attemptEnded(const DrillEnding& ending) = 0;
};

// Where an attempt stands.
enum class DrillState {
    NoQuestions,       // no level set yet, or a level outside 1..25
    Prepared,          // question set built, no question shown yet
    Entering,          // a question is shown, digits are typed
    Judging,           // a judgement and its follow-up are running
    WaitingForConfirm, // a wrong answer waits for "+" twice
    Finished,
    TimedOut,
};

// One timed attempt at one level: question set, next question, typed answer, judgement,
// penalty and retry rules, the attempt clock and its time limit. No screen code: the
// drill screen forwards keys and one tick a second and shows what the observer is told.
//
// Use: 初期設定, レベル別設定, スタート, 問題作成表示 once each, in this order (or
// startAttempt), then onKeyDown / onKeyPress for every key (key-down first) and
// onClockTick once a second while clockRunning().
class DrillEngine {
public:
    static constexpr int kMaxTypedLength = 3;
    static constexpr qint32 kWrongAnswerPenaltySeconds = 10;
    static constexpr qint32 kTimeLimitFactor = 5;
    // Draws of an already answered item before the next item is picked among the open ones.
    static constexpr int kMaxRedraws = 1000;

    // Character codes (onKeyPress) and key codes (onKeyDown) the engine acts on.
    static constexpr int kBackspaceChar = 8;
    static constexpr int kSpaceChar = 32;
    static constexpr int kPlusChar = 43;
    static constexpr int kFirstAnswerChar = 42; // "*"
    static constexpr int kLastAnswerChar = 57;  // "9"
    static constexpr int kEnterKey = 13;
    static constexpr int kFirstArrowKey = 37;
    static constexpr int kLastArrowKey = 40;

    DrillEngine(const Clock& clock, RandomSource& random, Cues& cues, DrillObserver& observer);
    DrillEngine(const DrillEngine&) = delete;
    DrillEngine& operator=(const DrillEngine&) = delete;

    // 初期設定 (initial setup): a clean attempt at the level; the time limit is five times
    // minimumTime, none when minimumTime is 0 or less.
    void 初期設定(int level, qint32 minimumTime);
    // レベル別設定 (per-level setting): builds the question set of the level. False, and
    // the engine stays without questions (every later step and key does nothing), for a
    // level outside 1..25.
    bool レベル別設定();
    // スタート (start): the attempt clock starts from now.
    void スタート();
    // 問題作成表示 (make and show a question): the next question, or the end of a
    // shuffled attempt once every item has been answered right.
    void 問題作成表示();
    // The four steps above in order; false when the level has no questions.
    bool startAttempt(int level, qint32 minimumTime);

    // A typed character (character code).
    void onKeyPress(int charCode);
    // A pressed key (key code): Enter and the arrow keys empty the typed answer.
    void onKeyDown(int keyCode);
    // Once a second while the clock runs.
    void onClockTick();

    DrillState state() const;
    bool hasQuestions() const { return levelSpec_.has_value(); }
    int level() const { return level_; }
    std::optional<DrillLevelSpec> levelSpec() const { return levelSpec_; }
    OrderMode orderMode() const { return orderMode_; }
    const QList<QuestionItem>& items() const { return items_; }
    int itemCount() const { return static_cast<int>(items_.size()); }
    int questionTotal() const { return questionTotal_; }
    int remainingQuestions() const { return remaining_; }
    int position() const { return position_; } // 1-based; 0 before the first question
    QuestionItem currentQuestion() const;      // empty before the first question
    bool isRetryQuestion() const { return isRetryQuestion_; }
    bool retryPhase() const { return retryPhase_; }
    int correctCount() const { return correctCount_; } // right answers (in-order levels)
    const QString& typedAnswer() const { return typedAnswer_; }
    int expectedAnswer() const { return expectedAnswer_; }
    int confirmState() const { return confirmState_; } // 0 entry, 1 wrong, 2 one "+" seen
    bool judging() const { return judging_; }
    qint32 elapsedSeconds() const { return elapsedSeconds_; }
    qint32 timeLimit() const { return timeLimit_; } // 0 when there is none
    bool hasTimeLimit() const { return hasTimeLimit_; }
    bool clockRunning() const { return clockRunning_; }
    bool finished() const { return finished_; }
    bool timedOut() const { return timedOut_; }
    // The attempt has ended: every question answered right, or the time ran out. Keys,
    // ticks and next-question requests do nothing from here on.
    bool ended() const { return finished_ || timedOut_; }

private:
    // 判定 (judge): right when the leading number of the typed answer is the product.
    void 判定();
    // 判定後処理 (post-judgement processing): cue, counts, penalty, next question or end.
    void 判定後処理();
    // The second "+" after a wrong answer.
    void confirmWrongAnswer();

    void setTypedAnswer(const QString& text);
    void setRemaining(int remaining);
    void stopClock();
    // Every question answered right: the clock stops and the ending is told.
    void allAnswered();
    // attemptEnded, at the one moment the attempt ends.
    void tellEnding();
    int drawOpenItem();
    qint32 elapsedNow() const;

    const Clock& clock_;
    RandomSource& random_;
    Cues& cues_;
    DrillObserver& observer_;

    int level_ = 0;
    qint32 minimumTime_ = 0;
    std::optional<DrillLevelSpec> levelSpec_;
    OrderMode orderMode_ = OrderMode::InOrder;
    QList<QuestionItem> items_;
    int questionTotal_ = 0;
    int remaining_ = 0;

    int position_ = 0;
    bool retryPhase_ = false;
    bool isRetryQuestion_ = false;
    QList<bool> retryFlags_; // index 1..itemCount; 0 unused
    QList<bool> usedFlags_;  // index 1..itemCount; 0 unused
    int correctCount_ = 0;

    QString typedAnswer_;
    int expectedAnswer_ = 0;
    int confirmState_ = 0;
    bool judging_ = false;
    int judgeResult_ = 0; // 1 right, 2 wrong, 0 none

    qint64 questionShownMs_ = 0;  // monotonic moment the current question appeared
    qint64 clockStartMs_ = 0;     // monotonic start, moved back by every penalty
    qint32 penaltySinceTick_ = 0; // penalty seconds not yet in elapsedSeconds_
    qint32 elapsedSeconds_ = 0;
    qint32 timeLimit_ = 0;
    bool hasTimeLimit_ = false;
    bool clockRunning_ = false;

    bool finished_ = false;
    bool timedOut_ = false;
};

} // namespace kz
