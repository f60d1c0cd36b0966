#include "core/answerlogging.h"

#include "core/runstate.h"
#include "data/oledate.h"
#include "data/resultstore.h"

namespace kz {

Status logAttemptAnswers(RunState& state, const ResultRecord& written,
                         const AnswerLogAppendOptions& options) {
    const QDateTime stamp(dateFromOle(written.date), timeFromOle(written.time));
    QByteArray lines = state.attempt.answerLogBacklog;
    lines += formatAttemptAnswers(stamp, written.bangou, written.level, state.attempt.attemptAnswers);
    state.attempt.attemptAnswers.clear();
    state.attempt.answerLogBacklog.clear();
    const Status status = appendAnswerLines(
        state.settings.installation.programDataFolder + answerLogFileName(), lines, options);
    if (!status.ok()) {
        // Past the limit the oldest lines go, whole lines only.
        if (lines.size() > kAnswerLogBacklogLimit) {
            const qsizetype cut = lines.indexOf('\n', lines.size() - kAnswerLogBacklogLimit);
            lines = cut < 0 ? QByteArray() : lines.mid(cut + 1);
        }
        state.attempt.answerLogBacklog = lines;
    }
    return status;
}

} // namespace kz
