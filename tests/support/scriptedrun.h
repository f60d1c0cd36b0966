#pragma once

// The run as tests use it: the way in to fill its state as a scene needs it, and a run
// whose statistics refresh and recording step are scripted. Header only: it needs the
// core library, which every test that includes it links.

#include "core/programrun.h"

#include <functional>

namespace kz {

// The one way into a run's state besides its operations, for tests and benchmarks that
// set up a scene (the figures of a class day, a student at the level menu, …). Screens
// never use it: they read state() and call the operations.
struct RunStateSetUp {
    static RunState& of(ProgramRun& run) { return *run.state_; }
};

namespace test {

// Waits that call onWait(file, path, milliseconds) and take no time.
using WaitSeen = std::function<void(const QString& file, const QString& path, int milliseconds)>;
inline FileWaits fileWaitsCalling(WaitSeen onWait) {
    class CallingWait final : public FileWait {
    public:
        CallingWait(WaitSeen onWait, QString file, QString path)
            : onWait_(std::move(onWait)), file_(std::move(file)), path_(std::move(path)) {}
        void wait(int milliseconds) override {
            if (onWait_)
                onWait_(file_, path_, milliseconds);
        }

    private:
        WaitSeen onWait_;
        QString file_;
        QString path_;
    };
    return
        [onWait = std::move(onWait)](const QString& file, const QString& path) -> std::unique_ptr<FileWait> {
            return std::make_unique<CallingWait>(onWait, file, path);
        };
}

// Waits that take no time, for runs whose files are never held by another station.
inline FileWaits noFileWaits() {
    return fileWaitsCalling({});
}

// A run whose statistics refresh and recording step do what the test scripts: each is
// counted, then runs the test's function (empty: nothing is read or written, success).
// Tests that want the real step call ProgramRun's own (useRealRefresh, useRealRecording).
class ScriptedRun final : public ProgramRun {
public:
    explicit ScriptedRun(const Clock& clock, FileWaits waits = noFileWaits())
        : ProgramRun(clock, std::move(waits)) {}

    RunState& setUp() { return RunStateSetUp::of(*this); }

    int refreshes = 0;
    std::function<Status()> onRefresh;
    int recordings = 0;
    std::function<Status()> onRecord;

    void useRealRefresh() {
        onRefresh = [this] { return ProgramRun::refreshStatistics(); };
    }
    void useRealRecording() {
        onRecord = [this] { return ProgramRun::recordEndedAttempt(); };
    }

    Status refreshStatistics() override {
        ++refreshes;
        return onRefresh ? onRefresh() : Status();
    }
    Status recordEndedAttempt() override {
        ++recordings;
        return onRecord ? onRecord() : Status();
    }
};

} // namespace test
} // namespace kz
