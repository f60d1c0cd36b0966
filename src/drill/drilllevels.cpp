#include "drill/drilllevels.h"

namespace kz {

namespace {

constexpr DrillLevelSpec row(int level, int table, int first, int last, OrderMode mode, int items,
                             int total) {
    DrillLevelSpec entry;
    entry.level = level;
    entry.tables = {table, 0, 0};
    entry.tableCount = 1;
    entry.firstFactor = first;
    entry.lastFactor = last;
    entry.orderMode = mode;
    entry.itemCount = items;
    entry.questionTotal = total;
    return entry;
}

constexpr OrderMode kIn = OrderMode::InOrder;
constexpr OrderMode kShuf = OrderMode::Shuffled;

// Levels 3 and 4 ask 11..15 and level 6 asks 16..20, whatever their names read.
constexpr std::array<DrillLevelSpec, kLevelCount - 1> kSingleTableLevels = {
    row(1, 14, 1, 10, kIn, 10, 30),    row(2, 14, 1, 10, kShuf, 10, 10), row(3, 14, 11, 15, kIn, 5, 15),
    row(4, 14, 11, 15, kShuf, 5, 5),   row(5, 14, 16, 20, kIn, 5, 15),   row(6, 14, 16, 20, kShuf, 5, 5),
    row(7, 14, 1, 20, kIn, 20, 60),    row(8, 14, 1, 20, kShuf, 20, 20), row(9, 15, 1, 10, kIn, 10, 30),
    row(10, 15, 1, 10, kShuf, 10, 10), row(11, 15, 11, 15, kIn, 5, 15),  row(12, 15, 11, 15, kShuf, 5, 5),
    row(13, 15, 16, 20, kIn, 5, 15),   row(14, 15, 16, 20, kShuf, 5, 5), row(15, 15, 1, 20, kIn, 20, 60),
    row(16, 15, 1, 20, kShuf, 20, 20), row(17, 16, 1, 10, kIn, 10, 30),  row(18, 16, 1, 10, kShuf, 10, 10),
    row(19, 16, 11, 15, kIn, 5, 15),   row(20, 16, 11, 15, kShuf, 5, 5), row(21, 16, 16, 20, kIn, 5, 15),
    row(22, 16, 16, 20, kShuf, 5, 5),  row(23, 16, 1, 20, kIn, 20, 60),  row(24, 16, 1, 20, kShuf, 20, 20),
};

constexpr DrillLevelSpec allTablesLevel() {
    DrillLevelSpec entry = row(kLevelCount, 14, 1, 20, kShuf, 60, 60);
    entry.tables = {14, 15, 16};
    entry.tableCount = 3;
    return entry;
}

} // namespace

QList<QuestionItem> DrillLevelSpec::items() const {
    QList<QuestionItem> list;
    for (int t = 0; t < tableCount && t < kMaxTables; ++t)
        for (int factor = firstFactor; factor <= lastFactor; ++factor)
            list.append(QuestionItem{tables[static_cast<size_t>(t)], factor});
    return list;
}

std::optional<DrillLevelSpec> drillLevelSpec(int level) {
    if (level >= 1 && level < kLevelCount)
        return kSingleTableLevels[static_cast<size_t>(level - 1)];
    if (level == kLevelCount)
        return allTablesLevel();
    return std::nullopt;
}

} // namespace kz
