#pragma once

#include "platform/outcome.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

namespace kz {

class ProgramRun;

// The state of the pass-criteria editor: the grid of texts (one row per level, twelve
// field columns), the yellow marks of typed changes, the current cell, the selection's
// end row, the text of the input box over the current cell and the changed flag.
//
// Grid coordinates are those the teacher sees: row 0 is the header, rows 1..N the levels;
// column 0 the level number, columns 1..12 the fields. The current cell is always within
// rows 1..N and columns 1..12 (row 0 while the grid has no level rows).
class CriteriaEditor {
public:
    static constexpr int kFieldColumns = 12;
    static constexpr int kColumns = 13; // the level column and the twelve fields
    // The caret goes to this character position (or the end of shorter text).
    static constexpr int kCaretPosition = 10;

    using Row = std::array<QString, kFieldColumns>;

    enum class Key { Escape, Enter, Up, Down, ShiftDown, Left, Right, Space, Other };

    // What a key-down asks of the screen.
    struct KeyResult {
        bool consumed = false;     // the key does not reach the input box
        bool refresh = false;      // input box, position, help and distribution to be shown again
        bool currentMoved = false; // the current cell changed
    };

    // "元に戻す": reads the criteria file through the run into the grid (rows 1..N, no
    // yellow marks). The changed flag is left as it was; the current cell stays, held
    // within the new rows, and the input box takes its text. A file that cannot be read
    // leaves the grid as it was.
    Status load(ProgramRun& run);
    // Fills the grid from rows already read (tests, and load()).
    void setRows(const QList<Row>& rows);

    // "更新記録": writes header and rows 1..N to the file through the run, replacing it
    // only once the whole file is written, then clears the changed flag; the run reads it
    // back into the table the next attempt uses. A failed write leaves the file, the grid,
    // its marks and the changed flag as they were.
    Status save(ProgramRun& run);

    // A key pressed in the input box. Space empties the input box (and with it the cell).
    KeyResult keyDown(Key key);
    // A click on a grid cell. Clicks on the header row or the level column do nothing.
    bool click(int row, int column);
    // The input box text changed (typing): marks the cell yellow when the text differs
    // from the cell's, then copies it into the cell.
    void TextToGrid転送(const QString& inputText);
    // Copies the current cell into the input box.
    void GridToText転送();

    int lastRow() const { return static_cast<int>(rows_.size()); }
    int currentRow() const { return row_; }
    int currentColumn() const { return column_; }
    int selectionEndRow() const { return selectionEnd_; }
    bool changed() const { return changed_; }
    const QString& inputText() const { return input_; }
    int caretPosition() const;

    // Text of any grid cell, header row and level column included; empty outside the grid.
    QString cellText(int row, int column) const;
    bool marked(int row, int column) const;
    const QList<Row>& rows() const { return rows_; }
    // What the teacher should know about the last load (lines the grid does not hold).
    const QString& loadNotice() const { return notice_; }

    // The level whose results the distribution shows: the current row.
    int currentLevel() const { return row_; }

    // Explanation of a grid column (empty for the level column and columns 10 to 12).
    static QStringList columnHelp(int column);
    // Text of the header row's cell in a column.
    static QString headerText(int column);

private:
    void moveTo(int row, int column);
    void holdCurrentInside();

    QList<Row> rows_;
    QList<std::array<bool, kFieldColumns>> marks_;
    int row_ = 0;
    int column_ = 1;
    int selectionEnd_ = 0;
    bool changed_ = false;
    QString input_;
    QString notice_;
};

} // namespace kz
