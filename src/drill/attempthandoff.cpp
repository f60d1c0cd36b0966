#include "drill/attempthandoff.h"

#include "core/programrun.h"
#include "drill/drillengine.h"

namespace kz {

RecordingStatus recordWithRetry(const AttemptRecorder& recorder, const AttemptRecorder& keeper,
                                const std::function<RecordingChoice(const Error& error)>& choose,
                                int* calls) {
    const auto run = [](const AttemptRecorder& step) -> Status {
        if (!step)
            return makeError(ErrorKind::Internal,
                             QStringLiteral("成績を記録する手続きが用意されていません。"));
        return step();
    };
    for (;;) {
        if (calls)
            ++*calls;
        Status status = run(recorder);
        if (status.ok())
            return RecordingStatus::Recorded;
        for (;;) {
            if (!choose)
                return RecordingStatus::GivenUp;
            if (choose(status.error()) == RecordingChoice::Retry)
                break;
            status = run(keeper);
            if (status.ok())
                return RecordingStatus::KeptHere;
        }
    }
}

AttemptHandOff::AttemptHandOff(ProgramRun& run, HandOffObserver& observer) : run_(run), observer_(observer) {}

void AttemptHandOff::finishAttempt(const DrillEnding& ending) {
    if (!run_.endAttempt(ending.timedOut, ending.elapsedSeconds))
        return;
    observer_.handOffBegun(ending.timedOut);
    const RecordingStatus status = recordWithRetry(
        [this] { return run_.recordEndedAttempt(); }, [this] { return run_.keepEndedAttempt(); },
        [this](const Error& error) { return observer_.chooseAfterFailure(error); });
    switch (status) {
    case RecordingStatus::Recorded:
        observer_.attemptRecorded();
        break;
    case RecordingStatus::KeptHere:
        observer_.attemptKeptHere();
        break;
    case RecordingStatus::GivenUp:
        observer_.recordingGivenUp();
        break;
    }
}

} // namespace kz
