#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace kz {

// The version window: program title, version and maker. Opened modally.
class VersionWindow : public QDialog {
    Q_OBJECT
public:
    explicit VersionWindow(const QString& programTitle, QWidget* parent = nullptr);
    // Places the window centred over another window (over the screen without one).
    void centreOver(const QWidget* other);
    // Opens the window modally, centred over parent, and returns once it is closed.
    static void showModal(const QString& programTitle, QWidget* parent);

private:
    QFrame* shape1_ = nullptr;
    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
    QLabel* label4_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;
};

} // namespace kz
