#pragma once

#include "core/gui/appcontext.h"
#include "result/evaluation.h"

#include <QPixmap>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QTimer;

namespace kz {

// The end screen "終了": shows the verdict of the attempt just stored, plays its sounds, and
// half a second later offers the way on ("メニューへ", and "もう一度" unless the level has
// been overdone). Created anew for every stored attempt; deletes itself when closed.
//
// The evaluation runs once, when the screen is first shown. While the sounds play, pending
// events are processed between them, so the timer and the buttons stay alive.
class EndScreen final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EndScreen)

public:
    static constexpr int kTimer1IntervalMs = 500;

    explicit EndScreen(const AppContext& context, QWidget* parent = nullptr);
    ~EndScreen() override;

    // Replaces the way pending events are let run between sounds (tests).
    void setEventPump(std::function<void()> pump);

    // Runs the evaluation and shows it, if it has not run yet. Showing the screen calls it.
    void activate();
    bool isActivated() const { return activated_; }
    const AttemptVerdict& verdict() const { return verdict_; }

    // The background picture, drawn for a 1024 x 768 window.
    static QPixmap drawBackground();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void showVerdict();
    void offerWayOn(); // Timer1, half a second after the verdict
    void backToMenu(); // Command4 "メニューへ"
    void retryLevel(); // Command5 "もう一度"

    AppContext context_;
    std::function<void()> pump_;
    AttemptVerdict verdict_;
    bool activated_ = false;
    bool activationDone_ = false;
    bool leaving_ = false;

    QLabel* image1_ = nullptr;        // the background picture
    QLabel* label15_ = nullptr;       // program title
    QLabel* label14_ = nullptr;       // today's attempts on all levels
    QLabel* label16_ = nullptr;       // level name
    QLabel* label13_ = nullptr;       // today's attempts on this level
    QLabel* label17_ = nullptr;       // student name
    QLabel* label18_ = nullptr;       // time
    QLabel* label19_ = nullptr;       // points
    QLabel* label20_ = nullptr;       // record message
    QLabel* label2_ = nullptr;        // cleared line / next-level hint
    QWidget* picture1_ = nullptr;     // the banner over the verdict
    QLabel* label1_ = nullptr;        // banner text
    QPushButton* command4_ = nullptr; // "メニューへ"
    QPushButton* command5_ = nullptr; // "もう一度"
    QTimer* timer1_ = nullptr;        // the half second before the way on is offered
};

} // namespace kz
