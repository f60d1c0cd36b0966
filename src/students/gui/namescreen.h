#pragma once

#include "core/gui/appcontext.h"

#include <QString>
#include <QWidget>

#include <functional>

class QButtonGroup;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace kz {

class ProcessLauncher;

// What the name screen needs beyond the application context.
struct NameSelSeams {
    // Opens the version window modally, centred over the given screen. May be empty.
    std::function<void(QWidget* over)> openVersionWindow;
    // Starts the program-menu launcher. Required for leaving to the program menu.
    ProcessLauncher* launcher = nullptr;
    // The first screen of the program: built with its list while the splash window is up
    // and says "Just a moment, please.", and left hidden; whoever made it shows it, once,
    // with its list, instead of with its wait panel first.
    bool builtHidden = false;
};

// The name-selection screen: a student picks their own name from the roster, with
// today's and all-time figures beside every name, and confirms it; confirming makes
// the student current and hands over to the level menu. "ﾌﾟﾟﾛｸﾞﾗﾑメニューへ(0)"
// starts the program menu and ends the program.
class NameScreen final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(NameScreen)

public:
    NameScreen(AppContext& context, NameSelSeams seams, QWidget* parent = nullptr);
    ~NameScreen() override;

    // Rebuilds the list: statistics refresh, roster read with today's date, one line per
    // listed student passing the grade filter, in listing order; selects line 0.
    void 名簿表示();
    // Makes the chosen student current and hands over to the level menu; without a
    // chosen name only plays the wrong-answer sound.
    void confirm();
    // Starts the program menu and ends the program.
    void leaveForProgramMenu();

    int displayMode() const { return mode_; }
    QString gradeFilter() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void activate();
    void selectLine(int row);
    void chooseMode(int mode);
    void pickFilter(int index);
    // Remembers the student of the selected line (kNoChoice: none) and mirrors the number
    // into the hidden Label2.
    void choose(int bangou);
    bool handleKey(QObject* watched, QKeyEvent* key);

    AppContext& context_;
    NameSelSeams seams_;
    int mode_ = 1;
    QString handedOverFilter_;
    static constexpr int kNoChoice = -1;
    int chosenBangou_ = kNoChoice; // student number of the selected line
    bool rosterNoticeShown_ = false;
    bool handingOver_ = false;
    // While the list is rebuilt (the results file may be waited for, with events
    // running), confirming or leaving would pull the screen away underneath it.
    bool rebuilding_ = false;

    QFrame* picture4_ = nullptr;       // the title band along the top
    QLabel* label4_ = nullptr;         // program title; a click opens the version window
    QLabel* label1_ = nullptr;         // the chosen name, or the prompt to choose one
    QLabel* label2_ = nullptr;         // hidden: the chosen student number
    QPushButton* command7_ = nullptr;  // "ﾌﾟﾟﾛｸﾞﾗﾑメニューへ(0)"
    QLabel* standingNotice_ = nullptr; // what stays told: results not recorded, roster not Shift-JIS
    QPushButton* command14_ = nullptr; // "O.K.": confirms the chosen name
    QButtonGroup* modes_ = nullptr;    // which figures the list shows
    QComboBox* combo1_ = nullptr;      // grade filter of the list
    QListWidget* list1_ = nullptr;     // one line per listed student
    QList<int> lineBangou_;            // per line of list1_: its student (0 for the separator)
    QFrame* picture5_ = nullptr;       // wait panel over the whole screen
};

} // namespace kz
