#pragma once

#include "data/levels.h"

#include <QList>

#include <array>
#include <optional>

// The question sets of the 25 levels of the catalogue.
namespace kz {

enum class OrderMode {
    InOrder,  // items in list order, pass after pass; wrong ones asked again after each pass
    Shuffled, // items drawn at random until every one has been answered right once
};

// One question: tableNumber × factor.
struct QuestionItem {
    int tableNumber = 0; // 14, 15 or 16
    int factor = 0;      // 1..20
    int product() const { return tableNumber * factor; }
    bool operator==(const QuestionItem&) const = default;
};

// One row of the level table.
struct DrillLevelSpec {
    static constexpr int kMaxTables = 3;

    int level = 0;
    std::array<int, kMaxTables> tables{}; // table numbers in list order; unused slots 0
    int tableCount = 0;
    int firstFactor = 0;
    int lastFactor = 0;
    OrderMode orderMode = OrderMode::InOrder;
    int itemCount = 0;     // distinct questions
    int questionTotal = 0; // right answers that complete an attempt

    // The item list in table order: each table number in turn, its factors ascending.
    QList<QuestionItem> items() const;
};

// The row of a level 1..25; nothing for any other number (such a level has no questions).
std::optional<DrillLevelSpec> drillLevelSpec(int level);

} // namespace kz
