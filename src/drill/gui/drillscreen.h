#pragma once

#include "core/gui/appcontext.h"
#include "drill/drillengine.h"
#include "drill/drillscreenlogic.h"

#include <QWidget>

#include <memory>

class QFrame;
class QLabel;
class QTimer;

namespace kz {

// The drill screen: one timed attempt at the current level. It owns a fresh drill engine,
// gives it every key before any control sees it and one clock tick a second, and shows
// what the engine reports. When the attempt ends it hands off: covers itself with the
// recording panel, records the attempt, pauses a second, closes and opens the end screen.
//
// Created anew for every attempt (see launchDrill); deletes itself after the hand-off.
// The window cannot be closed while the attempt runs: only the hand-off closes it.
class DrillScreen final : public QWidget, private DrillObserver {
    Q_OBJECT
public:
    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 768;
    static constexpr int kTimer1IntervalMs = 1000;
    static constexpr int kTimer2IntervalMs = 10000;
    static constexpr int kResultPauseMs = 1000;
    static constexpr int kTimeBarWidth = 1001;

    // recorder stores the attempt once it has ended (the results store's recording step).
    DrillScreen(const AppContext& context, AttemptRecorder recorder, QWidget* parent = nullptr);
    ~DrillScreen() override;

    // The setup of a shown screen: engine steps, status strip, first question. Showing the
    // screen runs it once; later calls do nothing.
    void activate();
    bool isActivated() const { return activated_; }

    const DrillEngine& engine() const { return *engine_; }
    // The attempt is under way: shown, with questions, and not yet handed off.
    bool attemptRunning() const;
    bool handOffBegun() const { return handOffBegun_; }

    // The end-of-attempt hand-off; runs once per screen, later calls do nothing.
    void finishAttempt();
    // Waits the given time while the screen stays alive, then closes the screen and opens
    // the end screen.
    void pauseThenShowResult(int milliseconds);

    // One press of a key as the engine takes it (key-down first, then the character).
    void handleKey(int qtKey, const QString& text);

    // Timer handlers: sTimer1 (the attempt clock) and sTimer2 (minutes since the start).
    void onSTimer1();
    void onSTimer2();

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

    void buildControls();
    void buildStatusStrip();
    void setBackground(bool retry);
    void showStatusFigures();
    void showMinutes();
    bool askRecordingRetry(const QString& error);
    // Leaves without an end screen (no questions, or the recording was given up).
    void leaveToLevelMenu();
    void closeForGood();

    AppContext context_;
    AttemptRecorder recorder_;
    std::unique_ptr<DrillEngine> engine_;
    TimeBarLayout bar_;
    bool activated_ = false;
    bool handOffBegun_ = false;
    bool closing_ = false;

    QFrame* sPicture1_ = nullptr;
    QLabel* sLabel2_ = nullptr;  // program title
    QLabel* sLabel14_ = nullptr; // site name
    QLabel* sLabel7_ = nullptr;  // student name
    QLabel* sLabel13_ = nullptr; // minutes since the start
    QLabel* sLabel12_ = nullptr; // attempt number today
    QLabel* sLabel11_ = nullptr; // attempt number at this level
    QLabel* sLabel8_ = nullptr;  // level name
    QLabel* sLabel9_ = nullptr;  // remaining questions
    QLabel* sLabel10_ = nullptr; // elapsed seconds
    QWidget* timeBar_ = nullptr;
    QFrame* sShape5_ = nullptr; // white, the whole limit
    QFrame* sShape4_ = nullptr; // minimum-line time
    QFrame* sShape3_ = nullptr; // target time
    QFrame* sShape2_ = nullptr; // elapsed time
    QFrame* sShape7_ = nullptr; // red, never grows

    QLabel* commandkakunin2_ = nullptr;
    QLabel* qLabel1_ = nullptr;
    QLabel* label6_ = nullptr;
    QLabel* qlabel2_ = nullptr;
    QLabel* label2_ = nullptr;
    QLabel* inputLabel_ = nullptr;
    QLabel* seitouLabel_ = nullptr;
    QLabel* label5_ = nullptr;
    QLabel* label1_ = nullptr;

    QFrame* sPicture2_ = nullptr;
    QLabel* lblsss1_ = nullptr;
    QLabel* lblsss2_ = nullptr;

    QTimer* sTimer1_ = nullptr;
    QTimer* sTimer2_ = nullptr;
};

// The drill launch: a clean attempt state (finished, recordingStarted, timedOut 0),
// pending screen updates run, then a new drill screen for currentLevel is shown and
// returned. The screen deletes itself after its hand-off.
DrillScreen* launchDrill(const AppContext& context, AttemptRecorder recorder);

} // namespace kz
