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

void AnswerLogAuditor::add(const AnswerLogLine& line) {
    firstMoment_ = qMin(firstMoment_, momentOf(line.date, line.time));
    const quint64 key = keyOf(line.date, line.time, line.student, line.level);
    auto it = groupOf_.find(key);
    if (it == groupOf_.end()) {
        it = groupOf_.insert(key, static_cast<qsizetype>(groups_.size()));
        groups_.push_back({line.date, line.time, line.student, line.level, 0, line.lineNumber});
    }
    ++groups_[static_cast<size_t>(*it)].lines;
}

AnswerLogAudit AnswerLogAuditor::finish(const ResultsFileContents& results) const {
    AnswerLogAudit audit;
    if (groups_.empty())
        return audit;
    std::vector<bool> matched(groups_.size(), false);
    for (size_t i = 0; i < results.records.size(); ++i) {
        const ResultRecord& r = results.records[i];
        if (!r.isCountable())
            continue;
        const QDate date = dateFromOle(r.date);
        if (!date.isValid() || !(r.time >= 0 && r.time < 1))
            continue;
        const QTime time = timeFromOle(r.time);
        const auto it = groupOf_.constFind(keyOf(date, time, r.bangou, r.level));
        if (it != groupOf_.constEnd()) {
            matched[static_cast<size_t>(*it)] = true;
            continue;
        }
        if (r.recordedTime != StatisticsTables::kNoTime && momentOf(date, time) >= firstMoment_)
            audit.attemptsWithoutAnswers.push_back(static_cast<qint64>(i + 1));
    }
    for (size_t g = 0; g < groups_.size(); ++g)
        if (!matched[g])
            audit.answersWithoutAttempt.push_back(groups_[g]);
    return audit;
}

AnswerLogAudit auditAnswerLog(const ResultsFileContents& results, const AnswerLogContents& log) {
    AnswerLogAuditor auditor;
    for (const AnswerLogLine& line : log.lines)
        auditor.add(line);
    return auditor.finish(results);
}

} // namespace kz
