#include "data/answerlog.h"
#include "support/testfiles.h"
#include "web/answerlogtail.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace kz;

namespace {

QList<AnsweredQuestion> answers(int count, int wrongEvery) {
    QList<AnsweredQuestion> list;
    for (int i = 1; i <= count; ++i)
        list.append(
            {14, i % 20 + 1, QStringLiteral("154"), wrongEvery == 0 || i % wrongEvery != 0, false, 1500});
    return list;
}

// A log of `days` days up to 2004-03-15, `perDay` attempts a day of 30 answers each.
QByteArray sampleLog(int days, int perDay) {
    QByteArray bytes = answerLogHeader() + '\n';
    const QDate last(2004, 3, 15);
    for (int d = days - 1; d >= 0; --d) {
        for (int a = 0; a < perDay; ++a)
            bytes += formatAttemptAnswers(QDateTime(last.addDays(-d), QTime(9, 0).addSecs(a * 60)),
                                          1 + a % 40, 1 + a % 25, answers(30, 7));
    }
    return bytes;
}

std::vector<AnswerLogLine> since(const std::vector<AnswerLogLine>& lines, QDate day) {
    std::vector<AnswerLogLine> out;
    for (const AnswerLogLine& line : lines) {
        if (line.date >= day)
            out.push_back(line);
    }
    return out;
}

bool sameLines(const std::vector<AnswerLogLine>& a, const std::vector<AnswerLogLine>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const AnswerLogLine& x = a[i];
        const AnswerLogLine& y = b[i];
        if (x.date != y.date || x.time != y.time || x.student != y.student || x.level != y.level ||
            x.question != y.question || x.correct != y.correct || x.responseMs != y.responseMs)
            return false;
    }
    return true;
}

} // namespace

class TestAnswerLogTail : public QObject {
    Q_OBJECT
private slots:
    void readsTheSameLinesAsTheWholeFile_data();
    void readsTheSameLinesAsTheWholeFile();
    void skipsATornLastLine();
    void missingFileIsEmpty();
    void refusesWhatIsNoFile();
};

void TestAnswerLogTail::readsTheSameLinesAsTheWholeFile_data() {
    QTest::addColumn<int>("days");
    QTest::addColumn<int>("perDay");
    QTest::addColumn<QDate>("from");
    // Sizes around the first piece read from the end (256 KiB) and far beyond it.
    QTest::newRow("one small day") << 1 << 3 << QDate(2004, 3, 15);
    QTest::newRow("today is in the first piece") << 40 << 30 << QDate(2004, 3, 15);
    QTest::newRow("a week back") << 40 << 30 << QDate(2004, 3, 9);
    QTest::newRow("before the first line") << 5 << 10 << QDate(2004, 1, 1);
    QTest::newRow("nothing today") << 5 << 10 << QDate(2004, 3, 16);
}

void TestAnswerLogTail::readsTheSameLinesAsTheWholeFile() {
    QFETCH(int, days);
    QFETCH(int, perDay);
    QFETCH(QDate, from);
    QTemporaryDir dir;
    const QString path = dir.filePath(answerLogFileName());
    test::writeBytes(path, sampleLog(days, perDay));
    const Outcome<AnswerLogContents> whole = readAnswerLog(path);
    QVERIFY(whole);
    const Outcome<AnswerLogContents> tail = web::readAnswerLogSince(path, from);
    QVERIFY2(tail, qPrintable(tail.error().text()));
    QVERIFY(tail->problems.isEmpty());
    QVERIFY(sameLines(tail->lines, since(whole->lines, from)));
}

void TestAnswerLogTail::skipsATornLastLine() {
    QTemporaryDir dir;
    const QString path = dir.filePath(answerLogFileName());
    QByteArray bytes = sampleLog(2, 2);
    bytes += "2004-03-15,14:00:00,3,3,1,14,"; // a station stopped in the middle of its write
    test::writeBytes(path, bytes);
    const Outcome<AnswerLogContents> tail = web::readAnswerLogSince(path, QDate(2004, 3, 15));
    QVERIFY(tail);
    QCOMPARE(tail->lines.size(), size_t(60));
    QCOMPARE(tail->problems.size(), 1);
    QVERIFY(tail->problems.first().torn);
}

void TestAnswerLogTail::missingFileIsEmpty() {
    QTemporaryDir dir;
    const Outcome<AnswerLogContents> tail =
        web::readAnswerLogSince(dir.filePath("none.csv"), QDate(2004, 3, 15));
    QVERIFY(tail);
    QVERIFY(tail->fileMissing);
    QVERIFY(tail->lines.empty());
    QVERIFY(!web::readAnswerLogSince(dir.filePath("no-folder/none.csv"), QDate(2004, 3, 15)));
}

void TestAnswerLogTail::refusesWhatIsNoFile() {
    QTemporaryDir dir;
    // A FIFO would block a reader that opens it until someone writes: refused at once.
    const QString fifo = dir.filePath("fifo.csv");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(!web::readAnswerLogSince(fifo, QDate(2004, 3, 15)));
    QDir(dir.path()).mkdir("folder.csv");
    QVERIFY(!web::readAnswerLogSince(dir.filePath("folder.csv"), QDate(2004, 3, 15)));
}

QTEST_GUILESS_MAIN(TestAnswerLogTail)
#include "tst_answerlogtail.moc"
