#pragma once

#include "data/answerlog.h"

#include <QDate>

#include <array>
#include <map>
#include <optional>
#include <vector>

// How a student fares with each product of the tables of 14, 15 and 16: answers, wrong
// answers and the median response time per multiplicand and multiplier, from the answer
// log.
namespace kz {

struct FactCell {
    int answers = 0;
    int wrong = 0;
    std::optional<qint64> medianMs; // none without answers
};

class FactMatrix {
public:
    static constexpr int kFirstMultiplicand = 14;
    static constexpr int kLastMultiplicand = 16;
    static constexpr int kMaxMultiplier = 20;

    // The cell of multiplicand 14..16 and multiplier 1..20; an empty cell otherwise.
    const FactCell& cell(int multiplicand, int multiplier) const;
    FactCell* mutableCell(int multiplicand, int multiplier);

    int answers = 0; // over every cell
    int wrong = 0;
    int attempts = 0; // attempts the answers came from
    std::optional<qint64> slowestMedianMs;
    std::optional<qint64> fastestMedianMs;

private:
    std::array<std::array<FactCell, kMaxMultiplier + 1>, 3> cells_{}; // multiplier 0 unused
};

// Which answers count: the last `days` days up to today (0: every day), one level (0:
// every level).
struct FactPeriod {
    QDate today;
    int days = 0;
    int level = 0;

    // The first day that counts; invalid when every day does.
    QDate since() const;
};

// The reader's filter for the period and the students (one student, or a list).
AnswerLogFilter factFilter(const FactPeriod& period, const QList<int>& students);

// One matrix per student that has answers among the lines (lines outside the period are
// left out as well, so unfiltered lines can be given).
std::map<int, FactMatrix> summariseFacts(const std::vector<AnswerLogLine>& lines, const FactPeriod& period);

// The median of the values (the mean of the two middle ones for an even count, rounded
// down); none for no values. The values are reordered.
std::optional<qint64> medianOf(std::vector<qint64>& values);

} // namespace kz
