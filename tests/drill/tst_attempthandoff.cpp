#include "core/runstate.h"
#include "drill/attempthandoff.h"
#include "drill/drillengine.h"
#include "support/scriptedrun.h"
#include "support/testsupport.h"

#include <QTest>

using namespace kz;

namespace {

// Notes what the screen is told, and answers the question after a failure: try again
// while retries are allowed, then keep the attempt here.
class NotingObserver final : public HandOffObserver {
public:
    QStringList calls;
    int retriesAllowed = 0;
    std::function<void()> onBegun;

    void handOffBegun(bool timedOut) override {
        calls << (timedOut ? QStringLiteral("begun:timedOut") : QStringLiteral("begun"));
        if (onBegun)
            onBegun();
    }
    RecordingChoice chooseAfterFailure(const Error& error) override {
        calls << QStringLiteral("retry?") + error.message;
        return retriesAllowed-- > 0 ? RecordingChoice::Retry : RecordingChoice::KeepHere;
    }
    void attemptRecorded() override { calls << QStringLiteral("recorded"); }
    void attemptKeptHere() override { calls << QStringLiteral("kept"); }
    void recordingGivenUp() override { calls << QStringLiteral("givenUp"); }
};

} // namespace

class TestAttemptHandOff : public QObject {
    Q_OBJECT

private slots:
    // After each failure the student chooses: the results file again, or this computer;
    // when keeping fails too the student chooses again. Nothing is thrown away.
    void recordingRetry_data() {
        QTest::addColumn<int>("failures");
        QTest::addColumn<int>("keepFailures");
        QTest::addColumn<QString>("choices"); // R: retry, K: keep here, in order
        QTest::addColumn<int>("calls");
        QTest::addColumn<int>("keeps");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<int>("outcome");
        const int recorded = int(RecordingStatus::Recorded);
        const int kept = int(RecordingStatus::KeptHere);
        QTest::newRow("first time") << 0 << 0 << "" << 1 << 0 << QStringList{} << recorded;
        QTest::newRow("fails once, retried")
            << 1 << 0 << "R" << 2 << 0 << QStringList{"locked 1"} << recorded;
        QTest::newRow("fails three times, retried")
            << 3 << 0 << "RRR" << 4 << 0 << QStringList{"locked 1", "locked 2", "locked 3"} << recorded;
        QTest::newRow("fails, kept here") << 1 << 0 << "K" << 1 << 1 << QStringList{"locked 1"} << kept;
        QTest::newRow("keeps failing, kept on the third")
            << 99 << 0 << "RRK" << 3 << 1 << QStringList{"locked 1", "locked 2", "locked 3"} << kept;
        QTest::newRow("keeping fails, then retried")
            << 1 << 1 << "KR" << 2 << 1 << QStringList{"locked 1", "keep 1"} << recorded;
        QTest::newRow("keeping fails twice, then kept")
            << 99 << 2 << "KKK" << 1 << 3 << QStringList{"locked 1", "keep 1", "keep 2"} << kept;
    }
    void recordingRetry() {
        QFETCH(int, failures);
        QFETCH(int, keepFailures);
        QFETCH(QString, choices);
        int failed = 0;
        int keepFailed = 0;
        int keeperCalls = 0;
        QStringList questions;
        const AttemptRecorder recorder = [&]() -> Status {
            if (failed < failures) {
                ++failed;
                return makeError(ErrorKind::Locked, QStringLiteral("locked %1").arg(failed));
            }
            return {};
        };
        const AttemptRecorder keeper = [&]() -> Status {
            ++keeperCalls;
            if (keepFailed < keepFailures) {
                ++keepFailed;
                return makeError(ErrorKind::WriteFailed, QStringLiteral("keep %1").arg(keepFailed));
            }
            return {};
        };
        int recorderCalls = 0;
        const RecordingStatus status = recordWithRetry(
            recorder, keeper,
            [&](const Error& error) {
                questions << error.message;
                const qsizetype i = questions.size() - 1;
                return i < choices.size() && choices[i] == u'K' ? RecordingChoice::KeepHere
                                                                : RecordingChoice::Retry;
            },
            &recorderCalls);
        QFETCH(int, calls);
        QFETCH(int, keeps);
        QFETCH(QStringList, asked);
        QFETCH(int, outcome);
        QCOMPARE(recorderCalls, calls);
        QCOMPARE(keeperCalls, keeps);
        QCOMPARE(questions, asked);
        QCOMPARE(int(status), outcome);
    }

    // A missing step is a failure, never a silent success; without a way to ask nothing
    // more is tried.
    void missingStepIsNoSuccess() {
        QString error;
        const RecordingStatus kept = recordWithRetry(
            AttemptRecorder(), [] { return Status(); },
            [&](const Error& e) {
                error = e.message;
                return RecordingChoice::KeepHere;
            });
        QCOMPARE(kept, RecordingStatus::KeptHere);
        QVERIFY(!error.isEmpty());
        QCOMPARE(recordWithRetry(AttemptRecorder(), AttemptRecorder(), {}), RecordingStatus::GivenUp);
    }

    // The ending goes into the run's attempt, the screen is covered before anything is
    // stored, and the recording sees the recorded time; a time-out stores 99999.
    void handOff_data() {
        QTest::addColumn<bool>("timedOut");
        QTest::addColumn<int>("failures");
        QTest::addColumn<int>("retriesAllowed");
        QTest::addColumn<qint32>("recordedTime");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("finished") << false << 0 << 0 << 61 << QStringList{"begun", "recorded"};
        QTest::newRow("timed out") << true << 0 << 0 << 99999 << QStringList{"begun:timedOut", "recorded"};
        QTest::newRow("locked once, retried")
            << false << 1 << 1 << 61 << QStringList{"begun", "retry?使用中", "recorded"};
        QTest::newRow("kept here") << false << 1 << 0 << 61 << QStringList{"begun", "retry?使用中", "kept"};
    }
    void handOff() {
        QFETCH(bool, timedOut);
        QFETCH(int, failures);
        QFETCH(int, retriesAllowed);
        test::FakeClock clock;
        test::ScriptedRun run(clock);
        const AttemptState& attempt = run.state().attempt;
        run.startAttempt();
        NotingObserver observer;
        observer.retriesAllowed = retriesAllowed;
        QList<qint32> seen;
        bool coveredFirst = true;
        run.onRecord = [&]() -> Status {
            coveredFirst = coveredFirst && !observer.calls.isEmpty();
            seen << attempt.recordedTime;
            if (failures-- > 0)
                return makeError(ErrorKind::Locked, QStringLiteral("使用中"));
            return {};
        };
        AttemptHandOff handOff(run, observer);
        handOff.finishAttempt(DrillEnding{!timedOut, timedOut, 61});
        QFETCH(qint32, recordedTime);
        QFETCH(QStringList, calls);
        QCOMPARE(observer.calls, calls);
        QVERIFY(coveredFirst);
        QCOMPARE(seen.last(), recordedTime);
        QCOMPARE(attempt.recordedTime, recordedTime);
        QCOMPARE(attempt.elapsedSeconds, 61);
        QCOMPARE(attempt.timedOut, timedOut);
        QVERIFY(attempt.recordingStarted);
        QCOMPARE(run.keepings, calls.contains(QStringLiteral("kept")) ? 1 : 0);
    }

    // A time-out arriving while the last answer is being handed off (the screen runs
    // events while it shows the closing message) stores nothing a second time and leaves
    // the ending that came first.
    void secondEndingInsideTheFirstIsIgnored() {
        test::FakeClock clock;
        test::ScriptedRun run(clock);
        const AttemptState& attempt = run.state().attempt;
        run.startAttempt();
        NotingObserver observer;
        AttemptHandOff handOff(run, observer);
        observer.onBegun = [&] { handOff.finishAttempt(DrillEnding{false, true, 300}); };
        handOff.finishAttempt(DrillEnding{true, false, 45});
        QCOMPARE(run.recordings, 1);
        QCOMPARE(attempt.recordedTime, 45);
        QCOMPARE(attempt.timedOut, false);
        handOff.finishAttempt(DrillEnding{true, false, 50});
        QCOMPARE(run.recordings, 1);
        QCOMPARE(observer.calls, (QStringList{"begun", "recorded"}));
    }
};

QTEST_GUILESS_MAIN(TestAttemptHandOff)
#include "tst_attempthandoff.moc"
