#include "core/runstate.h"
#include "drill/attempthandoff.h"
#include "drill/drillengine.h"
#include "support/scriptedrun.h"
#include "support/testsupport.h"

#include <QTest>

using namespace kz;

namespace {

// Notes what the screen is told, and answers the retry question from a budget.
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
    bool retryRecording(const Error& error) override {
        calls << QStringLiteral("retry?") + error.message;
        return retriesAllowed-- > 0;
    }
    void attemptRecorded() override { calls << QStringLiteral("recorded"); }
    void recordingGivenUp() override { calls << QStringLiteral("givenUp"); }
};

} // namespace

class TestAttemptHandOff : public QObject {
    Q_OBJECT

private slots:
    void recordingRetry_data() {
        QTest::addColumn<int>("failures");
        QTest::addColumn<int>("retriesAllowed");
        QTest::addColumn<int>("calls");
        QTest::addColumn<int>("questions");
        QTest::addColumn<bool>("recorded");
        QTest::newRow("first time") << 0 << 0 << 1 << 0 << true;
        QTest::newRow("fails once, retried") << 1 << 5 << 2 << 1 << true;
        QTest::newRow("fails three times, retried") << 3 << 5 << 4 << 3 << true;
        QTest::newRow("fails, given up") << 1 << 0 << 1 << 1 << false;
        QTest::newRow("keeps failing, given up on the third") << 99 << 2 << 3 << 3 << false;
    }
    void recordingRetry() {
        QFETCH(int, failures);
        QFETCH(int, retriesAllowed);
        int failed = 0;
        int asked = 0;
        QStringList errors;
        const AttemptRecorder recorder = [&]() -> Status {
            if (failed < failures) {
                ++failed;
                return makeError(ErrorKind::Locked, QStringLiteral("locked %1").arg(failed));
            }
            return {};
        };
        int recorderCalls = 0;
        const RecordingStatus status = recordWithRetry(
            recorder,
            [&](const Error& error) {
                errors << error.message;
                return ++asked <= retriesAllowed;
            },
            &recorderCalls);
        QFETCH(int, calls);
        QFETCH(int, questions);
        QFETCH(bool, recorded);
        QCOMPARE(recorderCalls, calls);
        QCOMPARE(asked, questions);
        QCOMPARE(status == RecordingStatus::Recorded, recorded);
        if (!errors.isEmpty())
            QCOMPARE(errors.first(), QStringLiteral("locked 1"));
    }

    void missingRecorderIsNoSuccess() {
        QString error;
        const RecordingStatus status = recordWithRetry(AttemptRecorder(), [&](const Error& e) {
            error = e.message;
            return false;
        });
        QCOMPARE(status, RecordingStatus::GivenUp);
        QVERIFY(!error.isEmpty());
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
        QTest::newRow("given up") << false << 1 << 0 << 61 << QStringList{"begun", "retry?使用中", "givenUp"};
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
