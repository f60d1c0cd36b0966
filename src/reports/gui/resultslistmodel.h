#pragma once

#include "reports/resultstables.h"

#include <QAbstractListModel>

namespace kz {

// The lines of one results list, handed over whole once per rebuild.
class ResultsListModel final : public QAbstractListModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResultsListModel)
public:
    static constexpr int BangouRole = Qt::UserRole + 1; // the student a line is about

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    void setLines(QList<TableLine> lines);
    void clear() { setLines({}); }
    const QList<TableLine>& lines() const { return lines_; }

private:
    QList<TableLine> lines_; // the lines shown, in list order
};

} // namespace kz
