#include "data/oledate.h"
#include "data/resultstore.h"
#include "support/smalldisk.h"
#include "support/testfiles.h"
#include "support/testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <map>
#include <set>

using namespace kz;

namespace {

using test::readBytes;
using test::writeBytes;

ResultRecord sample(qint16 bangou = 17, qint16 level = 2, qint32 time = 95) {
    return makeResultRecord(QDateTime(QDate(2004, 3, 15), QTime(14, 30, 0)), bangou, level, time, u"12345");
}

// The worked example: 15 March 2004 14:30:00, student 17, level 2, 95 s, site 12345.
QByteArray exampleBytes() {
    return QByteArray::fromHex("00000000a095e240" // date 38061.0
                               "555555555555e33f" // time 0.6041666…
                               "1100"             // Bangou 17
                               "0200"             // level 2
                               "5f000000"         // 95 s
                               "3132333435"       // "12345"
                               "2020202020"       // five spaces
                               "3020202020"       // "0" and four spaces
                               "0000000000");     // five zero bytes
}

const char* appender() {
#ifdef KZ_RESULT_APPENDER
    return KZ_RESULT_APPENDER;
#else
    return "";
#endif
}

} // namespace

class TestResultStore : public QObject {
    Q_OBJECT
private slots:
    void exampleRecordIsByteExact();
    void decodeRoundTrip();
    void siteCodePadding_data();
    void siteCodePadding();
    void validity_data();
    void validity();
    void appendCreatesMissingOrEmptyFile_data();
    void appendCreatesMissingOrEmptyFile();
    void appendOverwritesPartialTail();
    void appendStampsUnderLockFromClock();
    void appendToUnreachableFolderIsAnError();
    void appendToFullDiskIsAnError();
    void appendWaitsWhileAnotherProcessHoldsTheLock();
    void eightProcessesAppendConcurrently();
    void readersHandleDamagedFiles_data();
    void readersHandleDamagedFiles();
    void windowReadsNewestRecords();
    void missingFileReadsEmptyButMissingFolderIsNotFound();
    void rewriteChangesOnlyThatRecord();
    void readersWaitForAnotherStationsLock_data();
    void readersWaitForAnotherStationsLock();
};

void TestResultStore::exampleRecordIsByteExact() {
    const ResultRecord r = sample();
    QCOMPARE(r.date, 38061.0);
    QCOMPARE(r.time, 52200.0 / 86400.0);
    QCOMPARE(encodeResultRecord(r), exampleBytes());
    QCOMPARE(encodeResultRecord(r).size(), 44);
}

void TestResultStore::decodeRoundTrip() {
    const ResultRecord r = decodeResultRecord(exampleBytes().constData());
    QCOMPARE(r, sample());
    ResultRecord odd;
    odd.date = -1.5;
    odd.time = 0.999;
    odd.bangou = -5;
    odd.level = 32767;
    odd.recordedTime = -2147483647 - 1;
    odd.extra3 = {'\xff', 1, 2, 3, 4};
    QCOMPARE(decodeResultRecord(encodeResultRecord(odd).constData()), odd);
}

void TestResultStore::siteCodePadding_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("five") << "12345" << QByteArray("12345");
    QTest::newRow("short") << "12" << QByteArray("12   ");
    QTest::newRow("none") << "" << QByteArray("     ");
    QTest::newRow("too long is cut") << "1234567" << QByteArray("12345");
    // Two-byte characters are never split.
    QTest::newRow("cp932") << QString::fromUtf8("塾塾塾") << QByteArray("\x8f\x6d\x8f\x6d ", 5);
}

void TestResultStore::siteCodePadding() {
    QFETCH(QString, code);
    QFETCH(QByteArray, bytes);
    ResultRecord r;
    r.setSiteCode(code);
    QCOMPARE(QByteArray(r.siteCode.data(), 5), bytes);
}

void TestResultStore::validity_data() {
    QTest::addColumn<double>("date");
    QTest::addColumn<int>("bangou");
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("attempt");
    QTest::addColumn<bool>("countable");
    QTest::newRow("ordinary") << 38061.0 << 17 << 2 << true << true;
    QTest::newRow("zeros") << 0.0 << 0 << 0 << false << false;
    QTest::newRow("negative date") << -1.0 << 17 << 2 << false << false;
    QTest::newRow("nan date") << std::nan("") << 17 << 2 << false << false;
    QTest::newRow("infinite date") << HUGE_VAL << 17 << 2 << false << false;
    QTest::newRow("level 0") << 38061.0 << 17 << 0 << false << false;
    QTest::newRow("level -1") << 38061.0 << 17 << -1 << false << false;
    QTest::newRow("level 35") << 38061.0 << 17 << 35 << true << true;
    QTest::newRow("level 36") << 38061.0 << 17 << 36 << true << false;
    QTest::newRow("bangou 0") << 38061.0 << 0 << 2 << false << false;
    QTest::newRow("bangou 5000") << 38061.0 << 5000 << 2 << true << true;
    QTest::newRow("bangou 5001") << 38061.0 << 5001 << 2 << true << false;
    QTest::newRow("bangou -5") << 38061.0 << -5 << 2 << true << false;
}

void TestResultStore::validity() {
    QFETCH(double, date);
    QFETCH(int, bangou);
    QFETCH(int, level);
    QFETCH(bool, attempt);
    QFETCH(bool, countable);
    ResultRecord r;
    r.date = date;
    r.bangou = static_cast<qint16>(bangou);
    r.level = static_cast<qint16>(level);
    QCOMPARE(r.isAttempt(), attempt);
    QCOMPARE(r.isCountable(), countable);
}

void TestResultStore::appendCreatesMissingOrEmptyFile_data() {
    QTest::addColumn<bool>("createEmpty");
    QTest::newRow("missing") << false;
    QTest::newRow("empty") << true;
}

void TestResultStore::appendCreatesMissingOrEmptyFile() {
    QFETCH(bool, createEmpty);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("成績累積データ.dat"));
    if (createEmpty)
        writeBytes(path, {});
    const Outcome<AppendedRecord> out = appendResult(path, sample());
    QVERIFY2(out.ok(), qPrintable(out.ok() ? QString() : out.error().text()));
    QCOMPARE(out->recordNumber, 1);
    QCOMPARE(readBytes(path), exampleBytes());
}

void TestResultStore::appendOverwritesPartialTail() {
    QTemporaryDir dir;
    const QString path = dir.filePath("r.dat");
    QByteArray before = encodeResultRecord(sample(1)) + encodeResultRecord(sample(2)) + QByteArray(12, 'x');
    QCOMPARE(before.size(), 100);
    writeBytes(path, before);
    const Outcome<AppendedRecord> out = appendResult(path, sample());
    QVERIFY(out.ok());
    QCOMPARE(out->recordNumber, 3);
    const QByteArray after = readBytes(path);
    QCOMPARE(after.size(), 132);
    QCOMPARE(after.left(88), before.left(88));
    QCOMPARE(after.mid(88, 44), exampleBytes()); // bytes 88..131
}

void TestResultStore::appendStampsUnderLockFromClock() {
    QTemporaryDir dir;
    const QString path = dir.filePath("r.dat");
    // Milliseconds are dropped: stations write the time of day in whole seconds.
    test::FakeClock clock(QDateTime(QDate(2004, 3, 15), QTime(14, 30, 0, 750)));
    ResultRecord r = sample();
    r.date = 1; // replaced by the clock's moment
    r.time = 0;
    AppendOptions options;
    options.stampClock = &clock;
    const Outcome<AppendedRecord> out = appendResult(path, r, options);
    QVERIFY(out.ok());
    QCOMPARE(readBytes(path), exampleBytes());
    QCOMPARE(out->written, sample());
}

void TestResultStore::appendToUnreachableFolderIsAnError() {
    QTemporaryDir dir;
    const QString path = dir.filePath("gone/r.dat");
    const Outcome<AppendedRecord> out = appendResult(path, sample());
    QVERIFY(!out.ok());
    QCOMPARE(out.error().kind, ErrorKind::NotFound);
    QVERIFY(out.error().code != 0);
    QVERIFY(out.error().message.contains(QDir::toNativeSeparators(path)));
    QVERIFY(!out.error().detail.isEmpty());
}

void TestResultStore::appendToFullDiskIsAnError() {
    test::SmallDisk disk(64);
    KZ_SKIP_UNLESS_MOUNTED(disk);
    const QString path = disk.path(QStringLiteral("r.dat"));
    QByteArray before;
    for (int i = 0; i < 93; ++i) // 4092 bytes: the next record needs a page the disk does not have
        before += encodeResultRecord(sample());
    writeBytes(path, before);
    QVERIFY(disk.fill(0));
    const Outcome<AppendedRecord> out = appendResult(path, sample());
    QVERIFY(!out.ok());
    QCOMPARE(out.error().kind, ErrorKind::WriteFailed);
    QVERIFY(!out.error().text().isEmpty());
    QCOMPARE(readBytes(path), before); // a retry appends the record once
    // A device where the file belongs is refused before anything is written.
    if (QFile::exists("/dev/full"))
        QCOMPARE(appendResult(QStringLiteral("/dev/full"), sample()).error().kind, ErrorKind::WriteFailed);
}

void TestResultStore::appendWaitsWhileAnotherProcessHoldsTheLock() {
    QTemporaryDir dir;
    const QString path = dir.filePath("r.dat");
    const QString ready = dir.filePath("ready");
    const QString release = dir.filePath("release");
    QProcess holder;
    holder.start(appender(), {"hold", path, ready, release});
    QVERIFY(holder.waitForStarted());
    QElapsedTimer t;
    t.start();
    while (!QFile::exists(ready) && t.elapsed() < 30000)
        QTest::qWait(5);
    QVERIFY(QFile::exists(ready));

    QList<int> waits;
    AppendOptions options;
    options.wait = [&](int ms) {
        waits << ms;
        if (waits.size() == 3) {
            writeBytes(release, {});
            QVERIFY(holder.waitForFinished(30000));
        }
    };
    const Outcome<AppendedRecord> out = appendResult(path, sample(), options);
    QVERIFY2(out.ok(), qPrintable(out.ok() ? QString() : out.error().text()));
    QCOMPARE(waits, (QList<int>{1000, 1000, 1000}));
    QCOMPARE(holder.exitCode(), 0);
    QCOMPARE(readBytes(path), exampleBytes());
}

void TestResultStore::eightProcessesAppendConcurrently() {
    QTemporaryDir dir;
    const QString path = dir.filePath("r.dat");
    const QString go = dir.filePath("go");
    constexpr int kProcesses = 8;
    constexpr int kEach = 250;
    std::vector<std::unique_ptr<QProcess>> procs;
    for (int p = 1; p <= kProcesses; ++p) {
        auto proc = std::make_unique<QProcess>();
        proc->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        proc->start(appender(), {"append", path, QString::number(p), QString::number(kEach), go});
        QVERIFY(proc->waitForStarted());
        procs.push_back(std::move(proc));
    }
    writeBytes(go, {}); // all start together
    for (auto& proc : procs) {
        QVERIFY(proc->waitForFinished(120000));
        QCOMPARE(proc->exitStatus(), QProcess::NormalExit);
        QCOMPARE(proc->exitCode(), 0);
    }
    const QByteArray bytes = readBytes(path);
    QCOMPARE(bytes.size(), kProcesses * kEach * 44);
    std::map<int, std::vector<int>> seen;
    for (int i = 0; i < kProcesses * kEach; ++i) {
        const QByteArray raw = bytes.mid(i * 44, 44);
        const ResultRecord r = decodeResultRecord(raw.constData());
        QVERIFY(r.isCountable());
        QCOMPARE(raw.mid(24), exampleBytes().mid(24)); // text fields intact: no torn record
        QCOMPARE(r.date, 38061.0);
        QCOMPARE(int(r.level), r.recordedTime % 35 + 1);
        seen[r.bangou].push_back(r.recordedTime);
    }
    QCOMPARE(int(seen.size()), kProcesses);
    for (const auto& [tag, times] : seen) {
        QCOMPARE(int(times.size()), kEach);
        for (int i = 0; i < kEach; ++i)
            QCOMPARE(times[size_t(i)], i + 1); // every record, in the order its process wrote them
    }
}

void TestResultStore::readersHandleDamagedFiles_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("tail");
    QTest::addColumn<int>("attempts");
    QTest::newRow("zero bytes") << QByteArray() << 0 << 0 << 0;
    QTest::newRow("torn tail only") << QByteArray(43, 'x') << 0 << 43 << 0;
    QTest::newRow("two and a tail") << encodeResultRecord(sample()) + encodeResultRecord(sample()) +
                                           QByteArray(12, '\0')
                                    << 2 << 12 << 2;
    QByteArray garbage;
    for (int i = 0; i < 44 * 5 + 7; ++i)
        garbage.append(char((i * 37 + 11) & 0xff));
    QTest::newRow("garbage") << garbage << 5 << 7 << -1;
    QTest::newRow("zero records") << QByteArray(44 * 3, '\0') << 3 << 0 << 0;
}

void TestResultStore::readersHandleDamagedFiles() {
    QFETCH(QByteArray, content);
    QFETCH(int, records);
    QFETCH(int, tail);
    QFETCH(int, attempts);
    QTemporaryDir dir;
    const QString path = dir.filePath("r.dat");
    writeBytes(path, content);
    const Outcome<ResultsFileContents> all = readAllResults(path);
    QVERIFY(all.ok());
    QCOMPARE(int(all->records.size()), records);
    QCOMPARE(int(all->tailBytes), tail);
    if (attempts >= 0) {
        int n = 0;
        for (const ResultRecord& r : all->records)
            n += r.isAttempt() ? 1 : 0;
        QCOMPARE(n, attempts);
    }
    // Appending after damage never touches the whole records before it.
    QVERIFY(appendResult(path, sample()).ok());
    const QByteArray after = readBytes(path);
    QCOMPARE(after.size(), (records + 1) * 44);
    QCOMPARE(after.left(records * 44), content.left(records * 44));
}

void TestResultStore::windowReadsNewestRecords() {
    QTemporaryDir dir;
    const QString path = dir.filePath("r.dat");
    QByteArray content;
    for (int i = 1; i <= 30; ++i)
        content += encodeResultRecord(sample(static_cast<qint16>(i)));
    content += "tail";
    writeBytes(path, content);
    Outcome<ResultsWindow> read = readResultsWindow(path, 10);
    QVERIFY(read.ok());
    ResultsWindow w = *read;
    QCOMPARE(w.totalRecords, 30);
    QCOMPARE(w.tailBytes, 4);
    QCOMPARE(w.count(), 10);
    QCOMPARE(w.firstRecordNumber, 21);
    QCOMPARE(int(w.record(0).bangou), 21);
    QCOMPARE(int(w.record(9).bangou), 30);
    read = readResultsWindow(path, 100);
    QVERIFY(read.ok());
    w = *read;
    QCOMPARE(w.count(), 30);
    QCOMPARE(w.firstRecordNumber, 1);
}

void TestResultStore::missingFileReadsEmptyButMissingFolderIsNotFound() {
    QTemporaryDir dir;
    const Outcome<ResultsWindow> read = readResultsWindow(dir.filePath("none.dat"), 0);
    QVERIFY(read.ok());
    const ResultsWindow& w = *read;
    QVERIFY(w.fileMissing);
    QCOMPARE(w.count(), 0);
    QVERIFY(!QFile::exists(dir.filePath("none.dat"))); // reading creates nothing
    ReadStep step = ReadStep::Read;
    const Outcome<ResultsWindow> e = readResultsWindow(dir.filePath("gone/none.dat"), 0, &step);
    QCOMPARE(e.error().kind, ErrorKind::NotFound);
    QCOMPARE(step, ReadStep::Open);
}

void TestResultStore::rewriteChangesOnlyThatRecord() {
    QTemporaryDir dir;
    const QString path = dir.filePath("r.dat");
    QByteArray content;
    for (int i = 1; i <= 5; ++i)
        content += encodeResultRecord(sample(static_cast<qint16>(i)));
    writeBytes(path, content);
    ResultRecord changed = sample(21, 2, 80);
    QVERIFY(rewriteResult(path, 5, changed).ok());
    QVERIFY(!rewriteResult(path, 6, changed).ok());
    const QByteArray after = readBytes(path);
    QCOMPARE(after.left(176), content.left(176));
    QCOMPARE(after.mid(176), encodeResultRecord(changed));
}

void TestResultStore::readersWaitForAnotherStationsLock_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("wait");
    QTest::newRow("in use") << int(ErrorKind::Locked) << EBUSY << true;
    QTest::newRow("permission denied on a share") << int(ErrorKind::Unreadable) << EACCES << true;
    QTest::newRow("try again") << int(ErrorKind::Unreadable) << EAGAIN << true;
    QTest::newRow("disk full") << int(ErrorKind::WriteFailed) << ENOSPC << false;
    QTest::newRow("I/O error") << int(ErrorKind::Unreadable) << EIO << false;
    QTest::newRow("not found") << int(ErrorKind::NotFound) << ENOENT << false;
}

void TestResultStore::readersWaitForAnotherStationsLock() {
    QFETCH(int, kind);
    QFETCH(int, number);
    QFETCH(bool, wait);
    const Error e = makeError(ErrorKind(kind), QStringLiteral("読めません"), QString(), number);
    QCOMPARE(mayBeHeldByAnotherStation(e), wait);
}

QTEST_GUILESS_MAIN(TestResultStore)
#include "tst_resultstore.moc"
