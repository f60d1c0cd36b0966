#include "data/resultmaintenance.h"
#include "data/resultstore.h"
#include "support/testfiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <set>

using namespace kz;

namespace {

using test::readBytes;
using test::writeBytes;

ResultRecord sample(int bangou, qint32 time = 95) {
    return makeResultRecord(QDateTime(QDate(2004, 3, 15), QTime(14, 30, 0)), static_cast<qint16>(bangou), 2,
                            time, u"12345");
}

// Records of students 1..n, student k with the time k.
QByteArray records(int n) {
    QByteArray bytes;
    for (int k = 1; k <= n; ++k)
        bytes += encodeResultRecord(sample(k, k));
    return bytes;
}

const char* helper() {
#ifdef KZ_RESULT_APPENDER
    return KZ_RESULT_APPENDER;
#else
    return "";
#endif
}

} // namespace

class TestResultMaintenance : public QObject {
    Q_OBJECT
private slots:
    void removalWhileAnotherProcessAppendsLosesNothing();
    void failureAfterTheCopyKeepsEveryRecord_data();
    void failureAfterTheCopyKeepsEveryRecord();
    void stationSwitchedOffMidRemovalLeavesTheCopy();
    void recordChangedElsewhereIsLeftAlone();
    void copyThatCannotBeMadeChangesNothing();
};

void TestResultMaintenance::removalWhileAnotherProcessAppendsLosesNothing() {
    QTemporaryDir dir;
    const QString path = dir.filePath("成績累積データ.dat");
    const QString copy = dir.filePath("成績累積データtemp.dat");
    const QString go = dir.filePath("go");
    constexpr int kOwn = 40;
    constexpr int kRemovals = 20;
    constexpr int kAppended = 200;
    writeBytes(path, records(kOwn));
    QProcess other;
    other.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    other.start(helper(), {"append", path, "4999", QString::number(kAppended), go});
    QVERIFY(other.waitForStarted());
    writeBytes(go, {});
    // Start removing once the other station is under way.
    QElapsedTimer started;
    started.start();
    while (QFileInfo(path).size() < (kOwn + 5) * 44 && started.elapsed() < 30000)
        QThread::usleep(100);
    MaintenanceOptions options;
    options.retryMs = 1;
    options.wait = [](int) { QThread::usleep(100); };
    // Always the first record: students 1..20 go, whatever the other station adds meanwhile.
    for (int i = 0; i < kRemovals; ++i) {
        const Outcome<RemovalResult> removed = removeResult(path, copy, 1, sample(i + 1, i + 1), options);
        QVERIFY2(removed.ok(), removed.ok() ? "" : qPrintable(removed.error().text()));
    }
    QVERIFY(other.state() == QProcess::NotRunning || other.waitForFinished(60000));
    QCOMPARE(other.exitCode(), 0);

    const QByteArray after = readBytes(path);
    QCOMPARE(after.size(), (kOwn - kRemovals + kAppended) * 44);
    std::vector<int> appended;
    std::set<int> own;
    for (qsizetype i = 0; i < after.size() / 44; ++i) {
        const ResultRecord r = decodeResultRecord(after.constData() + i * 44);
        if (r.bangou == 4999)
            appended.push_back(r.recordedTime);
        else
            own.insert(r.bangou);
    }
    QCOMPARE(int(appended.size()), kAppended);
    for (int i = 0; i < kAppended; ++i)
        QCOMPARE(appended[size_t(i)], i + 1);
    QCOMPARE(int(own.size()), kOwn - kRemovals);
    QCOMPARE(*own.begin(), kRemovals + 1);
    QVERIFY(!QFile::exists(copy));
}

void TestResultMaintenance::failureAfterTheCopyKeepsEveryRecord_data() {
    QTest::addColumn<int>("step");
    QTest::newRow("after the copy") << int(RemovalStep::Copied);
    QTest::newRow("after moving the records down") << int(RemovalStep::Rewritten);
}

void TestResultMaintenance::failureAfterTheCopyKeepsEveryRecord() {
    QFETCH(int, step);
    QTemporaryDir dir;
    const QString path = dir.filePath("成績累積データ.dat");
    const QString copy = dir.filePath("成績累積データtemp.dat");
    const QByteArray before = records(5) + QByteArray("torn", 4);
    writeBytes(path, before);
    MaintenanceOptions options;
    options.checkpoint = [step](RemovalStep at) -> Status {
        if (int(at) == step)
            return makeError(ErrorKind::WriteFailed, QStringLiteral("ディスクがいっぱいです"));
        return {};
    };
    const Outcome<RemovalResult> removed = removeResult(path, copy, 2, std::nullopt, options);
    QVERIFY(!removed.ok());
    QVERIFY(removed.error().text().contains(QDir::toNativeSeparators(copy)));
    QVERIFY(removed.error().text().contains(QStringLiteral("ディスクがいっぱいです")));
    QCOMPARE(readBytes(copy), before);
    QCOMPARE(readBytes(path), before); // put back as well
    const auto left = findLeftoverCopy(path, copy);
    QVERIFY(left.ok() && left->has_value());
    QCOMPARE((*left)->copyRecords, 5);
    QCOMPARE((*left)->copyTailBytes, 4);
}

void TestResultMaintenance::stationSwitchedOffMidRemovalLeavesTheCopy() {
    QTemporaryDir dir;
    const QString path = dir.filePath("成績累積データ.dat");
    const QString copy = dir.filePath("成績累積データtemp.dat");
    writeBytes(path, records(6));
    QProcess station;
    station.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    station.start(helper(), {"remove-crash", path, copy, "3"});
    QVERIFY(station.waitForFinished(30000));
    QCOMPARE(station.exitCode(), 9);
    // The results file is half done; the copy holds every record as it was.
    QCOMPARE(readBytes(copy), records(6));
    const auto left = findLeftoverCopy(path, copy);
    QVERIFY(left.ok() && left->has_value());
    const QString notice = leftoverCopyNotice(**left, path, copy);
    QVERIFY(notice.contains(QDir::toNativeSeparators(copy)));
    QVERIFY(notice.contains(QStringLiteral("（記録 6 件）")));
    QVERIFY(notice.contains(QStringLiteral("記録は 6 件です")));
    // The next removal goes ahead and replaces the copy.
    QVERIFY(removeResult(path, copy, 1, std::nullopt).ok());
    QVERIFY(!QFile::exists(copy));
}

void TestResultMaintenance::recordChangedElsewhereIsLeftAlone() {
    QTemporaryDir dir;
    const QString path = dir.filePath("r.dat");
    writeBytes(path, records(3));
    const ResultRecord stale = sample(9, 9);
    QCOMPARE(correctResult(path, 2, stale, sample(21, 80)).error().kind, ErrorKind::Refused);
    QCOMPARE(removeResult(path, dir.filePath("c.dat"), 2, stale).error().kind, ErrorKind::Refused);
    QCOMPARE(removeResult(path, dir.filePath("c.dat"), 4, std::nullopt).error().kind, ErrorKind::Refused);
    QCOMPARE(readBytes(path), records(3));
    QVERIFY(!QFile::exists(dir.filePath("c.dat")));
}

void TestResultMaintenance::copyThatCannotBeMadeChangesNothing() {
    QTemporaryDir dir;
    const QString path = dir.filePath("r.dat");
    writeBytes(path, records(3));
    QVERIFY(QDir(dir.path()).mkdir("c.dat")); // a folder where the copy should go
    const Outcome<RemovalResult> removed = removeResult(path, dir.filePath("c.dat"), 2, std::nullopt);
    QVERIFY(!removed.ok());
    QVERIFY(removed.error().text().contains(QStringLiteral("記録は消去していません")));
    QCOMPARE(readBytes(path), records(3));
}

QTEST_GUILESS_MAIN(TestResultMaintenance)
#include "tst_resultmaintenance.moc"
