#include "core/answerlogging.h"

#include "core/runstate.h"
#include "data/oledate.h"
#include "data/resultstore.h"

namespace kz {

Status logAttemptAnswers(AttemptState& attempt, const QString& logPath, const ResultRecord& written,
                         const AnswerLogAppendOptions& options) {
    const QDateTime stamp(dateFromOle(written.date), timeFromOle(written.time));
    QByteArray lines = attempt.answerLogBacklog;
    lines += formatAttemptAnswers(stamp, written.bangou, written.level, attempt.attemptAnswers);
    attempt.attemptAnswers.clear();
    attempt.answerLogBacklog.clear();
    const Status status = appendAnswerLines(logPath, lines, options);
    if (!status.ok()) {
        // Past the limit the oldest lines go, whole lines only.
        if (lines.size() > kAnswerLogBacklogLimit) {
            const qsizetype cut = lines.indexOf('\n', lines.size() - kAnswerLogBacklogLimit);
            lines = cut < 0 ? QByteArray() : lines.mid(cut + 1);
        }
        attempt.answerLogBacklog = lines;
    }
    return status;
}

} // namespace kz
