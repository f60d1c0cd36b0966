#include "data/resultmaintenance.h"
#include "data/resultstore.h"
#include "data/retryrule.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

using namespace kz;

namespace {

// A failure as the file layer reports it: its kind and the system's number.
struct Failure {
    ErrorKind kind = ErrorKind::Internal;
    int code = 0;
};
using Failures = QList<Failure>;

Error errorOf(const Failure& f) {
    return makeError(f.kind, QStringLiteral("失敗"), QStringLiteral("system"), f.code);
}

const Failure kLocked{ErrorKind::Locked, EBUSY};
const Failure kRefusedRead{ErrorKind::Unreadable, EACCES}; // how a lock shows on a network share
const Failure kTryAgain{ErrorKind::WriteFailed, EAGAIN};
const Failure kBroken{ErrorKind::Unreadable, EIO};
const Failure kGone{ErrorKind::NotFound, ENOENT};
const Failure kDiskFull{ErrorKind::WriteFailed, ENOSPC};

} // namespace

Q_DECLARE_METATYPE(Failures)

// The one rule every operation on a shared data file follows, and the one message each
// kind of failure of the results file gets, whoever meets it.
class TestRetryRule : public QObject {
    Q_OBJECT
private slots:
    void rule_data();
    void rule();
    void valueOfTheLastTry();
    void messagePerKind_data();
    void messagePerKind();
    void everyReaderAndWriterSaysTheSame_data();
    void everyReaderAndWriterSaysTheSame();
};

void TestRetryRule::rule_data() {
    QTest::addColumn<Failures>("failures"); // before the try that succeeds; all of them when it never does
    QTest::addColumn<bool>("neverSucceeds");
    QTest::addColumn<bool>("writing");
    QTest::addColumn<int>("unreachableTries");
    QTest::addColumn<int>("giveUpAfterMs");
    QTest::addColumn<int>("tries");
    QTest::addColumn<QList<int>>("waits");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("gaveUp");

    QTest::newRow("first try") << Failures{} << false << false << 0 << 0 << 1 << QList<int>{} << true
                               << false;
    QTest::newRow("held three times") << Failures{kLocked, kLocked, kLocked} << false << false << 0 << 0 << 4
                                      << QList<int>{1000, 1000, 1000} << true << false;
    QTest::newRow("read refused: may be a lock")
        << Failures{kRefusedRead} << false << false << 0 << 0 << 2 << QList<int>{1000} << true << false;
    QTest::newRow("read, try again: may be a lock")
        << Failures{kTryAgain} << false << false << 0 << 0 << 2 << QList<int>{1000} << true << false;
    QTest::newRow("writer's lock held") << Failures{kLocked, kLocked} << false << true << 0 << 0 << 3
                                        << QList<int>{1000, 1000} << true << false;
    QTest::newRow("writer refused: no lock, reported at once")
        << Failures{kRefusedRead} << true << true << 0 << 0 << 1 << QList<int>{} << false << false;
    QTest::newRow("broken: reported at once")
        << Failures{kBroken} << true << false << 4 << 0 << 1 << QList<int>{} << false << false;
    QTest::newRow("disk full: reported at once")
        << Failures{kDiskFull} << true << true << 0 << 0 << 1 << QList<int>{} << false << false;
    QTest::newRow("unreachable: reported at once")
        << Failures{kGone} << true << false << 0 << 0 << 1 << QList<int>{} << false << false;
    QTest::newRow("unreachable four times, waited after each")
        << Failures{kGone} << true << false << 4 << 0 << 4 << QList<int>{5000, 5000, 5000, 5000} << false
        << false;
    QTest::newRow("unreachable twice, then there")
        << Failures{kGone, kGone} << false << false << 4 << 0 << 3 << QList<int>{5000, 5000} << true << false;
    QTest::newRow("held, given up after 2.5 s") << Failures{kLocked} << true << false << 0 << 2500 << 4
                                                << QList<int>{1000, 1000, 500} << false << true;
    QTest::newRow("a held file is waited for, whatever came before")
        << Failures{kGone, kLocked, kLocked, kGone} << false << false << 4 << 0 << 5
        << QList<int>{5000, 1000, 1000, 5000} << true << false;
}

void TestRetryRule::rule() {
    QFETCH(Failures, failures);
    QFETCH(bool, neverSucceeds);
    QFETCH(bool, writing);
    QFETCH(int, unreachableTries);
    QFETCH(int, giveUpAfterMs);
    int tried = 0;
    QList<int> waited;
    RetryRule rule;
    rule.access = writing ? FileAccess::Write : FileAccess::Read;
    rule.unreachableTries = unreachableTries;
    rule.giveUpAfterMs = giveUpAfterMs;
    RetryReport report;
    const Status status = retryWhileHeld(
        [&]() -> Status {
            const qsizetype i = tried++;
            if (neverSucceeds)
                return errorOf(failures[qMin(i, failures.size() - 1)]);
            return i < failures.size() ? Status(errorOf(failures[i])) : Status();
        },
        [&](int ms) { waited << ms; }, rule, &report);
    QFETCH(int, tries);
    QFETCH(QList<int>, waits);
    QFETCH(bool, ok);
    QFETCH(bool, gaveUp);
    QCOMPARE(tried, tries);
    QCOMPARE(report.tries, tries);
    QCOMPARE(waited, waits);
    QCOMPARE(status.ok(), ok);
    QCOMPARE(report.gaveUp, gaveUp);
    int total = 0;
    for (int ms : waits)
        total += ms;
    QCOMPARE(report.waitedMs, total);
    if (!ok)
        QCOMPARE(status.error(), errorOf(failures.last()));
}

void TestRetryRule::valueOfTheLastTry() {
    int tried = 0;
    const Outcome<int> got = retryWhileHeld<int>(
        [&]() -> Outcome<int> {
            if (++tried < 3)
                return errorOf(kLocked);
            return 42;
        },
        [](int) {});
    QVERIFY(got.ok());
    QCOMPARE(*got, 42);
    QCOMPARE(tried, 3);
}

void TestRetryRule::messagePerKind_data() {
    QTest::addColumn<int>("causeKind");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("access");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("message");
    const int read = int(FileAccess::Read);
    const int write = int(FileAccess::Write);
    const QString gone = QStringLiteral("成績ファイルがありません: /data/成績累積データ.dat");
    const QString unreadable = QStringLiteral("成績ファイルを読めません: /data/成績累積データ.dat");
    const QString unwritable = QStringLiteral("成績ファイルに書き込めません: /data/成績累積データ.dat");
    QTest::newRow("read, unreachable")
        << int(ErrorKind::NotFound) << ENOENT << read << int(ErrorKind::NotFound) << gone;
    QTest::newRow("write, unreachable")
        << int(ErrorKind::NotFound) << ESTALE << write << int(ErrorKind::NotFound) << gone;
    QTest::newRow("read, held") << int(ErrorKind::Locked) << EBUSY << read << int(ErrorKind::Locked)
                                << unreadable;
    QTest::newRow("read, refused") << int(ErrorKind::Unreadable) << EACCES << read << int(ErrorKind::Locked)
                                   << unreadable;
    QTest::newRow("write, lock held")
        << int(ErrorKind::Locked) << EAGAIN << write << int(ErrorKind::Locked) << unwritable;
    QTest::newRow("write, refused: no lock")
        << int(ErrorKind::Unreadable) << EACCES << write << int(ErrorKind::WriteFailed) << unwritable;
    QTest::newRow("read, broken") << int(ErrorKind::Unreadable) << EIO << read << int(ErrorKind::Unreadable)
                                  << unreadable;
    QTest::newRow("read, odd kind") << int(ErrorKind::Internal) << EBADF << read << int(ErrorKind::Unreadable)
                                    << unreadable;
    QTest::newRow("write, disk full")
        << int(ErrorKind::WriteFailed) << ENOSPC << write << int(ErrorKind::WriteFailed) << unwritable;
    QTest::newRow("write, read-only folder")
        << int(ErrorKind::Unreadable) << EROFS << write << int(ErrorKind::WriteFailed) << unwritable;
}

void TestRetryRule::messagePerKind() {
    QFETCH(int, causeKind);
    QFETCH(int, code);
    QFETCH(int, access);
    const Error cause = makeError(ErrorKind(causeKind), QStringLiteral("ファイルを開けません。"),
                                  QStringLiteral("system text"), code);
    const Error e = resultsFileError(cause, QStringLiteral("/data/成績累積データ.dat"), FileAccess(access));
    QFETCH(int, kind);
    QFETCH(QString, message);
    QCOMPARE(int(e.kind), kind);
    QCOMPARE(e.message, QDir::toNativeSeparators(message));
    QCOMPARE(e.detail, QStringLiteral("system text"));
    QCOMPARE(e.code, code);
}

// The same failure of the results file reads the same, whoever met it.
void TestRetryRule::everyReaderAndWriterSaysTheSame_data() {
    QTest::addColumn<QString>("place"); // where the results file is, below a temporary folder
    QTest::addColumn<bool>("folderInItsPlace");
    QTest::addColumn<QString>("readMessage");
    QTest::addColumn<QString>("writeMessage");
    QTest::newRow("folder unreachable")
        << "gone/成績累積データ.dat" << false << QStringLiteral("成績ファイルがありません: %1")
        << QStringLiteral("成績ファイルがありません: %1");
    QTest::newRow("a folder in the file's place")
        << "成績累積データ.dat" << true << QStringLiteral("成績ファイルを読めません: %1")
        << QStringLiteral("成績ファイルに書き込めません: %1");
}

void TestRetryRule::everyReaderAndWriterSaysTheSame() {
    QFETCH(QString, place);
    QFETCH(bool, folderInItsPlace);
    QFETCH(QString, readMessage);
    QFETCH(QString, writeMessage);
    QTemporaryDir dir;
    const QString path = dir.filePath(place);
    if (folderInItsPlace) {
        // A few entries, so that the folder measures at least one record on every file system.
        for (const char* entry : {"a", "b", "c"})
            QVERIFY(QDir().mkpath(path + u'/' + QLatin1String(entry)));
    }
    const QString shown = QDir::toNativeSeparators(path);
    const QString read = readMessage.arg(shown);
    const QString written = writeMessage.arg(shown);
    const auto noWait = [](int) {};

    QCOMPARE(readResultsWindow(path, 0).error().message, read);
    QCOMPARE(readAllResults(path).error().message, read);
    QCOMPARE(resultsFileReader(path)(1000).error().message, read);
    QCOMPARE(readResultAt(path, 1).error().message, read);

    AppendOptions append;
    append.wait = noWait;
    QCOMPARE(appendResult(path, ResultRecord{}, append).error().message, written);
    QCOMPARE(rewriteResult(path, 1, ResultRecord{}).error().message, written);
    MaintenanceOptions maintenance;
    maintenance.wait = noWait;
    QCOMPARE(correctResult(path, dir.filePath("copy.dat"), 1, std::nullopt, ResultRecord{}, maintenance)
                 .error()
                 .message,
             written);
    QCOMPARE(removeResult(path, dir.filePath("copy.dat"), 1, std::nullopt, maintenance).error().message,
             written);
}

QTEST_GUILESS_MAIN(TestRetryRule)
#include "tst_retryrule.moc"
