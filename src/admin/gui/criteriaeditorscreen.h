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
    void onTyped(const QString& text);

    AppContext context_;
    CriteriaEditor editor_;
    bool leaving_ = false;
    QString notice_; // what the teacher should know about the grid's file, shown in Label4

    QFrame* picture1_ = nullptr;
    QLabel* label4_ = nullptr;
    QLabel* label3_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QLineEdit* input_ = nullptr;
    QListWidget* list3_ = nullptr;
    QListWidget* list4_ = nullptr;
    QPushButton* command2_ = nullptr;
    QPushButton* command3_ = nullptr;
    QPushButton* command4_ = nullptr;
    QFrame* picture6_ = nullptr;
};

} // namespace kz
