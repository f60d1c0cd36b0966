#pragma once

#include <QWidget>

class QLabel;

namespace kz {

// The waiting window shown while an attempt is recorded and while the level menu is
// rebuilt; the screen that follows closes it.
class WaitWindow : public QWidget {
    Q_OBJECT
public:
    explicit WaitWindow(QWidget* parent = nullptr);
    // Shows the window and lets pending screen updates run; nothing else.
    void showAndPaint();

private:
    QLabel* label19_ = nullptr;
};

} // namespace kz
