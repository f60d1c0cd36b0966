#pragma once

#include "platform/outcome.h"

#include <QtGlobal>

#include <functional>

// The end of an attempt: the run's attempt ends, the screen is covered, the attempt is
// stored, and the screen is told the way on: to the end screen or back to the level menu.
// After a failure the student chooses: try the results file again, or keep the attempt on
// this computer until the results file can be written. An attempt is never thrown away.
namespace kz {

class ProgramRun;
struct DrillEnding;

// Stores the attempt that has ended; called again after a failure, it must still store
// the attempt exactly once (ProgramRun::recordEndedAttempt, ProgramRun::keepEndedAttempt).
using AttemptRecorder = std::function<Status()>;

// What the student chose after a failure.
enum class RecordingChoice { Retry, KeepHere };

enum class RecordingStatus {
    Recorded, // in the results file
    KeptHere, // kept on this computer, to be recorded later
    GivenUp,  // only without a way to ask: nothing was stored
};

// Runs the recorder until it succeeds; after each failure choose(error) decides: Retry
// runs the recorder again, KeepHere runs the keeper, and when keeping fails too the
// student chooses again (with the keeper's error). An empty recorder or keeper is a
// failure like any other (never a silent success); without choose nothing more is tried
// after the first failure. *calls counts recorder calls.
RecordingStatus recordWithRetry(const AttemptRecorder& recorder, const AttemptRecorder& keeper,
                                const std::function<RecordingChoice(const Error& error)>& choose,
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
    // Storing failed (in the results file, or keeping it on this computer): try the
    // results file again, or keep the attempt on this computer.
    virtual RecordingChoice chooseAfterFailure(const Error& error) = 0;
    // The attempt is stored: on to the end screen.
    virtual void attemptRecorded() = 0;
    // The attempt is kept on this computer, not in the results file: tell the student
    // and go back to the level menu (no end screen: its figures come from the results
    // file, which does not hold the attempt yet).
    virtual void attemptKeptHere() = 0;
    // Nothing was stored (only when there was no way to ask): back to the level menu.
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
