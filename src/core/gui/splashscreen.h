#pragma once

#include <QDate>
#include <QPixmap>
#include <QWidget>

#include <functional>

class QLabel;
class QTimer;

namespace kz {

// The splash window shown while the program starts. Once loaded, its one-shot timer
// (Timer1, 100 ms) runs the start-up step the program hands in (opening the first
// screen) and then closes the splash.
//
// The step may come in two parts. `prepare` (resolving the installation, building the
// first screen hidden with its list) runs as soon as the splash is painted, while Timer1
// counts: the splash is up for its 100 ms either way, and the work is done by then.
// `startup` (showing that screen) runs when Timer1 fires, never before `prepare` has
// returned: a message of `prepare` still open when Timer1 fires holds it back until the
// message is closed. A `prepare` that returns false ends the start: `startup` never
// runs and the splash closes.
class SplashScreen final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SplashScreen)
public:
    // prepare may be empty: the timer then runs startup alone.
    SplashScreen(QDate today, std::function<bool()> prepare, std::function<void()> startup,
                 QWidget* parent = nullptr);

    // Shows the window and lets it paint, fills Label5 with the era date, enables Timer1.
    void load();

    // The title picture, 640 x 480, as stored with the program.
    static QPixmap titlePicture();

private:
    void runPrepare(); // once painted: the first part of the step
    void runStartup(); // Timer1: the start-up step, then the splash closes

    QDate today_;                   // the day whose era date Label5 shows
    std::function<bool()> prepare_; // run once the splash is painted; may be empty
    std::function<void()> startup_; // the start-up step run once by Timer1
    bool prepared_ = false;         // prepare_ has returned true (or there is none)
    bool due_ = false;              // Timer1 fired before prepare_ had returned
    QLabel* image1_ = nullptr;      // the title picture
    QLabel* label1_ = nullptr;      // "Just a moment, please." at the right of the strip
    QLabel* label5_ = nullptr;      // today's date in the Japanese era calendar
    QTimer* timer1_ = nullptr;      // one shot, 100 ms after loading: runs the start-up step
};

} // namespace kz
