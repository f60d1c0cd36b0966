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
class RecordBrowserScreen final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecordBrowserScreen)
public:
    // The browser reads and changes the results file through the context's run.
    explicit RecordBrowserScreen(AppContext& context, QWidget* parent = nullptr);
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

    QFrame* picture1_ = nullptr; // the blank cover shown while the screen hands over
    QFrame* picture3_ = nullptr; // the edit panel over the list, open on one record
    QListView* list1_ = nullptr; // every record of the results file, one line each
    QLabel* label1_ = nullptr;   // the record number being edited
    // Label2(0) "秒" after the time, (1) the record's level, (2) its date, (4) the grade of
    // the student chosen in Combo1; (3) is not used.
    QLabel* label2_[5] = {};
    QLineEdit* text1_ = nullptr;      // the record's time in seconds, editable
    QScrollBar* vscroll1_ = nullptr;  // steps the time up and down
    QComboBox* combo1_ = nullptr;     // the student the record belongs to, from the roster
    QPushButton* command2_ = nullptr; // "変更して記録": writes the changed record
    QPushButton* command3_ = nullptr; // "消去": removes the record
    QPushButton* command6_ = nullptr; // "キャンセル": closes the edit panel
    QPushButton* command4_ = nullptr; // "戻る": back to a new level menu
};

} // namespace kz
