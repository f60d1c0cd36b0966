#pragma once

#include "core/gui/appcontext.h"
#include "levelmenu/availability.h"
#include "levelmenu/levelmenutexts.h"
#include "reports/resultsdisplay.h"
#include "reports/resultstables.h"

#include <QWidget>

#include <memory>
#include <vector>

class QButtonGroup;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace kz {

class FolderPicker;
class GraphPanel;
class ReportPrinter;
class ResultsListModel;

// What the level menu calls outside itself besides the run and the navigator.
struct LevelMenuHooks {
    // Where the graph panel prints; null: the system's printers through the print dialog.
    ReportPrinter* printer = nullptr;
    // Where the graph panel saves PDF files without a printer; null: the folder dialog.
    FolderPicker* folders = nullptr;
    // The run's table builder, kept from one level menu to the next (its collation keys
    // and its last rankings); it must read the run's tables for the menu's level count.
    // Null: the menu builds with one of its own.
    ResultsTableBuilder* tables = nullptr;
};

// The widgets of one level column (element L of each control array).
struct LevelColumn {
    QLabel* label1 = nullptr;            // level number
    QLabel* label3 = nullptr;            // level name; a click starts the level
    QPushButton* command4 = nullptr;     // start button
    QLabel* text1 = nullptr;             // "やりすぎ禁止" overlay
    QLabel* label9 = nullptr;            // "今日"
    QLabel* label10 = nullptr;           // "今まで"
    QLabel* label14 = nullptr;           // today's figures
    QLabel* label15 = nullptr;           // figures so far
    QLabel* label8 = nullptr;            // pass-period figures
    QListView* list5 = nullptr;          // results list
    ResultsListModel* results = nullptr; // its lines
    QLabel* label7 = nullptr;            // criteria line
    QPushButton* command3 = nullptr;     // hidden per-level ranking button
};

// The level menu: one column per level with its start button, criteria, the student's
// figures and a results list; the header shows who practises and how much today.
// Element 0 of the per-level control arrays (the template) has no widget: columns are
// built directly for levels 1..levelCount.
class LevelMenuScreen final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LevelMenuScreen)

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
    // The results options chosen (display, table, period 1..5, 3 when the screen loads).
    const ResultsDisplay& resultsDisplay() const { return display_; }
    int period() const { return display_.period(); }
    int firstVisibleLevel() const;

    // Builds the results lists again for the options chosen: start buttons and "戻る(0)"
    // off and the lists hidden behind the progress panel while the lines are made, then
    // the lists shown and the level availability decided again.
    void rebuildResults();
    // Puts built tables into the level columns: the heading, every level's lines, the
    // lists' colours, each list scrolled to its top row with no line selected.
    void showTables(const ResultsTables& tables);
    // "個人ﾀｲﾑ": the student's own attempts under every level, and the graph button.
    void showPersonalTimes();
    // The graph panel `Picture11` with the personal reports ("グラフ" opens it).
    GraphPanel* graphPanel() const { return graphPanel_; }
    bool rebuilding() const { return rebuilding_; }

    // The ways to start or leave; each checks what the buttons check.
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
    void scrollColumnsTo(int value); // HScroll1 moved: value is the first visible level
    bool mayStart(int level) const;
    enum class LevelStart { ButtonOrKey, NameClick };
    // The one start path: currentLevel, then the drill; only the wait panel differs.
    void startSelectedLevel(int level, LevelStart how);
    bool handleKey(const QString& text);
    void openTeacherPanel();
    void teacherChoice(int k);
    // No more keys; the navigator shows the next screen and then closes this one.
    void leaveThrough(void (Navigator::*handOver)());
    void showWaitPanel();
    void hideWaitPanel();
    void displayChosen(int option2);
    void tableChosen(int option1);
    void periodChosen(int index);
    void gradeFilterChosen();
    void setTableCaptions(const QStringList& captions);
    void beginRebuild();
    void endRebuild();
    void clearLists();

    AppContext& context_;
    LevelMenuHooks hooks_;
    ColumnGeometry geometry_;
    AvailabilityDecision availability_;
    std::vector<LevelColumn> columns_; // slot 0 empty
    ResultsDisplay display_;
    std::unique_ptr<ResultsTableBuilder> ownBuilder_;
    ResultsTableBuilder* builder_ = nullptr; // the hooks' or the own one
    std::vector<int> topRows_;               // per level: the row each list shows at its top
    bool settingOptions_ = false;
    bool rebuilding_ = false;
    bool activated_ = false;
    bool activating_ = false;
    bool keysAccepted_ = false;
    bool leaving_ = false;
    bool activationQueued_ = false;

    QLabel* label5_ = nullptr;                  // title of the results lists
    QLabel* label11_ = nullptr;                 // program title
    QLabel* label12_ = nullptr;                 // grade and name of the student
    QLabel* label13_ = nullptr;                 // site name and student number
    QLabel* label17_ = nullptr;                 // minutes since the name was confirmed
    QLabel* label18_ = nullptr;                 // today's attempts on every level
    QPushButton* command1_ = nullptr;           // "戻る(0)"
    QPushButton* command8_ = nullptr;           // "データ処理", teachers only
    QComboBox* combo1_ = nullptr;               // grade filter of the results lists
    QComboBox* combo2_ = nullptr;               // period of the all-attempts table
    QButtonGroup* option1Group_ = nullptr;      // which table
    QRadioButton* option1_[4] = {};             // the tables
    QButtonGroup* option2Group_ = nullptr;      // which display
    QRadioButton* option2_[3] = {};             // times, points, personal times
    QScrollBar* hscroll1_ = nullptr;            // scrolls the level columns
    QFrame* picture2_ = nullptr;                // wait panel over the whole screen
    QLabel* label19_ = nullptr;                 // its "Just a moment, please."
    QProgressBar* progressBar1_ = nullptr;      // its progress
    QFrame* picture6_ = nullptr;                // wait panel over the columns while lists build
    QProgressBar* progressBar2_ = nullptr;      // its progress
    QFrame* picture7_ = nullptr;                // the teachers' password panel
    QLineEdit* text3_ = nullptr;                // the password
    GraphPanel* graphPanel_ = nullptr;          // Picture11
    QPushButton* command17_ = nullptr;          // "グラフ"
    std::unique_ptr<ReportPrinter> ownPrinter_; // when the hooks bring none
    std::unique_ptr<FolderPicker> ownFolders_;  // when the hooks bring none
};

} // namespace kz
