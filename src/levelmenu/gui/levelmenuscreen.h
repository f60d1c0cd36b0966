#pragma once

#include "core/gui/appcontext.h"
#include "levelmenu/availability.h"
#include "levelmenu/levelmenutexts.h"

#include <QWidget>

#include <functional>
#include <vector>

class QButtonGroup;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace kz {

class LevelMenuScreen;

// What the level menu calls outside itself besides the navigator.
struct LevelMenuHooks {
    // Rebuilds state.statistics from the results file; run at every activation.
    std::function<void()> refreshStatistics;
    // Builds the results lists of the level columns for the current options (ranking by
    // points so far at activation); also run when the grade filter changes. May be empty.
    std::function<void(LevelMenuScreen&)> buildResults;
};

// The widgets of one level column (element L of each control array).
struct LevelColumn {
    QLabel* label1 = nullptr;        // level number
    QLabel* label3 = nullptr;        // level name; a click starts the level
    QPushButton* command4 = nullptr; // start button
    QLabel* text1 = nullptr;         // "やりすぎ禁止" overlay
    QLabel* label9 = nullptr;        // "今日"
    QLabel* label10 = nullptr;       // "今まで"
    QLabel* label14 = nullptr;       // today's figures
    QLabel* label15 = nullptr;       // figures so far
    QLabel* label8 = nullptr;        // pass-period figures
    QListWidget* list5 = nullptr;    // results list
    QLabel* label7 = nullptr;        // criteria line
    QPushButton* command3 = nullptr; // hidden per-level ranking button
};

// The level menu: one column per level with its start button, criteria, the student's
// figures and a results list; the header shows who practises and how much today.
// Element 0 of the per-level control arrays (the template) has no widget: columns are
// built directly for levels 1..levelCount.
class LevelMenuScreen : public QWidget {
    Q_OBJECT
public:
    LevelMenuScreen(AppContext& context, LevelMenuHooks hooks, QWidget* parent = nullptr);
    ~LevelMenuScreen() override;

    // Runs the activation: header, statistics refresh, results lists, figures, availability.
    // Runs by itself once the screen is first shown; level keys are accepted afterwards.
    void activate();
    bool isActivated() const { return activated_; }
    bool levelKeysAccepted() const { return keysAccepted_; }
    bool teacherPanelOpen() const;
    bool waitPanelShown() const;

    // Decides again which start buttons may be used (after every rebuild of the lists).
    void applyAvailability();
    const AvailabilityDecision& availability() const { return availability_; }

    int levelCount() const { return static_cast<int>(columns_.size()) - 1; }
    // Element L of the column arrays; nullptr members for levels outside 1..levelCount.
    const LevelColumn& column(int level) const;
    // Text of the grade filter Combo1, as the results tables read it.
    QString gradeFilterText() const;
    // Period of the all-attempts table, 1..5 (3 when the screen loads).
    int period() const { return period_; }
    void setPeriod(int period) { period_ = period; }
    int firstVisibleLevel() const;

    // The three ways to start or leave; each checks what the buttons check.
    void startLevel(int level);         // start button or level key
    void startLevelFromName(int level); // click on the level name
    void goBack();                      // "戻る(0)"

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildHeader();
    void buildColumns();
    void buildPanels();
    void placeColumns();
    void onScroll(int value);
    bool mayStart(int level) const;
    bool handleKey(const QString& text);
    void openTeacherPanel();
    void teacherChoice(int k);
    // No more keys; the navigator shows the next screen and this one closes, unless the
    // hand-over has already closed it.
    void leaveThrough(void (Navigator::*handOver)());
    void showWaitPanel();
    void hideWaitPanel();

    AppContext& context_;
    LevelMenuHooks hooks_;
    ColumnGeometry geometry_;
    AvailabilityDecision availability_;
    std::vector<LevelColumn> columns_; // slot 0 empty
    int period_ = 3;
    bool activated_ = false;
    bool activating_ = false;
    bool keysAccepted_ = false;
    bool leaving_ = false;
    bool activationQueued_ = false;

    QLabel* label5_ = nullptr;
    QLabel* label11_ = nullptr;
    QLabel* label12_ = nullptr;
    QLabel* label13_ = nullptr;
    QLabel* label17_ = nullptr;
    QLabel* label18_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command8_ = nullptr;
    QComboBox* combo1_ = nullptr;
    QComboBox* combo2_ = nullptr;
    QButtonGroup* option1Group_ = nullptr;
    QRadioButton* option1_[4] = {};
    QScrollBar* hscroll1_ = nullptr;
    QFrame* picture2_ = nullptr;
    QLabel* label19_ = nullptr;
    QProgressBar* progressBar1_ = nullptr;
    QFrame* picture6_ = nullptr;
    QFrame* picture7_ = nullptr;
    QLineEdit* text3_ = nullptr;
    QFrame* picture11_ = nullptr;
    QPushButton* command24_[2] = {};
};

} // namespace kz
