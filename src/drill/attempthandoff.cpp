#include "drill/attempthandoff.h"

#include "core/programrun.h"
#include "drill/drillengine.h"

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

AttemptHandOff::AttemptHandOff(ProgramRun& run, HandOffObserver& observer) : run_(run), observer_(observer) {}

void AttemptHandOff::finishAttempt(const DrillEnding& ending) {
    if (!run_.endAttempt(ending.timedOut, ending.elapsedSeconds))
        return;
    observer_.handOffBegun(ending.timedOut);
    const RecordingStatus status =
        recordWithRetry([this] { return run_.recordEndedAttempt(); },
                        [this](const Error& error) { return observer_.retryRecording(error); });
    if (status == RecordingStatus::Recorded)
        observer_.attemptRecorded();
    else
        observer_.recordingGivenUp();
}

} // namespace kz
