#pragma once

#include "admin/recordbrowser.h"
#include "core/gui/appcontext.h"

#include <QWidget>

#include <memory>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QScrollBar;

namespace kz {

// FrmData: every record of the results file as one line of List1; a double click opens
// the edit panel Picture3 on that record, where the teacher changes its time and student
// ("変更して記録") or removes it ("消去"). "戻る" leads to a new level menu. The list, the
// file operations and the texts are RecordBrowser's; the screen shows them.
class RecordBrowserScreen : public QWidget {
    Q_OBJECT
public:
    // options: how a change or removal waits while another station holds the results
    // file (the program passes a wait that keeps the screens alive).
    explicit RecordBrowserScreen(AppContext& context, MaintenanceOptions options = {},
                                 QWidget* parent = nullptr);
    ~RecordBrowserScreen() override;

    RecordBrowser& browser() { return *browser_; }
    bool editPanelOpen() const;
    int selectedRow() const;

    // The controls' events, also for the tests.
    void selectRow(int row); // a selection made by the program; hides the edit panel
    void openRow(int row);   // double click on a line
    void changeRecord();     // "変更して記録"
    void removeRecord();     // "消去"
    void cancelEdit();       // "キャンセル"
    void goBack();           // "戻る"

private:
    void buildControls();
    void rebuild();
    void refillStudents(); // Combo1 from the roster the list was last built with
    void hideEditPanel();
    void showError(const Error& error);

    AppContext& context_;
    std::unique_ptr<RecordBrowser> browser_;
    bool leaving_ = false;

    QFrame* picture1_ = nullptr;
    QFrame* picture3_ = nullptr;
    QListView* list1_ = nullptr;
    QLabel* label1_ = nullptr;
    QLabel* label2_[5] = {};
    QLineEdit* text1_ = nullptr;
    QScrollBar* vscroll1_ = nullptr;
    QComboBox* combo1_ = nullptr;
    QPushButton* command2_ = nullptr;
    QPushButton* command3_ = nullptr;
    QPushButton* command6_ = nullptr;
    QPushButton* command4_ = nullptr;
};

} // namespace kz
