// The answer log: appending under the lock, torn lines, the per-product summary and the
// comparison with the results file.
#include "data/answerlog.h"
#include "data/answerlogaudit.h"
#include "data/factsummary.h"
#include "data/oledate.h"
#include "data/resultstore.h"
#include "support/testfiles.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace kz;

namespace {

using test::readBytes;
using test::writeBytes;

AnsweredQuestion q(int m, int n, bool correct, qint64 ms, const QString& typed = {}) {
    return {m, n, typed.isEmpty() ? QString::number(correct ? m * n : 0) : typed, correct, false, ms};
}

QDateTime at(int day, int hour, int minute = 0) {
    return QDateTime(QDate(2004, 3, day), QTime(hour, minute));
}

} // namespace

class TestAnswerLog : public QObject {
    Q_OBJECT
private slots:
    void appendWritesHeaderOnceAndReadsBack();
    void tornLastLineIsSkippedAndClosedByTheNextWrite();
    void largeLogReadsAcrossPieces();
    void garbageLogKeepsTheFirstProblemsAndCountsAll();
    void malformedLines_data();
    void malformedLines();
    void heldLockFailsWithoutWaitingLong();
    void twoProcessesAppendAtOnce();
    void matrixOfTwoStudents();
    void auditAgainstResults();
};

void TestAnswerLog::appendWritesHeaderOnceAndReadsBack() {
    QTemporaryDir dir;
    const QString path = dir.filePath(answerLogFileName());
    // A typed comma must not split the line.
    const QList<AnsweredQuestion> first{q(14, 3, true, 1500), q(15, 7, false, 4200, QStringLiteral("1,5"))};
    QVERIFY(appendAnswerLines(path, formatAttemptAnswers(at(15, 14), 17, 2, first)).ok());
    QVERIFY(
        appendAnswerLines(path, formatAttemptAnswers(at(15, 15), 18, 9, {q(15, 1, false, 900, "")})).ok());
    const QByteArray bytes = readBytes(path);
    QVERIFY(bytes.startsWith(answerLogHeader() + '\n'));
    QCOMPARE(bytes.count("date,time"), 1);

    const AnswerLogContents log = parseAnswerLog(bytes);
    QVERIFY(log.problems.isEmpty());
    QCOMPARE(log.lines.size(), size_t(3));
    QCOMPARE(log.lines[1].typed, QStringLiteral("1,5"));
    QCOMPARE(log.lines[1].question, 2);
    QCOMPARE(log.lines[1].responseMs, 4200);
    QCOMPARE(log.lines[1].time, QTime(14, 0));
    QCOMPARE(log.lines[2].typed, QStringLiteral("0"));
    QCOMPARE(parseAnswerLog(bytes, AnswerLogFilter{18, {}, 0, {}}).lines.size(), size_t(1));
}

void TestAnswerLog::tornLastLineIsSkippedAndClosedByTheNextWrite() {
    QTemporaryDir dir;
    const QString path = dir.filePath(answerLogFileName());
    const QByteArray good =
        formatAttemptAnswers(at(15, 14), 17, 1, {q(14, 1, true, 800), q(14, 2, true, 900)});
    // A crash in the middle of the second line: its response time is cut to "9".
    writeBytes(path, answerLogHeader() + '\n' + good.left(good.size() - 3));
    AnswerLogContents log = *readAnswerLog(path);
    QCOMPARE(log.lines.size(), size_t(1));
    QCOMPARE(log.problems.size(), 1);
    QVERIFY(log.problems[0].torn);
    QCOMPARE(log.problems[0].line, 3);

    QVERIFY(appendAnswerLines(path, formatAttemptAnswers(at(15, 15), 17, 1, {q(14, 3, true, 700)})).ok());
    log = *readAnswerLog(path);
    QCOMPARE(log.lines.size(), size_t(2)); // the new line is whole
    QCOMPARE(log.lines[1].multiplier, 3);
    QCOMPARE(log.problems.size(), 1); // the torn one stays one bad line
    QVERIFY(log.problems[0].torn);
    QCOMPARE(log.problems[0].line, 3);
}

void TestAnswerLog::largeLogReadsAcrossPieces() {
    QTemporaryDir dir;
    const QString path = dir.filePath(answerLogFileName());
    QByteArray bytes = answerLogHeader() + '\n';
    for (int i = 0; i < 2000; ++i) // about 2.6 MB: lines cross the reader's pieces
        bytes += formatAttemptAnswers(at(1 + i % 28, 9).addSecs(i), 1 + i % 7, 7,
                                      QList<AnsweredQuestion>(30, q(14, 9, true, 1000 + i)));
    writeBytes(path, bytes + "2004-03-15,14:30:00,17,7,1,14,9,126,1,0,12");
    const AnswerLogContents all = *readAnswerLog(path);
    QCOMPARE(all.lines.size(), size_t(60000));
    QCOMPARE(all.problems.size(), 1);
    QVERIFY(all.problems[0].torn);
    QCOMPARE(all.lines.back().responseMs, 2999);
    QCOMPARE(readAnswerLog(path, AnswerLogFilter{3, {}, 0, {}})->lines.size(), size_t(2000 / 7 * 30 + 30));
}

void TestAnswerLog::garbageLogKeepsTheFirstProblemsAndCountsAll() {
    // A log of garbage has a problem on every line: a reader keeps the first ones only.
    QByteArray bytes = answerLogHeader() + '\n';
    const int garbage = int(kKeptAnswerLogProblems) + 1500;
    for (int i = 0; i < garbage; ++i)
        bytes += "x,\xff," + QByteArray::number(i) + '\n';
    bytes += formatAttemptAnswers(at(15, 14), 17, 3, {q(14, 11, true, 1000)});
    bytes += "2004-03-15,14:30:00,17,3,2,14"; // torn, after every kept problem
    const AnswerLogContents log = parseAnswerLog(bytes);
    QCOMPARE(log.lines.size(), size_t(1));
    QCOMPARE(log.problemCount, qint64(garbage) + 1);
    QCOMPARE(log.problems.size(), kKeptAnswerLogProblems);
    QCOMPARE(log.problems.first().line, 2);
    QCOMPARE(log.problems.last().line, kKeptAnswerLogProblems + 1);
}

void TestAnswerLog::malformedLines_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("too few fields") << QByteArray("2004-03-15,14:30:00,17,3,1,14,11,154,1,0");
    QTest::newRow("too many fields") << QByteArray("2004-03-15,14:30:00,17,3,1,14,11,154,1,0,5,6");
    QTest::newRow("no date") << QByteArray("2004-02-30,14:30:00,17,3,1,14,11,154,1,0,5");
    QTest::newRow("multiplicand") << QByteArray("2004-03-15,14:30:00,17,3,1,13,11,154,1,0,5");
    QTest::newRow("multiplier") << QByteArray("2004-03-15,14:30:00,17,3,1,14,21,154,1,0,5");
    QTest::newRow("student") << QByteArray("2004-03-15,14:30:00,0,3,1,14,11,154,1,0,5");
    QTest::newRow("flag") << QByteArray("2004-03-15,14:30:00,17,3,1,14,11,154,2,0,5");
    QTest::newRow("negative time") << QByteArray("2004-03-15,14:30:00,17,3,1,14,11,154,1,0,-5");
    QTest::newRow("open quote") << QByteArray("2004-03-15,14:30:00,17,3,1,14,11,\"154,1,0,5");
    QTest::newRow("binary") << QByteArray("\x01\xff\x00garbage", 10);
}

void TestAnswerLog::malformedLines() {
    QFETCH(QByteArray, line);
    const QByteArray good = formatAttemptAnswers(at(15, 14), 17, 3, {q(14, 11, true, 1000)});
    const AnswerLogContents log = parseAnswerLog(answerLogHeader() + '\n' + line + '\n' + good);
    QCOMPARE(log.lines.size(), size_t(1));
    QCOMPARE(log.problems.size(), 1);
    QCOMPARE(log.problems[0].line, 2);
}

void TestAnswerLog::heldLockFailsWithoutWaitingLong() {
    QTemporaryDir dir;
    const QString path = dir.filePath(answerLogFileName());
    QProcess holder; // another station holds the log
    holder.start(QStringLiteral(KZ_RESULT_APPENDER),
                 {"hold", path, dir.filePath("ready"), dir.filePath("release")});
    QVERIFY(holder.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.filePath("ready")), 10000);

    int pauses = 0;
    AnswerLogAppendOptions options;
    options.lockTries = 3;
    options.pause = [&](int) { ++pauses; };
    const QByteArray lines = formatAttemptAnswers(at(15, 14), 17, 1, {q(14, 1, true, 800)});
    const Status held = appendAnswerLines(path, lines, options);
    QVERIFY(!held.ok());
    QCOMPARE(held.error().kind, ErrorKind::Locked);
    QCOMPARE(pauses, 2); // three tries, no more
    QCOMPARE(readBytes(path), QByteArray());

    writeBytes(dir.filePath("release"), {});
    QVERIFY(holder.waitForFinished(10000));
    QVERIFY(appendAnswerLines(path, lines, options).ok());
    QCOMPARE(readAnswerLog(path)->lines.size(), size_t(1));
}

void TestAnswerLog::twoProcessesAppendAtOnce() {
    QTemporaryDir dir;
    const QString path = dir.filePath(answerLogFileName());
    const QString go = dir.filePath("go");
    constexpr int kEach = 150;
    std::vector<std::unique_ptr<QProcess>> procs;
    for (int p = 1; p <= 2; ++p) {
        auto proc = std::make_unique<QProcess>();
        proc->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        proc->start(QStringLiteral(KZ_RESULT_APPENDER),
                    {"answers", path, QString::number(p), QString::number(kEach), go});
        QVERIFY(proc->waitForStarted());
        procs.push_back(std::move(proc));
    }
    writeBytes(go, {});
    for (auto& proc : procs) {
        QVERIFY(proc->waitForFinished(120000));
        QCOMPARE(proc->exitCode(), 0);
    }
    const AnswerLogContents log = *readAnswerLog(path);
    QVERIFY(!log.headerMissing);
    QVERIFY(log.problems.isEmpty());
    QCOMPARE(log.lines.size(), size_t(2 * kEach * 16));
    // Every attempt's 16 lines stay together, numbered 1..16.
    for (size_t i = 0; i < log.lines.size(); ++i)
        QCOMPARE(log.lines[i].question, int(i % 16) + 1);
}

void TestAnswerLog::matrixOfTwoStudents() {
    QByteArray bytes = answerLogHeader() + '\n';
    // Student 17: 14 x 13 three times (one wrong), median 5000; 16 x 17 twice, median 3000.
    bytes += formatAttemptAnswers(at(10, 9), 17, 3, {q(14, 13, true, 2000), q(14, 13, false, 5000)});
    bytes += formatAttemptAnswers(at(15, 9), 17, 3, {q(14, 13, true, 9000)});
    bytes += formatAttemptAnswers(at(15, 10), 17, 23, {q(16, 17, true, 2000), q(16, 17, true, 4000)});
    // Student 18 answers everything fast and right.
    bytes += formatAttemptAnswers(at(15, 11), 18, 3, {q(14, 13, true, 800)});
    const AnswerLogContents log = parseAnswerLog(bytes);

    FactPeriod all{QDate(2004, 3, 15), 0, 0};
    std::map<int, FactMatrix> m = summariseFacts(log.lines, all);
    QCOMPARE(m.size(), size_t(2));
    const FactMatrix& s17 = m.at(17);
    QCOMPARE(s17.cell(14, 13).answers, 3);
    QCOMPARE(s17.cell(14, 13).wrong, 1);
    QCOMPARE(s17.cell(14, 13).medianMs, std::optional<qint64>(5000));
    QCOMPARE(s17.cell(16, 17).medianMs, std::optional<qint64>(3000));
    QCOMPARE(s17.cell(15, 1).medianMs, std::nullopt);
    QCOMPARE(s17.attempts, 3);
    QCOMPARE(s17.wrong, 1);
    QCOMPARE(s17.slowestMedianMs, std::optional<qint64>(5000));
    QCOMPARE(m.at(18).cell(14, 13).medianMs, std::optional<qint64>(800));

    // The last two days only, then one level only.
    m = summariseFacts(log.lines, FactPeriod{QDate(2004, 3, 16), 2, 0});
    QCOMPARE(m.at(17).cell(14, 13).answers, 1);
    m = summariseFacts(log.lines, FactPeriod{QDate(2004, 3, 16), 0, 23});
    QCOMPARE(m.size(), size_t(1));
    QCOMPARE(m.at(17).cell(14, 13).answers, 0);
    QCOMPARE(m.at(17).cell(16, 17).answers, 2);
    // The reader's filter gives the same figures.
    const AnswerLogContents filtered =
        parseAnswerLog(bytes, factFilter(FactPeriod{QDate(2004, 3, 16), 2, 0}, {17}));
    QCOMPARE(filtered.lines.size(), size_t(3));
}

void TestAnswerLog::auditAgainstResults() {
    ResultsFileContents results;
    auto record = [&](const QDateTime& when, int student, int level, qint32 time) {
        results.records.push_back(makeResultRecord(when, qint16(student), qint16(level), time, u""));
    };
    record(at(1, 9), 17, 1, 60);      // 1: before the log began: not expected
    record(at(15, 14), 17, 3, 80);    // 2: logged
    record(at(15, 15), 17, 3, 75);    // 3: finished without answers
    record(at(15, 16), 17, 3, 99999); // 4: timed out, perhaps without a single answer
    QByteArray bytes = answerLogHeader() + '\n';
    bytes += formatAttemptAnswers(at(15, 14), 17, 3, {q(14, 11, true, 1000)});
    bytes += formatAttemptAnswers(at(15, 17), 18, 5, {q(14, 16, true, 1000), q(14, 17, true, 1000)});
    const AnswerLogAudit audit = auditAnswerLog(results, parseAnswerLog(bytes));
    QCOMPARE(audit.attemptsWithoutAnswers, std::vector<qint64>{3});
    QCOMPARE(audit.answersWithoutAttempt.size(), size_t(1));
    QCOMPARE(audit.answersWithoutAttempt[0].student, 18);
    QCOMPARE(audit.answersWithoutAttempt[0].lines, 2);
    QCOMPARE(audit.answersWithoutAttempt[0].firstLine, 3);
}

QTEST_GUILESS_MAIN(TestAnswerLog)
#include "tst_answerlog.moc"
