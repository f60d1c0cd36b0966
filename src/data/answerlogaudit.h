#pragma once

#include "data/answerlog.h"
#include "data/resultstore.h"

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

} // namespace kz
