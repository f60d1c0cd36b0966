#pragma once

#include "platform/outcome.h"

#include <QtGlobal>

#include <functional>

// The end of an attempt: the attempt flags, the recorded time, storing the attempt with
// the student's choice to try again after a failure, and what the screen is told on the
// way to the end screen or back to the level menu.
namespace kz {

struct AttemptState;

// Stores the attempt that the run state describes (currentBangou, currentLevel,
// recordedTime, the site code) with its answer log and sets the outcome flags. Called
// again after a failure, it must still store the attempt exactly once.
using AttemptRecorder = std::function<Status()>;

enum class RecordingStatus { Recorded, GivenUp };

// Runs the recorder until it succeeds or askRetry(error) answers false. An empty recorder
// is a failure like any other (never a silent success). *calls counts recorder calls.
RecordingStatus recordWithRetry(const AttemptRecorder& recorder,
                                const std::function<bool(const Error& error)>& askRetry,
                                int* calls = nullptr);

// The launch of a drill: finished, recordingStarted and timedOut back to false, no answers yet.
void resetAttemptFlags(AttemptState& attempt);

// The time written for an attempt: 99999 after a time-out, else the elapsed seconds.
qint32 recordedTimeFor(bool timedOut, qint32 elapsedSeconds);

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

// One attempt's hand-off. Runs once: a second call (a time-out arriving while the last
// answer is handled, or the other way round) finds recordingStarted set and does nothing.
class AttemptHandOff final {
public:
    AttemptHandOff(AttemptState& attempt, AttemptRecorder recorder, HandOffObserver& observer);
    Q_DISABLE_COPY_MOVE(AttemptHandOff)

    // The engine's ending: elapsedSeconds, finished and timedOut into the attempt, then
    // the hand-off.
    void attemptEnded(bool finished, bool timedOut, qint32 elapsedSeconds);
    // The hand-off on the attempt as it stands; false when it had begun already.
    bool finishAttempt();

    bool begun() const { return begun_; }
    int recorderCalls() const { return calls_; }

private:
    AttemptState& attempt_;
    AttemptRecorder recorder_;
    HandOffObserver& observer_;
    bool begun_ = false;
    int calls_ = 0;
};

} // namespace kz
