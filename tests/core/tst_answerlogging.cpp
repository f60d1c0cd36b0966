// The recording step writes the attempt's answers after its record, and never fails
// the recording for them.
#include "core/programrun.h"
#include "data/answerlogaudit.h"
#include "support/scriptedrun.h"
#include "support/testsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace kz;

namespace {

QList<AnsweredQuestion> answers(int count) {
    QList<AnsweredQuestion> list;
    for (int i = 1; i <= count; ++i)
        list << AnsweredQuestion{14, i, QString::number(14 * i), true, false, 1000 + i};
    return list;
}

} // namespace

class TestAnswerLogging : public QObject {
    Q_OBJECT
private slots:
    void answersFollowTheirRecord();
    void unwritableLogKeepsTheLinesForTheNextAttempt();
};

void TestAnswerLogging::answersFollowTheirRecord() {
    QTemporaryDir dir;
    test::FakeClock clock(QDateTime(QDate(2004, 3, 15), QTime(14, 30, 7)));
    ProgramRun run(clock, test::noFileWaits());
    RunState* state = &RunStateSetUp::of(run);
    state->settings.installation.programDataFolder = dir.path() + u'/';
    state->student.currentBangou = 17;
    run.chooseLevel(3);
    run.startAttempt();
    for (const AnsweredQuestion& answer : answers(16))
        run.recordAnswer(answer);
    QVERIFY(run.endAttempt(false, 42));

    QVERIFY(run.recordEndedAttempt().ok());
    QVERIFY(state->attempt.attemptAnswers.isEmpty());
    QVERIFY(state->attempt.answerLogBacklog.isEmpty());
    const AnswerLogContents log = *readAnswerLog(dir.filePath(answerLogFileName()));
    QCOMPARE(log.lines.size(), size_t(16));
    QCOMPARE(log.lines[0].time, QTime(14, 30, 7));
    QCOMPARE(log.lines[0].level, 3);
    const Outcome<ResultsFileContents> results = readAllResults(state->settings.installation.resultsPath());
    QVERIFY(results.ok());
    const AnswerLogAudit audit = auditAnswerLog(*results, log);
    QVERIFY(audit.attemptsWithoutAnswers.empty());
    QVERIFY(audit.answersWithoutAttempt.empty());
}

void TestAnswerLogging::unwritableLogKeepsTheLinesForTheNextAttempt() {
    QTemporaryDir dir;
    test::FakeClock clock;
    ProgramRun run(clock, test::noFileWaits());
    RunState* state = &RunStateSetUp::of(run);
    state->settings.installation.programDataFolder = dir.path() + u'/';
    state->student.currentBangou = 17;
    run.chooseLevel(1);
    const auto attempt = [&run](int answered) {
        run.startAttempt();
        for (const AnsweredQuestion& answer : answers(answered))
            run.recordAnswer(answer);
        (void)run.endAttempt(false, 42);
        return run.recordEndedAttempt();
    };
    // Something in the way of the log: a folder of its name.
    QVERIFY(QDir(dir.path()).mkdir(answerLogFileName()));
    QVERIFY(attempt(5).ok()); // the attempt is recorded all the same
    QVERIFY(!state->attempt.answerLogBacklog.isEmpty());

    QVERIFY(QDir(dir.path()).rmdir(answerLogFileName()));
    clock.advanceMs(60000);
    QVERIFY(attempt(3).ok());
    QVERIFY(state->attempt.answerLogBacklog.isEmpty());
    const AnswerLogContents log = *readAnswerLog(dir.filePath(answerLogFileName()));
    QCOMPARE(log.lines.size(), size_t(8));
    const Outcome<ResultsFileContents> results = readAllResults(state->settings.installation.resultsPath());
    QVERIFY(results.ok());
    QCOMPARE(results->records.size(), size_t(2));
    QVERIFY(auditAnswerLog(*results, log).attemptsWithoutAnswers.empty());
}

QTEST_GUILESS_MAIN(TestAnswerLogging)
#include "tst_answerlogging.moc"
