#include "drill/attempthandoff.h"

#include "core/runstate.h"
#include "data/statistics.h"

namespace kz {

RecordingStatus recordWithRetry(const AttemptRecorder& recorder,
                                const std::function<bool(const Error& error)>& askRetry, int* calls) {
    for (;;) {
        Status status;
        if (recorder) {
            if (calls)
                ++*calls;
            status = recorder();
        } else {
            status =
                makeError(ErrorKind::Internal, QStringLiteral("成績を記録する手続きが用意されていません。"));
        }
        if (status.ok())
            return RecordingStatus::Recorded;
        if (!askRetry || !askRetry(status.error()))
            return RecordingStatus::GivenUp;
    }
}

void resetAttemptFlags(AttemptState& attempt) {
    attempt.finished = false;
    attempt.recordingStarted = false;
    attempt.timedOut = false;
    attempt.attemptAnswers.clear();
}

qint32 recordedTimeFor(bool timedOut, qint32 elapsedSeconds) {
    return timedOut ? StatisticsTables::kNoTime : elapsedSeconds;
}

AttemptHandOff::AttemptHandOff(AttemptState& attempt, AttemptRecorder recorder, HandOffObserver& observer)
    : attempt_(attempt), recorder_(std::move(recorder)), observer_(observer) {}

void AttemptHandOff::attemptEnded(bool finished, bool timedOut, qint32 elapsedSeconds) {
    if (begun_)
        return;
    attempt_.elapsedSeconds = elapsedSeconds;
    attempt_.finished = finished;
    attempt_.timedOut = timedOut;
    finishAttempt();
}

bool AttemptHandOff::finishAttempt() {
    if (begun_ || attempt_.recordingStarted)
        return false;
    begun_ = true;
    attempt_.recordingStarted = true;

    const bool timedOut = attempt_.timedOut;
    observer_.handOffBegun(timedOut);
    attempt_.recordedTime = recordedTimeFor(timedOut, attempt_.elapsedSeconds);

    const RecordingStatus status = recordWithRetry(
        recorder_, [this](const Error& error) { return observer_.retryRecording(error); }, &calls_);
    if (status == RecordingStatus::Recorded)
        observer_.attemptRecorded();
    else
        observer_.recordingGivenUp();
    return true;
}

} // namespace kz
