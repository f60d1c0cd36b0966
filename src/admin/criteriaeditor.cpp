#include "admin/criteriaeditor.h"

#include "core/programrun.h"
#include "data/passcriteria.h"

#include <memory>

namespace kz {

int CriteriaEditor::caretPosition() const {
    return static_cast<int>(qMin<qsizetype>(kCaretPosition, input_.size()));
}

QString CriteriaEditor::headerText(int column) {
    if (column == 0)
        return QStringLiteral("レベル");
    if (column < 1 || column > kFieldColumns)
        return {};
    return passCriteriaHeader()[static_cast<size_t>(column - 1)];
}

QStringList CriteriaEditor::columnHelp(int column) {
    static const QList<QStringList> help{
        {QStringLiteral("合格基準タイム"),
         QStringLiteral("　大部分の人ががんばったら出せそうなタイムにしてください")},
        {QStringLiteral("合格最低ラインタイム"), QStringLiteral("  この５倍が時間切れになります")},
        {QStringLiteral("目標ポイント"), QStringLiteral("　　 目標ポイント")},
        {QStringLiteral("目標回数"), QStringLiteral("　　 目標回数")},
        {QStringLiteral("ポイント倍率"), QStringLiteral("  ポイントを何倍にして加算するか"),
         QStringLiteral("  むずかしいレベルや生徒のいやがるレベルは高くしてください")},
        {QStringLiteral("やりすぎ禁止回数"), QStringLiteral("  何回やったらやりすぎ禁止にするか")},
        {QStringLiteral("やりすぎ禁止ポイント"), QStringLiteral("  何ポイントとったらやりすぎ禁止にするか")},
        {QStringLiteral("合格判定をする日数"), QStringLiteral("　何日前からのポイントを有効にするか")},
        {QStringLiteral("やりすぎ判定をする日数"), QStringLiteral("　何日前からのポイントを有効にするか")},
    };
    if (column < 1 || column > help.size())
        return {};
    return help[column - 1];
}

Status CriteriaEditor::load(ProgramRun& run) {
    auto table = std::make_unique<PassCriteriaTable>();
    const Outcome<CriteriaLoadResult> loaded = run.readCriteria(table.get());
    if (!loaded)
        return makeError(loaded.error().kind == ErrorKind::NotFound ? ErrorKind::NotFound
                                                                    : ErrorKind::Unreadable,
                         QStringLiteral("合格タイムデータを読めません。"), loaded.error().text());
    // Lines beyond the 35 levels the program knows are not shown, and a save leaves them out.
    notice_ = loaded->truncated ? loaded->message : QString();
    QList<Row> rows;
    rows.reserve(table->levelLines);
    for (int level = 1; level <= table->levelLines; ++level) {
        const PassCriteria& criteria = table->row(level);
        Row row;
        for (int f = 0; f < kFieldColumns; ++f)
            row[static_cast<size_t>(f)] = criteria.texts[static_cast<size_t>(f)];
        rows.append(row);
    }
    setRows(rows);
    return {};
}

void CriteriaEditor::setRows(const QList<Row>& rows) {
    rows_ = rows;
    marks_.fill({}, rows_.size());
    holdCurrentInside();
    GridToText転送();
}

Status CriteriaEditor::save(ProgramRun& run) {
    // A grid that never got its rows would write a file of the header alone: every
    // level's criteria would be gone for every station.
    if (rows_.isEmpty())
        return makeError(ErrorKind::Refused, QStringLiteral("記録するレベルの行がありません。"));
    const Status saved = run.saveCriteria(rows_);
    // Unreadable: written, only not read back; the file holds the edits.
    if (saved || saved.error().kind == ErrorKind::Unreadable)
        changed_ = false;
    return saved;
}

CriteriaEditor::KeyResult CriteriaEditor::keyDown(Key key) {
    KeyResult result;
    if (key == Key::Escape) {
        result.consumed = true;
        return result;
    }
    const int before = row_;
    const int beforeColumn = column_;
    result.consumed = true;
    result.refresh = true;
    switch (key) {
    case Key::Up:
        if (row_ > 1)
            moveTo(row_ - 1, column_);
        break;
    case Key::Down:
        if (row_ < lastRow())
            moveTo(row_ + 1, column_);
        break;
    case Key::ShiftDown:
        // The selection grows by one row and the input box text goes into every cell
        // from the current row down to its end, unmarked: copying is not typing.
        if (selectionEnd_ < lastRow() && row_ >= 1) {
            ++selectionEnd_;
            for (int r = row_; r <= selectionEnd_; ++r)
                rows_[r - 1][static_cast<size_t>(column_ - 1)] = input_;
        }
        break;
    case Key::Left:
        if (column_ > 1)
            moveTo(row_, column_ - 1);
        break;
    case Key::Right:
        if (column_ < kFieldColumns)
            moveTo(row_, column_ + 1);
        break;
    case Key::Space:
        // The space is not typed: it empties the box, and through it the cell.
        TextToGrid転送(QString());
        break;
    case Key::Other:
        // The key goes on to the input box as typing.
        result.consumed = false;
        break;
    case Key::Enter:
    case Key::Escape:
        break;
    }
    GridToText転送();
    result.currentMoved = row_ != before || column_ != beforeColumn;
    return result;
}

bool CriteriaEditor::click(int row, int column) {
    if (row < 1 || row > lastRow() || column < 1 || column > kFieldColumns)
        return false;
    moveTo(row, column);
    GridToText転送();
    return true;
}

void CriteriaEditor::TextToGrid転送(const QString& inputText) {
    input_ = inputText;
    if (row_ < 1 || row_ > lastRow())
        return;
    QString& cell = rows_[row_ - 1][static_cast<size_t>(column_ - 1)];
    if (cell != inputText) {
        marks_[row_ - 1][static_cast<size_t>(column_ - 1)] = true;
        changed_ = true;
    }
    cell = inputText;
}

void CriteriaEditor::GridToText転送() {
    input_ = cellText(row_, column_);
}

QString CriteriaEditor::cellText(int row, int column) const {
    if (column < 0 || column >= kColumns || row < 0 || row > lastRow())
        return {};
    if (row == 0)
        return headerText(column);
    if (column == 0)
        return QString::number(row);
    return rows_[row - 1][static_cast<size_t>(column - 1)];
}

bool CriteriaEditor::marked(int row, int column) const {
    if (row < 1 || row > lastRow() || column < 1 || column > kFieldColumns)
        return false;
    return marks_[row - 1][static_cast<size_t>(column - 1)];
}

void CriteriaEditor::moveTo(int row, int column) {
    row_ = row;
    column_ = column;
    // Moving the current cell makes it the whole selection again.
    selectionEnd_ = row;
}

void CriteriaEditor::holdCurrentInside() {
    if (rows_.isEmpty()) {
        row_ = 0;
    } else {
        row_ = qBound(1, row_, lastRow());
    }
    column_ = qBound(1, column_, kFieldColumns);
    selectionEnd_ = row_;
}

} // namespace kz
