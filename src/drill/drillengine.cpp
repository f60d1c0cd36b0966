#include "drill/drillengine.h"

#include "core/cues.h"
#include "data/textio.h"
#include "platform/clock.h"
#include "platform/randomsource.h"

#include <limits>

namespace kz {

namespace {

// Whole seconds of a millisecond count, halves to the even neighbour (2.5 s is 2, 3.5 s is 4).
qint32 roundHalfEvenSeconds(qint64 ms) {
    if (ms <= 0)
        return 0;
    qint64 seconds = ms / 1000;
    const qint64 rest = ms % 1000;
    if (rest > 500 || (rest == 500 && seconds % 2 != 0))
        ++seconds;
    return static_cast<qint32>(qMin<qint64>(seconds, std::numeric_limits<qint32>::max()));
}

} // namespace

DrillEngine::DrillEngine(const Clock& clock, RandomSource& random, Cues& cues, DrillObserver& observer)
    : clock_(clock), random_(random), cues_(cues), observer_(observer) {}

void DrillEngine::初期設定(int level, qint32 minimumTime) {
    level_ = level;
    minimumTime_ = minimumTime;
    levelSpec_.reset();
    items_.clear();
    questionTotal_ = 0;
    remaining_ = 0;
    position_ = 0;
    retryPhase_ = false;
    isRetryQuestion_ = false;
    retryFlags_.clear();
    usedFlags_.clear();
    correctCount_ = 0;
    typedAnswer_.clear();
    expectedAnswer_ = 0;
    confirmState_ = 0;
    judging_ = false;
    judgeResult_ = 0;
    questionShownMs_ = 0;
    clockStartMs_ = 0;
    penaltySinceTick_ = 0;
    elapsedSeconds_ = 0;
    clockRunning_ = false;
    finished_ = false;
    timedOut_ = false;

    // A row without a positive minimum-line time has no limit at all: such an attempt
    // never times out (five times nothing would end it at the first tick).
    hasTimeLimit_ = minimumTime > 0;
    const qint64 limit = kTimeLimitFactor * static_cast<qint64>(minimumTime);
    timeLimit_ =
        hasTimeLimit_ ? static_cast<qint32>(qMin<qint64>(limit, std::numeric_limits<qint32>::max())) : 0;
    observer_.timeLimitSet(timeLimit_, hasTimeLimit_);
}

bool DrillEngine::レベル別設定() {
    retryPhase_ = false;
    isRetryQuestion_ = false;
    position_ = 0;
    orderMode_ = OrderMode::InOrder;

    levelSpec_ = drillLevelSpec(level_);
    if (!levelSpec_) {
        items_.clear();
        questionTotal_ = 0;
        setRemaining(0);
        return false;
    }
    orderMode_ = levelSpec_->orderMode;
    items_ = levelSpec_->items();
    questionTotal_ = levelSpec_->questionTotal;
    retryFlags_ = QList<bool>(items_.size() + 1, false);
    usedFlags_ = QList<bool>(items_.size() + 1, false);
    setRemaining(questionTotal_ - correctCount_);
    return true;
}

void DrillEngine::スタート() {
    if (!hasQuestions() || clockRunning_ || ended())
        return;
    clockStartMs_ = clock_.monotonicMs();
    penaltySinceTick_ = 0;
    clockRunning_ = true;
    observer_.clockRunningChanged(true);
}

bool DrillEngine::startAttempt(int level, qint32 minimumTime) {
    初期設定(level, minimumTime);
    if (!レベル別設定())
        return false;
    スタート();
    問題作成表示();
    return true;
}

void DrillEngine::問題作成表示() {
    if (!hasQuestions() || timedOut_ || finished_ || judging_)
        return;
    const int count = itemCount();

    if (orderMode_ == OrderMode::InOrder) {
        isRetryQuestion_ = false;
        ++position_;
        if (position_ > count)
            retryPhase_ = true;
        if (retryPhase_) {
            int flagged = 0;
            for (int k = 1; k <= count && flagged == 0; ++k)
                if (retryFlags_[k])
                    flagged = k;
            if (flagged != 0) {
                isRetryQuestion_ = true;
                retryFlags_[flagged] = false;
                position_ = flagged;
            } else {
                retryFlags_.fill(false);
                retryPhase_ = false;
                position_ = 1;
            }
        }
    } else {
        int used = 0;
        for (int k = 1; k <= count; ++k)
            if (usedFlags_[k])
                ++used;
        setRemaining(questionTotal_ - used);
        if (used >= count) {
            allAnswered();
            return;
        }
        position_ = drawOpenItem();
    }

    const QuestionItem question = items_[position_ - 1];
    expectedAnswer_ = question.product();
    questionShownMs_ = clock_.monotonicMs();
    observer_.questionShown(question, isRetryQuestion_);
}

int DrillEngine::drawOpenItem() {
    const int count = itemCount();
    // Every draw is uniform over all items; one already answered right is drawn again.
    for (int attempt = 0; attempt < kMaxRedraws; ++attempt) {
        const int k = pickOneBased(random_.next(), count);
        if (!usedFlags_[k])
            return k;
    }
    // A source that keeps hitting answered items (or is stuck near one end) must not hang
    // the drill: pick among the open items directly, still uniformly for a fair source.
    int open = 0;
    for (int k = 1; k <= count; ++k)
        if (!usedFlags_[k])
            ++open;
    int nth = pickOneBased(random_.next(), open);
    for (int k = 1; k <= count; ++k) {
        if (!usedFlags_[k] && --nth == 0)
            return k;
    }
    return 1; // not reached: the caller has seen an open item
}

void DrillEngine::onKeyPress(int charCode) {
    if (position_ == 0 || timedOut_ || finished_ || judging_)
        return;

    if (confirmState_ == 0) {
        if (charCode == kSpaceChar) {
            judging_ = true;
            判定();
            判定後処理();
            judging_ = false;
        } else if (charCode == kBackspaceChar) {
            if (!typedAnswer_.isEmpty())
                setTypedAnswer(typedAnswer_.chopped(1));
        } else if (typedAnswer_.size() >= kMaxTypedLength) {
            cues_.playKeyWarning();
        } else if (charCode >= kFirstAnswerChar && charCode <= kLastAnswerChar) {
            setTypedAnswer(typedAnswer_ + QChar(charCode));
        }
        return;
    }

    if (charCode == kPlusChar) {
        if (confirmState_ == 1)
            confirmState_ = 2;
        else
            confirmWrongAnswer();
    } else {
        confirmState_ = 1;
    }
}

void DrillEngine::onKeyDown(int keyCode) {
    if (position_ == 0 || timedOut_ || finished_)
        return;
    if (keyCode == kEnterKey || (keyCode >= kFirstArrowKey && keyCode <= kLastArrowKey))
        setTypedAnswer(QString());
}

void DrillEngine::判定() {
    if (timedOut_ || finished_) {
        judging_ = false;
        return;
    }
    judgeResult_ = leadingNumber(typedAnswer_) == static_cast<double>(expectedAnswer_) ? 1 : 2;
    const QuestionItem question = currentQuestion();
    observer_.answerJudged(AnsweredQuestion{question.tableNumber, question.factor, typedAnswer_,
                                            judgeResult_ == 1, isRetryQuestion_,
                                            clock_.monotonicMs() - questionShownMs_});
}

void DrillEngine::判定後処理() {
    if (timedOut_ || finished_)
        return;

    if (judgeResult_ == 1) {
        judgeResult_ = 0;
        cues_.playRightSound();
        if (orderMode_ == OrderMode::InOrder) {
            ++correctCount_;
            setRemaining(questionTotal_ - correctCount_);
            if (correctCount_ >= questionTotal_) {
                allAnswered();
                return;
            }
        } else {
            usedFlags_[position_] = true;
        }
        judging_ = false;
        setTypedAnswer(QString());
        問題作成表示();
        return;
    }

    if (judgeResult_ == 2) {
        retryFlags_[position_] = true;
        confirmState_ = 1;
        clockStartMs_ -= 1000 * static_cast<qint64>(kWrongAnswerPenaltySeconds);
        penaltySinceTick_ += kWrongAnswerPenaltySeconds;
        observer_.correctAnswerShown(expectedAnswer_);
        observer_.refreshRequested();
        cues_.playWrongSound();
        judging_ = false;
        observer_.confirmPromptShown();
    }
}

void DrillEngine::confirmWrongAnswer() {
    observer_.confirmPromptHidden();
    confirmState_ = 0;
    setTypedAnswer(QString());
    observer_.correctAnswerHidden();
    問題作成表示();
}

void DrillEngine::onClockTick() {
    if (!clockRunning_ || finished_ || timedOut_)
        return;
    elapsedSeconds_ = elapsedNow();
    penaltySinceTick_ = 0;
    observer_.elapsedChanged(elapsedSeconds_);
    // A time-out that falls due during a judgement waits for the first tick after it.
    if (hasTimeLimit_ && elapsedSeconds_ >= timeLimit_ && !finished_ && !timedOut_ && !judging_) {
        timedOut_ = true;
        stopClock();
        tellEnding();
    }
}

qint32 DrillEngine::elapsedNow() const {
    return roundHalfEvenSeconds(clock_.monotonicMs() - clockStartMs_);
}

void DrillEngine::stopClock() {
    if (!clockRunning_)
        return;
    clockRunning_ = false;
    observer_.clockRunningChanged(false);
}

void DrillEngine::allAnswered() {
    if (ended())
        return;
    stopClock();
    finished_ = true;
    // A penalty taken since the last tick still belongs to the recorded time.
    elapsedSeconds_ += penaltySinceTick_;
    penaltySinceTick_ = 0;
    tellEnding();
}

void DrillEngine::tellEnding() {
    observer_.attemptEnded(DrillEnding{finished_, timedOut_, elapsedSeconds_});
}

void DrillEngine::setTypedAnswer(const QString& text) {
    if (text == typedAnswer_)
        return;
    typedAnswer_ = text;
    observer_.typedAnswerChanged(typedAnswer_);
}

void DrillEngine::setRemaining(int remaining) {
    remaining_ = remaining;
    observer_.remainingChanged(remaining_);
}

QuestionItem DrillEngine::currentQuestion() const {
    if (position_ < 1 || position_ > itemCount())
        return {};
    return items_[position_ - 1];
}

DrillState DrillEngine::state() const {
    if (timedOut_)
        return DrillState::TimedOut;
    if (finished_)
        return DrillState::Finished;
    if (!hasQuestions())
        return DrillState::NoQuestions;
    if (judging_)
        return DrillState::Judging;
    if (position_ == 0)
        return DrillState::Prepared;
    if (confirmState_ != 0)
        return DrillState::WaitingForConfirm;
    return DrillState::Entering;
}

} // namespace kz
