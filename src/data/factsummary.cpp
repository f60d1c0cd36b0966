#include "data/factsummary.h"

#include <algorithm>

namespace kz {

namespace {

bool inMatrix(int multiplicand, int multiplier) {
    return multiplicand >= FactMatrix::kFirstMultiplicand && multiplicand <= FactMatrix::kLastMultiplicand &&
           multiplier >= 1 && multiplier <= FactMatrix::kMaxMultiplier;
}

struct Gathering {
    FactMatrix matrix;
    std::array<std::array<std::vector<qint64>, FactMatrix::kMaxMultiplier + 1>, 3> times;
    QDate lastDate;
    QTime lastTime;
    int lastLevel = 0;
};

} // namespace

const FactCell& FactMatrix::cell(int multiplicand, int multiplier) const {
    static const FactCell empty;
    if (!inMatrix(multiplicand, multiplier))
        return empty;
    return cells_[static_cast<size_t>(multiplicand - kFirstMultiplicand)][static_cast<size_t>(multiplier)];
}

FactCell* FactMatrix::mutableCell(int multiplicand, int multiplier) {
    if (!inMatrix(multiplicand, multiplier))
        return nullptr;
    return &cells_[static_cast<size_t>(multiplicand - kFirstMultiplicand)][static_cast<size_t>(multiplier)];
}

QDate FactPeriod::since() const {
    if (days <= 0 || !today.isValid())
        return {};
    return today.addDays(-(days - 1));
}

AnswerLogFilter factFilter(const FactPeriod& period, const QList<int>& students) {
    AnswerLogFilter filter;
    if (students.size() == 1)
        filter.student = students.first();
    else
        filter.students = students;
    filter.level = period.level;
    filter.since = period.since();
    return filter;
}

std::optional<qint64> medianOf(std::vector<qint64>& values) {
    if (values.empty())
        return std::nullopt;
    const size_t mid = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid), values.end());
    const qint64 upper = values[mid];
    if (values.size() % 2 != 0)
        return upper;
    const qint64 lower = *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid));
    return lower + (upper - lower) / 2;
}

std::map<int, FactMatrix> summariseFacts(const std::vector<AnswerLogLine>& lines, const FactPeriod& period) {
    std::map<int, Gathering> byStudent;
    const QDate since = period.since();
    for (const AnswerLogLine& line : lines) {
        if ((period.level != 0 && line.level != period.level) || (since.isValid() && line.date < since) ||
            !inMatrix(line.multiplicand, line.multiplier))
            continue;
        Gathering& g = byStudent[line.student];
        FactCell* cell = g.matrix.mutableCell(line.multiplicand, line.multiplier);
        ++cell->answers;
        ++g.matrix.answers;
        if (!line.correct) {
            ++cell->wrong;
            ++g.matrix.wrong;
        }
        g.times[static_cast<size_t>(line.multiplicand - FactMatrix::kFirstMultiplicand)]
               [static_cast<size_t>(line.multiplier)]
                   .push_back(line.responseMs);
        // The lines of one attempt follow one another and share its date, time and level.
        if (line.date != g.lastDate || line.time != g.lastTime || line.level != g.lastLevel) {
            ++g.matrix.attempts;
            g.lastDate = line.date;
            g.lastTime = line.time;
            g.lastLevel = line.level;
        }
    }
    std::map<int, FactMatrix> out;
    for (auto& [student, g] : byStudent) {
        for (int m = FactMatrix::kFirstMultiplicand; m <= FactMatrix::kLastMultiplicand; ++m) {
            for (int n = 1; n <= FactMatrix::kMaxMultiplier; ++n) {
                FactCell* cell = g.matrix.mutableCell(m, n);
                cell->medianMs = medianOf(
                    g.times[static_cast<size_t>(m - FactMatrix::kFirstMultiplicand)][static_cast<size_t>(n)]);
                if (!cell->medianMs)
                    continue;
                if (!g.matrix.slowestMedianMs || *cell->medianMs > *g.matrix.slowestMedianMs)
                    g.matrix.slowestMedianMs = cell->medianMs;
                if (!g.matrix.fastestMedianMs || *cell->medianMs < *g.matrix.fastestMedianMs)
                    g.matrix.fastestMedianMs = cell->medianMs;
            }
        }
        out.emplace(student, std::move(g.matrix));
    }
    return out;
}

} // namespace kz
