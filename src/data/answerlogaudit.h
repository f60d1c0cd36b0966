#pragma once

#include "data/answerlog.h"
#include "data/resultstore.h"

#include <QHash>

#include <limits>
#include <vector>

// The answer log held against the results file: attempts recorded without their answers
// (the log could not be written, or a station that does not log answers recorded them)
// and answers whose attempt is no longer in the results file (removed or corrected).
namespace kz {

struct AnswerGroup {
    QDate date;
    QTime time;
    int student = 0;
    int level = 0;
    int lines = 0;
    qint64 firstLine = 0;
};

struct AnswerLogAudit {
    // Record numbers (1-based) of finished attempts, recorded since the first logged
    // answer, that have no answers in the log. Timed-out attempts may have none.
    std::vector<qint64> attemptsWithoutAnswers;
    std::vector<AnswerGroup> answersWithoutAttempt;
};

AnswerLogAudit auditAnswerLog(const ResultsFileContents& results, const AnswerLogContents& log);

// The same, taking the log's lines one by one as they are read (readAnswerLog with a
// sink): it keeps one small group per attempt, not the lines.
class AnswerLogAuditor {
public:
    void add(const AnswerLogLine& line);
    AnswerLogAudit finish(const ResultsFileContents& results) const;

private:
    QHash<quint64, qsizetype> groupOf_; // attempt key -> index in groups_
    std::vector<AnswerGroup> groups_;
    quint64 firstMoment_ = std::numeric_limits<quint64>::max();
};

} // namespace kz
