#pragma once

#include <QDate>
#include <QPixmap>
#include <QWidget>

#include <functional>

class QLabel;
class QTimer;

namespace kz {

// The splash window shown while the program starts. Once loaded, its one-shot timer
// (Timer1, 100 ms) runs the start-up step the program hands in (resolving the
// installation and opening the first screen) and then closes the splash.
class SplashScreen final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SplashScreen)
public:
    SplashScreen(QDate today, std::function<void()> startup, QWidget* parent = nullptr);

    // Shows the window and lets it paint, fills Label5 with the era date, enables Timer1.
    void load();

    // The title picture, 640 x 480, as stored with the program.
    static QPixmap titlePicture();

private:
    void runStartup(); // Timer1: the start-up step, then the splash closes

    QDate today_;                   // the day whose era date Label5 shows
    std::function<void()> startup_; // the start-up step run once by Timer1
    QLabel* image1_ = nullptr;      // the title picture
    QLabel* label1_ = nullptr;      // "Just a moment, please." at the right of the strip
    QLabel* label5_ = nullptr;      // today's date in the Japanese era calendar
    QTimer* timer1_ = nullptr;      // one shot, 100 ms after loading: runs the start-up step
};

} // namespace kz
