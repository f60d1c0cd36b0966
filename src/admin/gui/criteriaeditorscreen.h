#pragma once

#include "admin/criteriaeditor.h"
#include "core/gui/appcontext.h"

#include <QWidget>

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace kz {

// The pass-criteria editor "FrmTimeData": the criteria of every level in a grid, edited
// through an input box laid over the current cell, and beside it how the recorded times of
// the current row's level spread over ten-second bands. Opened from the teachers' panel of
// the level menu; "戻る" leads to a new level menu. Deletes itself when closed.
class CriteriaEditorScreen final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CriteriaEditorScreen)
public:
    explicit CriteriaEditorScreen(const AppContext& context, QWidget* parent = nullptr);
    ~CriteriaEditorScreen() override;

    const CriteriaEditor& editor() const { return editor_; }

    // The three buttons.
    void revert(); // "元に戻す"
    bool save();   // "更新記録"; false when nothing was written (the edits stay)
    void goBack(); // "戻る"
    // A click on grid cell (row, column) in the teacher's numbering (row 1 = level 1).
    void clickCell(int row, int column);

    bool waitPanelShown() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void sizeGrid();
    void showGrid();
    void showCell(int row, int column);
    void positionInput();
    void showInputText();
    void fillDistribution();
    void showWaitPanel();
    void hideWaitPanel();
    void storeTypedText(const QString& text);
    void markInput(); // the input box's text red while the cell holds no sensible number

    AppContext context_;
    CriteriaEditor editor_;
    bool leaving_ = false;
    QString notice_; // what the teacher should know about the grid's file, shown in Label4

    QFrame* picture1_ = nullptr;      // the whole screen's panel that holds every control
    QLabel* label4_ = nullptr;        // what the teacher should know about the file (in red)
    QLabel* label3_ = nullptr;        // the help lines of the current column
    QTableWidget* grid_ = nullptr;    // MSFlexGrid1: the criteria, one row per level
    QLineEdit* input_ = nullptr;      // Gridinputtext: the box laid over the current cell
    QListWidget* list3_ = nullptr;    // how all recorded times of the level spread over bands
    QListWidget* list4_ = nullptr;    // how the students' best times of the level spread
    QPushButton* command2_ = nullptr; // "元に戻す": reads the file again
    QPushButton* command3_ = nullptr; // "更新記録": saves the grid
    QPushButton* command4_ = nullptr; // "戻る": back to a new level menu
    QFrame* picture6_ = nullptr;      // the wait panel "Just a moment,please." while saving or leaving
};

} // namespace kz
