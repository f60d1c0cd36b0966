#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace kz {

// The version window: program title, version and maker. Opened modally.
class VersionWindow final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(VersionWindow)
public:
    explicit VersionWindow(const QString& programTitle, QWidget* parent = nullptr);
    // Places the window centred over another window (over the screen without one).
    void centreOver(const QWidget* other);
    // Opens the window modally, centred over parent, and returns once it is closed.
    static void showModal(const QString& programTitle, QWidget* parent);

private:
    QFrame* shape1_ = nullptr;        // the box drawn around the three lines
    QLabel* label1_ = nullptr;        // the program title
    QLabel* label2_ = nullptr;        // the version
    QLabel* label4_ = nullptr;        // the maker
    QPushButton* command1_ = nullptr; // "O.K.": closes the window
    QPushButton* command2_ = nullptr; // kept for the layout; never shown
};

} // namespace kz
