#pragma once

#include "core/gui/appcontext.h"
#include "drill/attempthandoff.h"
#include "drill/drillengine.h"
#include "drill/drillscreenlogic.h"

#include <QWidget>

#include <memory>

class QFrame;
class QLabel;
class QTimer;

namespace kz {

// The drill screen: one timed attempt at the chosen level. Its activation starts the run's
// attempt; it owns a fresh drill engine, gives it every key before any control sees it and
// one clock tick a second, and shows what the engine reports. When the attempt ends its
// hand-off (AttemptHandOff) ends the run's attempt, covers the screen with the recording
// panel and records the attempt; the screen then asks the navigator for the end screen,
// which closes this one after a pause.
//
// Created by the navigator for every attempt; deleted once closed. The window cannot be
// closed while the attempt runs: only the navigator closes it after the hand-off.
class DrillScreen final : public QWidget, private DrillObserver, private HandOffObserver {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DrillScreen)

public:
    static constexpr int kTimer1IntervalMs = 1000;
    static constexpr int kTimer2IntervalMs = 10000;
    static constexpr int kTimeBarWidth = 1001;

    explicit DrillScreen(const AppContext& context, QWidget* parent = nullptr);
    ~DrillScreen() override;

    // The setup of a shown screen: the run's attempt started, engine steps, status strip,
    // first question. Showing the screen runs it once; later calls do nothing.
    void activate();
    bool isActivated() const { return activated_; }

    const DrillEngine& engine() const { return *engine_; }
    // The attempt is under way: shown, with questions, and not yet ended.
    bool attemptRunning() const;

    // One press of a key as the engine takes it (key-down first, then the character).
    void handleKey(int qtKey, const QString& text);

    // Timer handlers: sTimer1 (the attempt clock) and sTimer2 (minutes since the start).
    void tickClock();
    void showMinutesSinceStart();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // DrillObserver
    void timeLimitSet(qint32 seconds, bool hasLimit) override;
    void remainingChanged(int remaining) override;
    void questionShown(const QuestionItem& question, bool isRetry) override;
    void typedAnswerChanged(const QString& typed) override;
    void correctAnswerShown(int answer) override;
    void refreshRequested() override;
    void confirmPromptShown() override;
    void confirmPromptHidden() override;
    void correctAnswerHidden() override;
    void clockRunningChanged(bool running) override;
    void elapsedChanged(qint32 seconds) override;
    void answerJudged(const AnsweredQuestion& answer) override;
    void attemptEnded(const DrillEnding& ending) override;

    // HandOffObserver
    void handOffBegun(bool timedOut) override;
    bool retryRecording(const Error& error) override;
    void attemptRecorded() override;
    void recordingGivenUp() override;

    void buildControls();
    void buildStatusStrip();
    void setBackground(bool retry);
    void showStatusFigures();
    void showMinutes();
    // The run's attempt has ended (ProgramRun::endAttempt), or there was none to run.
    bool attemptOver() const;
    // Leaves without an end screen (no questions, or the recording was given up).
    void leaveToLevelMenu();
    // No more ticks; the navigator may close the window now.
    void stopForGood();

    AppContext context_;
    std::unique_ptr<DrillEngine> engine_;
    AttemptHandOff handOff_;
    TimeBarLayout bar_;
    bool activated_ = false;
    bool closeAllowed_ = false;

    QFrame* sPicture1_ = nullptr; // the status strip along the top
    QLabel* sLabel2_ = nullptr;   // program title
    QLabel* sLabel14_ = nullptr;  // site name
    QLabel* sLabel7_ = nullptr;   // student name
    QLabel* sLabel13_ = nullptr;  // minutes since the start
    QLabel* sLabel12_ = nullptr;  // attempt number today
    QLabel* sLabel11_ = nullptr;  // attempt number at this level
    QLabel* sLabel8_ = nullptr;   // level name
    QLabel* sLabel9_ = nullptr;   // remaining questions
    QLabel* sLabel10_ = nullptr;  // elapsed seconds
    QWidget* timeBar_ = nullptr;  // the time bar under the strip
    QFrame* sShape5_ = nullptr;   // white, the whole limit
    QFrame* sShape4_ = nullptr;   // minimum-line time
    QFrame* sShape3_ = nullptr;   // target time
    QFrame* sShape2_ = nullptr;   // elapsed time
    QFrame* sShape7_ = nullptr;   // red, never grows

    QLabel* commandkakunin2_ = nullptr; // "press + twice" after a wrong answer
    QLabel* qLabel1_ = nullptr;         // the table number of the question
    QLabel* label6_ = nullptr;          // the times sign
    QLabel* qlabel2_ = nullptr;         // the multiplicand of the question
    QLabel* label2_ = nullptr;          // the equals sign
    QLabel* inputLabel_ = nullptr;      // the answer as typed
    QLabel* seitouLabel_ = nullptr;     // the correct answer after a wrong one
    QLabel* label5_ = nullptr;          // help: Space judges
    QLabel* label1_ = nullptr;          // help: arrows and Return clear

    QFrame* sPicture2_ = nullptr; // the closing panel over the whole screen
    QLabel* lblsss1_ = nullptr;   // "成績記録中"
    QLabel* lblsss2_ = nullptr;   // "時間切れ"

    QTimer* sTimer1_ = nullptr; // the attempt clock, one tick a second
    QTimer* sTimer2_ = nullptr; // refreshes the minutes since the start
};

} // namespace kz
