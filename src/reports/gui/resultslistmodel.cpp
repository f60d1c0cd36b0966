#include "reports/gui/resultslistmodel.h"

namespace kz {

int ResultsListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QVariant ResultsListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= lines_.size())
        return {};
    const TableLine& line = lines_[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        return line.text;
    case BangouRole:
        return static_cast<int>(line.bangou);
    default:
        return {};
    }
}

void ResultsListModel::setLines(QList<TableLine> lines) {
    beginResetModel();
    lines_ = std::move(lines);
    endResetModel();
}

} // namespace kz
