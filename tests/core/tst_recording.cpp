#include "core/programrun.h"
#include "core/runstate.h"
#include "data/oledate.h"
#include "data/resultstore.h"
#include "data/statistics.h"
#include "support/resultsfixture.h"
#include "support/scriptedrun.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <random>

using namespace kz;
using namespace kz::test::results;

// The run's recording step: the attempt goes to the results file and the figures move
// with it; and its statistics refresh.
class TestRecording : public QObject {
    Q_OBJECT
private slots:
    void recordingFlags_data();
    void recordingFlags();
    void recordingFailureChangesNothing();
    void refreshEnteredAgainDuringTheWaitCountsOnce();
};

void TestRecording::recordingFlags_data() {
    QTest::addColumn<QList<int>>("ownTimes"); // earlier attempts of student 17, level 2
    QTest::addColumn<int>("otherBest");       // best of student 5 on level 2 (99999: none)
    QTest::addColumn<int>("bangou");
    QTest::addColumn<int>("time");
    QTest::addColumn<int>("clearedBefore");
    QTest::addColumn<int>("personal");
    QTest::addColumn<int>("school");
    QTest::addColumn<int>("bestAfter");
    QTest::addColumn<int>("schoolAfter");
    // clearCount 2, clearPoints 9: two attempts of 80 s (4 + 4 points) are not enough.
    QTest::newRow("equal is no record") << QList<int>{80} << 99999 << 17 << 80 << 0 << 0 << 0 << 80 << 80;
    QTest::newRow("one second faster") << QList<int>{80} << 99999 << 17 << 79 << 0 << 1 << 1 << 79 << 79;
    QTest::newRow("personal, not school") << QList<int>{80} << 70 << 17 << 75 << 0 << 1 << 0 << 75 << 70;
    QTest::newRow("school equal") << QList<int>{80} << 75 << 17 << 75 << 0 << 1 << 0 << 75 << 75;
    QTest::newRow("timed out") << QList<int>{} << 99999 << 17 << 99999 << 0 << 0 << 0 << 99999 << 99999;
    QTest::newRow("first attempt") << QList<int>{} << 99999 << 17 << 300 << 0 << 1 << 1 << 300 << 300;
    QTest::newRow("cleared before") << QList<int>{30, 80} << 99999 << 17 << 90 << 1 << 0 << 0 << 30 << 30;
    QTest::newRow("not yet cleared") << QList<int>{80, 80} << 99999 << 17 << 90 << 0 << 0 << 0 << 80 << 80;
    // The recording step compares with the school best whoever the student is; only the
    // next refresh limits the school best to Bangou 1..1000 again.
    QTest::newRow("bangou 1200") << QList<int>{} << 70 << 1200 << 50 << 0 << 1 << 1 << 50 << 50;
}

void TestRecording::recordingFlags() {
    QFETCH(QList<int>, ownTimes);
    QFETCH(int, otherBest);
    QFETCH(int, bangou);
    QFETCH(int, time);
    QFETCH(int, clearedBefore);
    QFETCH(int, personal);
    QFETCH(int, school);
    QFETCH(int, bestAfter);
    QFETCH(int, schoolAfter);
    QTemporaryDir dir;
    test::FakeClock clock;
    ProgramRun run(clock, test::noFileWaits());
    RunState& state = RunStateSetUp::of(run);
    state.settings.installation.programDataFolder = dir.path() + "/";
    state.settings.installation.siteCode = "12345";
    state.tables.criteria = criteria();
    state.tables.criteria.row(2).clearCount = 2;
    state.tables.criteria.row(2).clearPoints = 9;
    QList<ResultRecord> earlier;
    for (int t : ownTimes)
        earlier << rec(bangou, 2, t, 1);
    if (otherBest != 99999)
        earlier << rec(5, 2, otherBest, 1);
    writeRecords(state.settings.installation.resultsPath(), earlier);
    QVERIFY(run.refreshStatistics().ok());

    state.student.currentBangou = static_cast<qint16>(bangou);
    run.chooseLevel(2);
    run.startAttempt();
    QVERIFY(run.endAttempt(time == 99999, time));
    const Status out = run.recordEndedAttempt();
    QVERIFY2(out.ok(), qPrintable(out.error().text()));
    QCOMPARE(state.attempt.clearedBefore, clearedBefore != 0);
    QCOMPARE(int(state.attempt.newPersonalBest), personal);
    QCOMPARE(int(state.attempt.newSchoolBest), school);
    QCOMPARE(state.tables.statistics.bestTime(2, bangou), bestAfter);
    QCOMPARE(state.tables.statistics.schoolBestTime(2), schoolAfter);

    // The record is in the file as the attempt of this student and level.
    const Outcome<ResultsFileContents> all = readAllResults(state.settings.installation.resultsPath());
    QVERIFY(all.ok());
    QCOMPARE(all->records.size(), size_t(earlier.size()) + 1);
    QCOMPARE(all->records.back(), rec(bangou, 2, time));

    // The flags belong to their attempt: the next one starts without them, and a time-out
    // raises none.
    run.startAttempt();
    QVERIFY(!state.attempt.newPersonalBest && !state.attempt.newSchoolBest);
    QVERIFY(run.endAttempt(true, 300));
    QVERIFY(run.recordEndedAttempt().ok());
    QCOMPARE(state.attempt.newPersonalBest, false);
    QCOMPARE(state.attempt.newSchoolBest, false);
}

void TestRecording::recordingFailureChangesNothing() {
    QTemporaryDir dir;
    test::FakeClock clock;
    ProgramRun run(clock, test::noFileWaits());
    RunState& state = RunStateSetUp::of(run);
    state.settings.installation.programDataFolder = dir.path() + "/gone/";
    state.tables.criteria = criteria();
    state.student.currentBangou = 17;
    run.chooseLevel(2);
    QVERIFY(run.endAttempt(false, 42));
    state.attempt.clearedBefore = true; // as if from the attempt before
    const Status out = run.recordEndedAttempt();
    QVERIFY(!out.ok());
    QCOMPARE(out.error().kind, ErrorKind::NotFound);
    QCOMPARE(state.attempt.clearedBefore, true);
    QCOMPARE(state.attempt.newPersonalBest, false);
    QCOMPARE(state.tables.statistics.bestTime(2, 17), 99999);
    // The folder comes back: the retry records the attempt once, with its flags.
    QVERIFY(QDir(dir.path()).mkdir("gone"));
    QVERIFY(run.recordEndedAttempt().ok());
    QCOMPARE(state.attempt.newPersonalBest, true);
    QCOMPARE(QFileInfo(state.settings.installation.resultsPath()).size(), 44);
}

void TestRecording::refreshEnteredAgainDuringTheWaitCountsOnce() {
    QTemporaryDir dir;
    test::FakeClock clock(kNow);
    int waits = 0;
    Status inner;
    ProgramRun* running = nullptr;
    // The folder is out of reach at first; during the wait it comes back with one record
    // and a screen asks for a refresh of its own.
    ProgramRun run(clock, test::fileWaitsCalling([&](const QString&, const QString& path, int) {
                       if (++waits > 1)
                           return;
                       QVERIFY(QDir(dir.path()).mkdir("later"));
                       writeRecords(path, {rec(3, 3, 30)});
                       inner = running->refreshStatistics();
                   }));
    running = &run;
    RunState& state = RunStateSetUp::of(run);
    state.settings.installation.programDataFolder = dir.path() + "/later/";
    state.tables.criteria = criteria();
    const Status outer = run.refreshStatistics();
    QVERIFY(outer.ok());
    QVERIFY(inner.ok());
    QCOMPARE(waits, 1);
    QCOMPARE(state.tables.statistics.totalAttempts(3, 3), 1);
    QCOMPARE(state.tables.statistics.totalPoints(3, 3), 11);
    QVERIFY(!state.tables.statisticsRefreshRunning);
}

QTEST_GUILESS_MAIN(TestRecording)
#include "tst_recording.moc"
