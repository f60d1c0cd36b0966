#include "data/answerlogaudit.h"

#include "data/oledate.h"
#include "data/statistics.h"

#include <QHash>

#include <limits>

namespace kz {

namespace {

// One attempt's key: its moment to the second, student and level.
quint64 momentOf(QDate date, QTime time) {
    return static_cast<quint64>(date.toJulianDay()) * 86400u +
           static_cast<quint64>(time.msecsSinceStartOfDay() / 1000);
}

quint64 keyOf(QDate date, QTime time, int student, int level) {
    return (momentOf(date, time) << 19) | (static_cast<quint64>(student & 0x1fff) << 6) |
           static_cast<quint64>(level & 0x3f);
}

} // namespace

AnswerLogAudit auditAnswerLog(const ResultsFileContents& results, const AnswerLogContents& log) {
    AnswerLogAudit audit;
    if (log.lines.empty())
        return audit;

    QHash<quint64, qsizetype> groupOf; // key -> index in groups
    std::vector<AnswerGroup> groups;
    quint64 firstMoment = std::numeric_limits<quint64>::max();
    for (const AnswerLogLine& line : log.lines) {
        firstMoment = qMin(firstMoment, momentOf(line.date, line.time));
        const quint64 key = keyOf(line.date, line.time, line.student, line.level);
        auto it = groupOf.find(key);
        if (it == groupOf.end()) {
            it = groupOf.insert(key, static_cast<qsizetype>(groups.size()));
            groups.push_back({line.date, line.time, line.student, line.level, 0, line.lineNumber});
        }
        ++groups[static_cast<size_t>(*it)].lines;
    }

    std::vector<bool> matched(groups.size(), false);
    for (size_t i = 0; i < results.records.size(); ++i) {
        const ResultRecord& r = results.records[i];
        if (!r.isCountable())
            continue;
        const QDate date = dateFromOle(r.date);
        if (!date.isValid() || !(r.time >= 0 && r.time < 1))
            continue;
        const QTime time = timeFromOle(r.time);
        const auto it = groupOf.constFind(keyOf(date, time, r.bangou, r.level));
        if (it != groupOf.constEnd()) {
            matched[static_cast<size_t>(*it)] = true;
            continue;
        }
        if (r.recordedTime != StatisticsTables::kNoTime && momentOf(date, time) >= firstMoment)
            audit.attemptsWithoutAnswers.push_back(static_cast<qint64>(i + 1));
    }
    for (size_t g = 0; g < groups.size(); ++g)
        if (!matched[g])
            audit.answersWithoutAttempt.push_back(groups[g]);
    return audit;
}

} // namespace kz
