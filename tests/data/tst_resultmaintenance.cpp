#include "data/maintenancejournal.h"
#include "data/resultmaintenance.h"
#include "data/resultstore.h"
#include "support/testfiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <map>
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

// The record the helper's "append" writes as the i-th of student tag.
QByteArray appendedRecord(int tag, int i) {
    return encodeResultRecord(makeResultRecord(QDateTime(QDate(2004, 3, 15), QTime(14, 30)),
                                               static_cast<qint16>(tag), static_cast<qint16>(i % 35 + 1), i,
                                               u"12345"));
}
QByteArray appendedRecords(int tag, int count) {
    QByteArray bytes;
    for (int i = 1; i <= count; ++i)
        bytes += appendedRecord(tag, i);
    return bytes;
}

QByteArray without(const QByteArray& bytes, int recordNumber) {
    const qsizetype whole = bytes.size() - bytes.size() % 44;
    return bytes.left((recordNumber - 1) * 44) + bytes.mid(recordNumber * 44, whole - recordNumber * 44);
}

const char* helper() {
#ifdef KZ_RESULT_APPENDER
    return KZ_RESULT_APPENDER;
#else
    return "";
#endif
}

int runHelper(const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(helper(), args);
    if (!p.waitForFinished(60000))
        return -1;
    return p.exitCode();
}

// Another station appends count records of student tag, in a process of its own.
void stationAppends(const QString& path, int tag, int count) {
    const QString go = path + QStringLiteral(".go");
    writeBytes(go, {});
    QCOMPARE(runHelper({"append", path, QString::number(tag), QString::number(count), go}), 0);
}

struct School {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("成績累積データ.dat"));
    QString copy = dir.filePath(QStringLiteral("成績累積データtemp.dat"));
    QString journal = maintenanceJournalPath(copy);
};

MaintenanceOptions quickOptions() {
    MaintenanceOptions options;
    options.retryMs = 1;
    options.wait = [](int) { QThread::usleep(100); };
    return options;
}

} // namespace

class TestResultMaintenance : public QObject {
    Q_OBJECT
private slots:
    void removalWhileAnotherProcessAppendsLosesNothing();
    void failureOnTheWayPutsTheFileBack_data();
    void failureOnTheWayPutsTheFileBack();
    void killedRemovalIsFinishedExactly_data();
    void killedRemovalIsFinishedExactly();
    void killedChangeIsFinishedExactly_data();
    void killedChangeIsFinishedExactly();
    void copyThatFailsItsCheckIsNeverComplete_data();
    void copyThatFailsItsCheckIsNeverComplete();
    void randomKillsWhileStationsAppend();
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
    const MaintenanceOptions options = quickOptions();
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
    QVERIFY(!QFile::exists(maintenanceJournalPath(copy)));
}

// A step that fails while the program runs: the removal is undone, the file holds every
// record as before (a partial record at its end is kept while the file was not yet
// rewritten), and nothing is left behind.
void TestResultMaintenance::failureOnTheWayPutsTheFileBack_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<bool>("tailKept");
    for (RemovalStep s : {RemovalStep::Begun, RemovalStep::Copied, RemovalStep::CopyRecorded})
        QTest::newRow(qPrintable(removalStepName(s))) << int(s) << true;
    for (RemovalStep s :
         {RemovalStep::RewriteRecorded, RemovalStep::Rewritten, RemovalStep::Marked, RemovalStep::Shortened})
        QTest::newRow(qPrintable(removalStepName(s))) << int(s) << false;
}

void TestResultMaintenance::failureOnTheWayPutsTheFileBack() {
    QFETCH(int, step);
    QFETCH(bool, tailKept);
    School school;
    const QByteArray before = records(5) + QByteArray("torn", 4);
    writeBytes(school.path, before);
    MaintenanceOptions options;
    int failures = 1;
    options.checkpoint = [step, &failures](RemovalStep at) -> Status {
        if (int(at) == step && failures > 0) {
            --failures;
            return makeError(ErrorKind::WriteFailed, QStringLiteral("ディスクがいっぱいです"));
        }
        return {};
    };
    const Outcome<RemovalResult> removed = removeResult(school.path, school.copy, 2, std::nullopt, options);
    if (step == int(RemovalStep::Shortened)) {
        // The file had its final length: the removal is done, only the journal is left.
        QVERIFY(removed.ok());
        QVERIFY2(removed->notice.contains(QDir::toNativeSeparators(school.journal)),
                 qPrintable(removed->notice));
        QCOMPARE(readBytes(school.path), without(before, 2));
        QVERIFY(recoverResultsFile(school.path, school.copy).ok());
        QCOMPARE(readBytes(school.path), without(before, 2));
        QVERIFY(!QFile::exists(school.copy) && !QFile::exists(school.journal));
        return;
    }
    QVERIFY(!removed.ok());
    const QString text = removed.error().text();
    QVERIFY2(text.contains(QStringLiteral("ディスクがいっぱいです")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("記録は消去していません")) ||
                 text.contains(QStringLiteral("消去の前に戻しました")),
             qPrintable(text));
    QCOMPARE(readBytes(school.path), tailKept ? before : records(5));
    QVERIFY(!QFile::exists(school.copy));
    QVERIFY(!QFile::exists(school.journal));
    QVERIFY(inspectMaintenanceLeftovers(school.path, school.copy).isEmpty());

    // The undoing fails as well: the journal stays, and the next recovery undoes it.
    if (step != int(RemovalStep::RewriteRecorded) && step != int(RemovalStep::Rewritten))
        return;
    failures = 2;
    const Outcome<RemovalResult> again = removeResult(school.path, school.copy, 2, std::nullopt, options);
    QVERIFY(!again.ok());
    QVERIFY2(again.error().text().contains(QDir::toNativeSeparators(school.copy)),
             qPrintable(again.error().text()));
    QVERIFY(QFile::exists(school.journal));
    const Outcome<std::optional<QString>> recovered = recoverResultsFile(school.path, school.copy);
    QVERIFY2(recovered.ok() && recovered->has_value(), qPrintable(recovered.error().text()));
    QVERIFY2((*recovered)->contains(QStringLiteral("消去の前に戻しました")), qPrintable(**recovered));
    QCOMPARE(readBytes(school.path), records(5));
    QVERIFY(!QFile::exists(school.journal) && !QFile::exists(school.copy));
}

// A station switched off at any step of a removal (a process killed there), stations
// appending afterwards, a recovery killed as well: the file ends up exactly as the
// copy without the removed record, followed by every record appended since.
void TestResultMaintenance::killedRemovalIsFinishedExactly_data() {
    QTest::addColumn<QString>("step");
    QTest::addColumn<qint64>("tear");
    QTest::addColumn<bool>("recoveryKilled");
    QTest::addColumn<bool>("removed");
    const qint64 insidePage = 4096 + 1000; // in the second page, inside record 117
    QTest::newRow("Begun") << "Begun" << qint64(-1) << false << false;
    for (const char* step : {"Copied", "CopyRecorded", "RewriteRecorded", "Torn", "Rewritten", "Marked",
                             "Shortened", "Finished", "CopyRemoved"}) {
        const qint64 tear = QByteArray(step) == "Torn" ? insidePage : -1;
        QTest::newRow(step) << step << tear << false << true;
        if (QByteArray(step) != "Copied" && QByteArray(step) != "CopyRecorded")
            QTest::newRow(qPrintable(QStringLiteral("%1, recovery killed there too").arg(step)))
                << step << tear << true << true;
    }
}

void TestResultMaintenance::killedRemovalIsFinishedExactly() {
    QFETCH(QString, step);
    QFETCH(qint64, tear);
    QFETCH(bool, recoveryKilled);
    QFETCH(bool, removed);
    School school;
    const QByteArray before = records(200) + QByteArray(7, 'x');
    writeBytes(school.path, before);
    QStringList crash{"remove-crash", school.path, school.copy, "50", step};
    if (tear >= 0)
        crash << QString::number(tear);
    QCOMPARE(runHelper(crash), 9);
    stationAppends(school.path, 4001, 3);
    if (recoveryKilled) {
        QStringList again{"recover-crash", school.path, school.copy, step};
        if (tear >= 0)
            again << QString::number(tear);
        QCOMPARE(runHelper(again), 9);
        stationAppends(school.path, 4002, 2);
    }
    const Outcome<std::optional<QString>> recovered = recoverResultsFile(school.path, school.copy);
    QVERIFY2(recovered.ok(), qPrintable(recovered.error().text()));
    QByteArray expected = removed ? without(before, 50) : before.left(200 * 44);
    expected += appendedRecords(4001, 3);
    if (recoveryKilled)
        expected += appendedRecords(4002, 2);
    QCOMPARE(readBytes(school.path).size(), expected.size());
    QVERIFY(readBytes(school.path) == expected);
    QVERIFY(!QFile::exists(school.copy));
    QVERIFY(!QFile::exists(school.journal));
}

void TestResultMaintenance::killedChangeIsFinishedExactly_data() {
    QTest::addColumn<QString>("step");
    for (const char* step : {"Begun", "ChangeWritten", "Finished", "CopyRemoved"})
        QTest::newRow(step) << step;
}

void TestResultMaintenance::killedChangeIsFinishedExactly() {
    QFETCH(QString, step);
    School school;
    writeBytes(school.path, records(100));
    QCOMPARE(runHelper({"change-crash", school.path, school.copy, "93", step}), 9);
    stationAppends(school.path, 4001, 2);
    const Outcome<std::optional<QString>> recovered = recoverResultsFile(school.path, school.copy);
    QVERIFY2(recovered.ok(), qPrintable(recovered.error().text()));
    QByteArray expected = records(100);
    ResultRecord changed = sample(93, 93);
    changed.bangou = 4321;
    changed.recordedTime = 7777;
    expected.replace(92 * 44, 44, encodeResultRecord(changed));
    expected += appendedRecords(4001, 2);
    QVERIFY(readBytes(school.path) == expected);
    QVERIFY(!QFile::exists(school.journal));
}

// A copy that does not match the journal's digest, or has no journal, is never said to
// hold every record, and nothing is done with it.
void TestResultMaintenance::copyThatFailsItsCheckIsNeverComplete_data() {
    QTest::addColumn<QString>("state");
    QTest::newRow("copy cut short before the file was touched") << "cut";
    QTest::newRow("copy damaged after the file was touched") << "damaged";
    QTest::newRow("copy of an older version, without journal") << "orphan";
}

void TestResultMaintenance::copyThatFailsItsCheckIsNeverComplete() {
    QFETCH(QString, state);
    School school;
    const QByteArray before = records(300);
    writeBytes(school.path, before);
    if (state == u"cut") {
        QCOMPARE(runHelper({"remove-crash", school.path, school.copy, "10", "Begun"}), 9);
        writeBytes(school.copy, before.left(4096)); // killed while the copy was written
    } else if (state == u"damaged") {
        QCOMPARE(runHelper({"remove-crash", school.path, school.copy, "10", "Rewritten"}), 9);
        QByteArray copy = readBytes(school.copy);
        copy[5000] = char(copy[5000] ^ 1);
        writeBytes(school.copy, copy);
    } else {
        writeBytes(school.copy, QByteArray(6 * 44, '\0'));
    }
    const QByteArray atStart = readBytes(school.path);

    const QList<MaintenanceFinding> found = inspectMaintenanceLeftovers(school.path, school.copy);
    QCOMPARE(found.size(), 1);
    QVERIFY2(!found[0].text.contains(QStringLiteral("すべての記録があります")), qPrintable(found[0].text));
    QVERIFY2(found[0].text.contains(state == u"orphan" ? QStringLiteral("確かめられません")
                                                       : QStringLiteral("完全ではありません")),
             qPrintable(found[0].text));

    const QStringList notices = maintenanceNotices(school.path, school.copy);
    QCOMPARE(notices.size(), 1);
    QVERIFY2(!notices[0].contains(QStringLiteral("すべての記録があります")), qPrintable(notices[0]));
    if (state == u"cut") {
        // The removal never touched the results file: it simply did not happen.
        QVERIFY2(notices[0].contains(QStringLiteral("消去されていません")), qPrintable(notices[0]));
        QVERIFY(readBytes(school.path) == before);
        QVERIFY(!QFile::exists(school.journal) && !QFile::exists(school.copy));
        return;
    }
    QVERIFY(readBytes(school.path) == atStart);
    QVERIFY(QFile::exists(school.copy));
    // No removal goes ahead while such a copy is there.
    const Outcome<RemovalResult> refused = removeResult(school.path, school.copy, 1, std::nullopt);
    QVERIFY(!refused.ok());
    QVERIFY(readBytes(school.path) == atStart);
}

// Random kills of a station that keeps removing records while other stations append:
// after each kill a station starts (and finishes what was interrupted). No record may
// be lost, duplicated or torn. KZ_KILL_ROUNDS sets the number of kills, KZ_KILL_STATIONS
// the appending stations and KZ_KILL_APPENDS the records each appends before the next
// station takes its place.
void TestResultMaintenance::randomKillsWhileStationsAppend() {
    const auto setting = [](const char* name, int fallback) {
        const int value = qEnvironmentVariableIntValue(name);
        return value > 0 ? value : fallback;
    };
    const int rounds = setting("KZ_KILL_ROUNDS", 12);
    const int stationCount = setting("KZ_KILL_STATIONS", 2);
    const int perStation = setting("KZ_KILL_APPENDS", 150);
    const int own = qBound(600, rounds * 10, 20000);
    School school;
    writeBytes(school.path, records(own));
    QRandomGenerator random(20040315);

    // Appending stations, started again with a new student when one has finished.
    struct Station {
        std::unique_ptr<QProcess> process;
        int tag = 0;
    };
    std::vector<Station> stations;
    int nextTag = 20001;
    std::vector<int> tags;
    const QString go = school.path + QStringLiteral(".go");
    writeBytes(go, {});
    auto startStation = [&](Station& s) {
        s.tag = nextTag++;
        tags.push_back(s.tag);
        s.process = std::make_unique<QProcess>();
        s.process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        s.process->start(helper(),
                         {"append", school.path, QString::number(s.tag), QString::number(perStation), go});
        QVERIFY(s.process->waitForStarted());
    };
    stations.resize(size_t(stationCount));
    for (Station& s : stations)
        startStation(s);

    int insideRemoval = 0;
    std::map<QString, int> killedAt;
    const MaintenanceOptions options = quickOptions();
    for (int round = 0; round < rounds; ++round) {
        QProcess remover;
        remover.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        remover.start(helper(), {"remove-loop", school.path, school.copy, QString::number(own)});
        QVERIFY(remover.waitForStarted());
        QThread::msleep(random.bounded(10, 150));
        remover.kill();
        QVERIFY(remover.waitForFinished(30000));
        const QList<QByteArray> said = remover.readAllStandardOutput().split('\n');
        QByteArray last;
        for (const QByteArray& line : said) {
            if (!line.isEmpty())
                last = line;
        }
        if (last.startsWith('S') && last != "SCopyRemoved") {
            ++insideRemoval;
            ++killedAt[QString::fromLatin1(last.mid(1))];
        }
        // A station starts: whatever was interrupted is finished.
        const Outcome<std::optional<QString>> recovered =
            recoverResultsFile(school.path, school.copy, options);
        QVERIFY2(recovered.ok(), qPrintable(recovered.error().text()));
        for (Station& s : stations) {
            if (s.process->state() == QProcess::NotRunning) {
                QCOMPARE(s.process->exitCode(), 0);
                startStation(s);
            }
        }
    }
    for (Station& s : stations) {
        QVERIFY(s.process->waitForFinished(120000));
        QCOMPARE(s.process->exitCode(), 0);
    }
    QVERIFY(recoverResultsFile(school.path, school.copy, options).ok());

    // Every record is one of the own records (a suffix of them, in order) or one of the
    // appended ones (all of them, each station's in order).
    const QByteArray after = readBytes(school.path);
    QCOMPARE(after.size() % 44, 0);
    std::map<QByteArray, int> ownIndex;
    for (int k = 1; k <= own; ++k)
        ownIndex[encodeResultRecord(sample(k, k))] = k;
    std::map<int, std::vector<int>> appendedByTag;
    std::vector<int> ownSeen;
    int torn = 0;
    for (qsizetype i = 0; i < after.size() / 44; ++i) {
        const QByteArray bytes = after.mid(i * 44, 44);
        if (const auto found = ownIndex.find(bytes); found != ownIndex.end()) {
            ownSeen.push_back(found->second);
            continue;
        }
        const ResultRecord r = decodeResultRecord(bytes.constData());
        if (r.bangou >= 20001 && r.recordedTime >= 1 && r.recordedTime <= perStation &&
            bytes == appendedRecord(r.bangou, r.recordedTime))
            appendedByTag[r.bangou].push_back(r.recordedTime);
        else
            ++torn;
    }
    int lost = 0;
    int duplicated = 0;
    const std::set<int> ownDistinct(ownSeen.begin(), ownSeen.end());
    duplicated += int(ownSeen.size() - ownDistinct.size());
    const int firstOwn = ownDistinct.empty() ? own + 1 : *ownDistinct.begin();
    lost += (own - firstOwn + 1) - int(ownDistinct.size());
    QVERIFY(std::is_sorted(ownSeen.begin(), ownSeen.end()));
    int appendedTotal = 0;
    for (int tag : tags) {
        const std::vector<int>& seen = appendedByTag[tag];
        const std::set<int> distinct(seen.begin(), seen.end());
        duplicated += int(seen.size() - distinct.size());
        lost += perStation - int(distinct.size());
        appendedTotal += int(seen.size());
        QVERIFY(std::is_sorted(seen.begin(), seen.end()));
    }
    QStringList where;
    for (const auto& [step, count] : killedAt)
        where << QStringLiteral("%1 %2").arg(step).arg(count);
    qInfo("kills %d (inside a removal %d: %s), removals %d, appends %d, lost %d, duplicated %d, torn %d",
          rounds, insideRemoval, qPrintable(where.join(u", ")), firstOwn - 1, appendedTotal, lost, duplicated,
          torn);
    QCOMPARE(lost, 0);
    QCOMPARE(duplicated, 0);
    QCOMPARE(torn, 0);
    QVERIFY(!QFile::exists(school.journal) && !QFile::exists(school.copy));
}

void TestResultMaintenance::recordChangedElsewhereIsLeftAlone() {
    QTemporaryDir dir;
    const QString path = dir.filePath("r.dat");
    const QString copy = dir.filePath("c.dat");
    writeBytes(path, records(3));
    const ResultRecord stale = sample(9, 9);
    QCOMPARE(correctResult(path, copy, 2, stale, sample(21, 80)).error().kind, ErrorKind::Refused);
    QCOMPARE(removeResult(path, copy, 2, stale).error().kind, ErrorKind::Refused);
    QCOMPARE(removeResult(path, copy, 4, std::nullopt).error().kind, ErrorKind::Refused);
    QCOMPARE(readBytes(path), records(3));
    QVERIFY(!QFile::exists(copy));
    QVERIFY(!QFile::exists(maintenanceJournalPath(copy)));
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
    QVERIFY(!QFile::exists(maintenanceJournalPath(dir.filePath("c.dat"))));
}

QTEST_GUILESS_MAIN(TestResultMaintenance)
#include "tst_resultmaintenance.moc"
