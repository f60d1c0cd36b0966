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
class SplashScreen : public QWidget {
    Q_OBJECT
public:
    SplashScreen(QDate today, std::function<void()> onTimer, QWidget* parent = nullptr);

    // Shows the window and lets it paint, fills Label5 with the era date, enables Timer1.
    void load();

    // The title picture, 640 x 480, drawn in code.
    static QPixmap titlePicture();

private:
    void timerTick();

    QDate today_;
    std::function<void()> onTimer_;
    QLabel* image1_ = nullptr;
    QLabel* label1_ = nullptr;
    QLabel* label5_ = nullptr;
    QTimer* timer1_ = nullptr;
};

} // namespace kz
