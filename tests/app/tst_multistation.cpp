// Two stations finish attempts on one data folder at the same moment while a third
// removes a record as the record browser does: afterwards every attempt is in the
// results file exactly once, no record is torn, and the removed record is gone.
#include "core/installation.h"
#include "core/runstate.h"
#include "data/resultstore.h"
#include "support/demoschool.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>

using namespace kz;

class TestMultiStation : public QObject {
    Q_OBJECT
private slots:
    void twoStationsRecordWhileAThirdRemoves();
};

void TestMultiStation::twoStationsRecordWhileAThirdRemoves() {
    test::DemoSchool school;
    QVERIFY2(school.failure.isEmpty(), qPrintable(school.failure));
    QTemporaryDir& dir = school.dir;
    const QString programFolder = school.programFolder();
    auto state = std::make_unique<RunState>();
    QVERIFY(resolveInstallation(programFolder, *state).ok());
    const QString resultsPath = state->settings.installation.resultsPath();
    const Outcome<ResultsFileContents> before = readAllResults(resultsPath);
    QVERIFY(before.ok());
    QVERIFY(before->records.size() > 10);

    constexpr int kAttempts = 150;
    constexpr int kRemoved = 5; // record number the third station removes
    const QString go = dir.filePath(QStringLiteral("go"));
    std::vector<std::unique_ptr<QProcess>> stations;
    auto start = [&](const QStringList& arguments) {
        auto station = std::make_unique<QProcess>();
        station->setProcessChannelMode(QProcess::ForwardedChannels);
        station->start(QStringLiteral(KZ_STATION_HELPER), arguments);
        QVERIFY(station->waitForStarted());
        stations.push_back(std::move(station));
    };
    for (const char* student : {"4001", "4002"})
        start({QStringLiteral("record"), programFolder, QString::fromLatin1(student),
               QString::number(kAttempts), go});
    start({QStringLiteral("remove"), programFolder, QString::number(kRemoved), go});
    QThread::msleep(300); // every station has started up and waits
    QFile(go).open(QIODevice::WriteOnly);
    for (const auto& station : stations) {
        QVERIFY(station->waitForFinished(120000));
        QCOMPARE(station->exitStatus(), QProcess::NormalExit);
        QCOMPARE(station->exitCode(), 0);
    }

    QCOMPARE(QFileInfo(resultsPath).size() % 44, 0);
    const Outcome<ResultsFileContents> after = readAllResults(resultsPath);
    QVERIFY(after.ok());
    QCOMPARE(after->tailBytes, 0);
    QCOMPARE(after->records.size(), before->records.size() - 1 + 2 * kAttempts);
    // The records before the appends: the old ones, record kRemoved gone.
    std::vector<ResultRecord> kept = before->records;
    kept.erase(kept.begin() + (kRemoved - 1));
    for (size_t k = 0; k < kept.size(); ++k)
        QVERIFY2(after->records[k] == kept[k], qPrintable(QStringLiteral("record %1").arg(k + 1)));
    // Each station's attempts whole, each once and in the order recorded.
    int next[2] = {1, 1};
    for (size_t k = kept.size(); k < after->records.size(); ++k) {
        const ResultRecord& r = after->records[k];
        QVERIFY2(r.bangou == 4001 || r.bangou == 4002, qPrintable(QStringLiteral("record %1").arg(k + 1)));
        int& expected = next[r.bangou - 4001];
        QCOMPARE(r.recordedTime, expected);
        QCOMPARE(int(r.level), (expected - 1) % 4 + 1);
        ++expected;
    }
    QCOMPARE(next[0], kAttempts + 1);
    QCOMPARE(next[1], kAttempts + 1);
    QVERIFY(!QFile::exists(state->settings.installation.resultsTempPath()));
}

QTEST_GUILESS_MAIN(TestMultiStation)
#include "tst_multistation.moc"
