#pragma once

#include "platform/outcome.h"

#include <QtGlobal>

#include <functional>

// The end of an attempt: the run's attempt ends, the screen is covered, the attempt is
// stored with the student's choice to try again after a failure, and the screen is told
// the way on: to the end screen or back to the level menu.
namespace kz {

class ProgramRun;
struct DrillEnding;

// Stores the attempt that has ended; called again after a failure, it must still store
// the attempt exactly once (ProgramRun::recordEndedAttempt).
using AttemptRecorder = std::function<Status()>;

enum class RecordingStatus { Recorded, GivenUp };

// Runs the recorder until it succeeds or askRetry(error) answers false. An empty recorder
// is a failure like any other (never a silent success). *calls counts recorder calls.
RecordingStatus recordWithRetry(const AttemptRecorder& recorder,
                                const std::function<bool(const Error& error)>& askRetry,
                                int* calls = nullptr);

// What the screen of the attempt is told while it is handed off.
class HandOffObserver {
public:
    HandOffObserver() = default;
    Q_DISABLE_COPY_MOVE(HandOffObserver)
    virtual ~HandOffObserver() = default;

    // The hand-off has begun: cover the screen with the closing message ("時間切れ" when
    // timedOut, else "成績記録中") and stop the clock, before anything is stored.
    virtual void handOffBegun(bool timedOut) = 0;
    // Storing failed; true tries again, false gives the attempt up.
    virtual bool retryRecording(const Error& error) = 0;
    // The attempt is stored: on to the end screen.
    virtual void attemptRecorded() = 0;
    // Nothing was stored and the student gave up: back to the level menu.
    virtual void recordingGivenUp() = 0;
};

// The end-of-attempt hand-off of one drill screen.
class AttemptHandOff final {
public:
    AttemptHandOff(ProgramRun& run, HandOffObserver& observer);
    Q_DISABLE_COPY_MOVE(AttemptHandOff)

    // The drill's ending: the run's attempt ends with its time (ProgramRun::endAttempt),
    // the screen is covered, the attempt is recorded. Runs once per attempt: an ending
    // that finds the attempt ended already (a time-out arriving while the last answer is
    // handed off, or the other way round) does nothing.
    void finishAttempt(const DrillEnding& ending);

private:
    ProgramRun& run_;
    HandOffObserver& observer_;
};

} // namespace kz
