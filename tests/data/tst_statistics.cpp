#include "data/oledate.h"
#include "data/resultstore.h"
#include "data/statistics.h"
#include "support/resultsfixture.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cerrno>
#include <random>

using namespace kz;
using namespace kz::test::results;

class TestStatistics : public QObject {
    Q_OBJECT
private slots:
    void points_data();
    void points();
    void completedAttemptsAndTimeOut();
    void periods_data();
    void periods();
    void windowOfNewest20000();
    void schoolBestOnlyFromFirstThousand();
    void recordsOutsideTheTablesLeaveNoTrace_data();
    void recordsOutsideTheTablesLeaveNoTrace();
    void missingFileIsEmpty();
    void unreachableFolderRetriesThenReportsNotFound();
    void otherErrorsReportAtOnce();
    void refreshReplacesEarlierFigures();
    void refreshAfterChangesCountsAsAfresh_data();
    void refreshAfterChangesCountsAsAfresh();
    void sortByKeyTies();
    void sortByKeyAgainstReference();
};

void TestStatistics::points_data() {
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("multiplier");
    QTest::addColumn<int>("time");
    QTest::addColumn<int>("points");
    QTest::newRow("0 s") << 60 << "1" << 0 << 55;
    QTest::newRow("30 s") << 60 << "1" << 30 << 11;
    QTest::newRow("45 s") << 60 << "1" << 45 << 5;
    QTest::newRow("on target") << 60 << "1" << 60 << 5;
    QTest::newRow("61") << 60 << "1" << 61 << 4;
    QTest::newRow("119") << 60 << "1" << 119 << 4;
    QTest::newRow("120") << 60 << "1" << 120 << 1;
    QTest::newRow("599") << 60 << "1" << 599 << 1;
    QTest::newRow("600") << 60 << "1" << 600 << 0;
    QTest::newRow("99998") << 60 << "1" << 99998 << 0;
    QTest::newRow("timed out") << 60 << "1" << 99999 << 0;
    QTest::newRow("x1.5") << 60 << "1.5" << 30 << 16;
    QTest::newRow("10 points x1.3 is 13") << 60 << "1.3" << 31 << 13;
    QTest::newRow("x0.5 floors") << 60 << "0.5" << 30 << 5;
    // The full time counts, not its first three digits (those would give 47).
    QTest::newRow("1000 s within 2000") << 2000 << "1" << 1000 << 11;
    QTest::newRow("target 0, time 0") << 0 << "1" << 0 << 0;
    QTest::newRow("target 0, time 5") << 0 << "1" << 5 << 0;
    QTest::newRow("negative target") << -5 << "1" << 0 << 0;
}

void TestStatistics::points() {
    QFETCH(int, target);
    QFETCH(QString, multiplier);
    QFETCH(int, time);
    QFETCH(int, points);
    const PassCriteriaTable t = criteria(target, multiplier.toLatin1().constData());
    QCOMPARE(attemptPoints(time, 2, t), points);
    QCOMPARE(attemptPoints(time, 0, t), 0);
    QCOMPARE(attemptPoints(time, 36, t), 0);
}

void TestStatistics::completedAttemptsAndTimeOut() {
    QTemporaryDir dir;
    const QString path = dir.filePath("r.dat");
    writeRecords(path, {rec(7, 3, 50), rec(7, 3, 70), rec(7, 3, 99999), rec(7, 3, 6000)});
    StatisticsTables s;
    QVERIFY(refreshStatistics(path, criteria(), kNow, &s).ok());
    QCOMPARE(s.totalAttempts(3, 7), 2); // 6000 and 99999 are not completed
    QCOMPARE(s.todayAttempts(3, 7), 2);
    QCOMPARE(s.bestTime(3, 7), 50);
    QCOMPARE(s.totalPoints(3, 7), 5 + 4 + 0 + 0);
    QCOMPARE(s.todayPoints(3, 7), 9);
    QCOMPARE(s.schoolBestTime(3), 50);
    QCOMPARE(s.loaded.size(), 4);
    QCOMPARE(s.sumOverLevels(StatisticsTables::TotalAttempts, 7), 2);
}

void TestStatistics::periods_data() {
    QTest::addColumn<int>("daysAgo");
    QTest::addColumn<double>("passDays");
    QTest::addColumn<double>("overdoDays");
    QTest::addColumn<bool>("inPass");
    QTest::addColumn<bool>("inOverdo");
    QTest::addColumn<bool>("today");
    QTest::newRow("today, 1 and 0 days") << 0 << 1.0 << 0.0 << true << false << true;
    QTest::newRow("yesterday, 2 and 1 days") << 1 << 2.0 << 1.0 << true << false << false;
    QTest::newRow("two days ago, 2 days") << 2 << 2.0 << 3.0 << false << true << false;
    QTest::newRow("negative period") << 0 << -1.0 << 7.0 << false << true << true;
    QTest::newRow("tomorrow (clock ahead elsewhere)") << -1 << 1.0 << 0.0 << true << false << false;
}

void TestStatistics::periods() {
    QFETCH(int, daysAgo);
    QFETCH(double, passDays);
    QFETCH(double, overdoDays);
    QFETCH(bool, inPass);
    QFETCH(bool, inOverdo);
    QFETCH(bool, today);
    QTemporaryDir dir;
    const QString path = dir.filePath("r.dat");
    writeRecords(path, {rec(9, 4, 30, daysAgo)});
    StatisticsTables s;
    QVERIFY(refreshStatistics(path, criteria(60, "1", passDays, overdoDays), kNow, &s).ok());
    QCOMPARE(s.passPeriodAttempts(4, 9), inPass ? 1 : 0);
    QCOMPARE(s.passPeriodPoints(4, 9), inPass ? 11 : 0);
    QCOMPARE(s.overdoPeriodAttempts(4, 9), inOverdo ? 1 : 0);
    QCOMPARE(s.overdoPeriodPoints(4, 9), inOverdo ? 11 : 0);
    QCOMPARE(s.todayAttempts(4, 9), today ? 1 : 0);
    QCOMPARE(s.todayPoints(4, 9), today ? 11 : 0);
    QCOMPARE(s.totalPoints(4, 9), 11);
}

void TestStatistics::windowOfNewest20000() {
    QTemporaryDir dir;
    const QString path = dir.filePath("r.dat");
    QList<ResultRecord> records;
    for (int i = 0; i < 5000; ++i)
        records << rec(1, 1, 10); // the oldest and fastest: outside the window
    for (int i = 0; i < 20000; ++i)
        records << rec(2, 1, 100);
    writeRecords(path, records);
    StatisticsTables s;
    QVERIFY(refreshStatistics(path, criteria(), kNow, &s).ok());
    QCOMPARE(s.loaded.size(), 20000);
    QCOMPARE(s.loaded.first().recordNumber, 5001);
    QCOMPARE(s.loaded.last().recordNumber, 25000);
    QCOMPARE(s.bestTime(1, 1), 99999);
    QCOMPARE(s.totalAttempts(1, 1), 0);
    QCOMPARE(s.totalAttempts(1, 2), 20000);
    QCOMPARE(s.schoolBestTime(1), 100);
}

void TestStatistics::schoolBestOnlyFromFirstThousand() {
    QTemporaryDir dir;
    const QString path = dir.filePath("r.dat");
    writeRecords(path, {rec(1200, 5, 20), rec(1000, 5, 40), rec(1, 6, 33), rec(1001, 7, 10)});
    StatisticsTables s;
    QVERIFY(loadResults(path, &s).ok());
    QCOMPARE(s.bestTime(5, 1200), 20);
    QCOMPARE(s.schoolBestTime(5), 40);
    QCOMPARE(s.schoolBestTime(6), 33);
    QCOMPARE(s.schoolBestTime(7), 99999);
    QCOMPARE(s.schoolBestTime(8), 99999);
}

void TestStatistics::recordsOutsideTheTablesLeaveNoTrace_data() {
    QTest::addColumn<int>("bangou");
    QTest::addColumn<int>("level");
    QTest::addColumn<double>("date");
    QTest::newRow("level 0") << 17 << 0 << 38061.0;
    QTest::newRow("level 36") << 17 << 36 << 38061.0;
    QTest::newRow("level -1") << 17 << -1 << 38061.0;
    QTest::newRow("bangou 0") << 0 << 2 << 38061.0;
    QTest::newRow("bangou 5001") << 5001 << 2 << 38061.0;
    QTest::newRow("bangou -5") << -5 << 2 << 38061.0;
    QTest::newRow("negative date") << 17 << 2 << -3.0;
    QTest::newRow("nan date") << 17 << 2 << std::nan("");
}

void TestStatistics::recordsOutsideTheTablesLeaveNoTrace() {
    QFETCH(int, bangou);
    QFETCH(int, level);
    QFETCH(double, date);
    QTemporaryDir dir;
    const QString path = dir.filePath("r.dat");
    ResultRecord bad = rec(bangou, level, 30);
    bad.date = date;
    writeRecords(path, {bad, rec(17, 2, 95)});
    StatisticsTables s;
    QVERIFY(refreshStatistics(path, criteria(), kNow, &s).ok());
    QCOMPARE(s.loaded.size(), 1);
    QCOMPARE(s.loaded.first().recordNumber, 2);
    QCOMPARE(s.bestTime(2, 17), 95);
    QCOMPARE(s.schoolBestTime(2), 95);
    for (int f = 0; f < StatisticsTables::FigureCount; ++f) {
        qint64 sum = 0;
        for (int b = 1; b <= 5000; ++b)
            sum += s.sumOverLevels(StatisticsTables::Figure(f), b);
        const bool attempts = f == StatisticsTables::TotalAttempts || f == StatisticsTables::TodayAttempts ||
                              f == StatisticsTables::PassPeriodAttempts ||
                              f == StatisticsTables::OverdoPeriodAttempts;
        const qint32 expected = attempts ? 1 : 4; // the one valid record: 95 s scores 4
        QCOMPARE(sum, qint64(expected));
    }
}

void TestStatistics::missingFileIsEmpty() {
    QTemporaryDir dir;
    int waits = 0;
    StatisticsTables s;
    s.setBestTime(1, 1, 5);
    QVERIFY(refreshStatistics(dir.filePath("none.dat"), criteria(), kNow, &s, [&](int) { ++waits; }).ok());
    QCOMPARE(waits, 0);
    QCOMPARE(s.loaded.size(), 0);
    QCOMPARE(s.bestTime(1, 1), 99999);
}

void TestStatistics::unreachableFolderRetriesThenReportsNotFound() {
    QTemporaryDir dir;
    QList<int> waits;
    StatisticsTables s;
    const Status loaded = loadResults(dir.filePath("gone/r.dat"), &s, [&](int ms) { waits << ms; });
    const Error& e = loaded.error();
    QCOMPARE(e.kind, ErrorKind::NotFound);
    QCOMPARE(waits, (QList<int>{5000, 5000, 5000, 5000}));
    QVERIFY2(e.text().startsWith(QStringLiteral("ファイルがありません 3 ")), qPrintable(e.text()));
    QVERIFY(e.text().endsWith(QStringLiteral(" %1").arg(ENOENT)));
}

void TestStatistics::otherErrorsReportAtOnce() {
    QTemporaryDir dir; // a folder where the file should be: opening refuses it, naming it a folder
    QList<int> waits;
    StatisticsTables s;
    const Status loaded = loadResults(dir.path(), &s, [&](int ms) { waits << ms; });
    QVERIFY(!loaded);
    QCOMPARE(loaded.error().kind, ErrorKind::Unreadable);
    QVERIFY(waits.isEmpty());
    const QString m = loaded.error().text();
    QVERIFY2(m.startsWith(QStringLiteral("成績ランダムファイル表示 3 ")), qPrintable(m));
    QVERIFY2(m.contains(QStringLiteral("フォルダです")), qPrintable(m));
    for (const char* field : {"/date", "/i=", "/time=", "/name=", "/Bangou=", "/level=", "line3"})
        QVERIFY2(m.contains(QLatin1String(field)), field);
}

void TestStatistics::refreshReplacesEarlierFigures() {
    QTemporaryDir dir;
    const QString path = dir.filePath("r.dat");
    writeRecords(path, {rec(3, 3, 30)});
    StatisticsTables s;
    QVERIFY(refreshStatistics(path, criteria(), kNow, &s).ok());
    QVERIFY(refreshStatistics(path, criteria(), kNow, &s).ok());
    QCOMPARE(s.totalAttempts(3, 3), 1);
    QCOMPARE(s.totalPoints(3, 3), 11);
    // A change of criteria rescores the whole history.
    QVERIFY(refreshStatistics(path, criteria(60, "2"), kNow, &s).ok());
    QCOMPARE(s.totalPoints(3, 3), 22);
}

namespace {

// Every figure and best time of the two tables, and their loaded records, are the same.
bool sameTables(const StatisticsTables& a, const StatisticsTables& b) {
    for (int level = 0; level <= kLevelSlots; ++level) {
        if (a.schoolBestTime(level) != b.schoolBestTime(level))
            return false;
        for (int bangou = 0; bangou < StatisticsTables::kStudents; ++bangou) {
            if (a.bestTime(level, bangou) != b.bestTime(level, bangou))
                return false;
            for (int f = 0; f < StatisticsTables::FigureCount; ++f)
                if (a.figure(StatisticsTables::Figure(f), level, bangou) !=
                    b.figure(StatisticsTables::Figure(f), level, bangou))
                    return false;
        }
    }
    if (a.loaded.size() != b.loaded.size())
        return false;
    for (qsizetype i = 0; i < a.loaded.size(); ++i)
        if (a.loaded[i].recordNumber != b.loaded[i].recordNumber || a.loaded[i].bangou != b.loaded[i].bangou)
            return false;
    return true;
}

} // namespace

// One table set kept from refresh to refresh, as the program keeps it, against a fresh
// set counted from the same file: the same figures after appends (the window sliding
// past its 20000 records), a record changed or removed in place, best times set
// between refreshes, a new day and new criteria.
void TestStatistics::refreshAfterChangesCountsAsAfresh_data() {
    QTest::addColumn<int>("records");
    QTest::newRow("small file") << 40;
    QTest::newRow("window sliding") << 19990;
}

void TestStatistics::refreshAfterChangesCountsAsAfresh() {
    QFETCH(int, records);
    QTemporaryDir dir;
    const QString path = dir.filePath("r.dat");
    std::mt19937 gen(11);
    // Few students and levels, so that records leaving the window take best times along.
    auto randomRecord = [&gen] {
        const int daysAgo = int(gen() % 9);
        const qint32 time = gen() % 10 == 0 ? 99999 : qint32(20 + gen() % 200);
        return rec(1 + int(gen() % 6), 1 + int(gen() % 3), time, daysAgo);
    };
    QList<ResultRecord> file;
    for (int i = 0; i < records; ++i)
        file << randomRecord();
    writeRecords(path, file);

    StatisticsTables kept;
    QDateTime now = kNow;
    PassCriteriaTable table = criteria(60, "1", 3, 2);
    auto refreshBoth = [&](StatisticsTables::Counting expected) {
        QVERIFY(refreshStatistics(path, table, now, &kept).ok());
        StatisticsTables fresh;
        QVERIFY(refreshStatistics(path, table, now, &fresh).ok());
        QVERIFY(sameTables(kept, fresh));
        QCOMPARE(kept.lastCounting(), expected);
    };
    refreshBoth(StatisticsTables::Counting::Afresh);
    for (int round = 0; round < 6; ++round) {
        // New records on this station and others: only they are counted in.
        const int appended = 1 + int(gen() % 12);
        for (int i = 0; i < appended; ++i)
            file << randomRecord();
        writeRecords(path, file);
        refreshBoth(StatisticsTables::Counting::Appended);
        QCOMPARE(kept.loaded.last().recordNumber, file.size());
    }
    // The recording step lowers a best time between two refreshes, and a test adds to a
    // figure: the next refresh counts those cells from the file again.
    file << rec(2, 2, 19); // faster than any random record
    writeRecords(path, file);
    kept.setBestTime(2, 2, 19);
    kept.setSchoolBestTime(2, 19);
    kept.add(StatisticsTables::TotalPoints, 3, 4, 1000);
    refreshBoth(StatisticsTables::Counting::Appended);
    QCOMPARE(kept.bestTime(2, 2), 19);
    // A record corrected in place, then one removed: counted afresh.
    file[file.size() / 2] = rec(5, 3, 25, 1);
    writeRecords(path, file);
    refreshBoth(StatisticsTables::Counting::Afresh);
    file.removeAt(file.size() / 3);
    file << randomRecord() << randomRecord();
    writeRecords(path, file);
    refreshBoth(StatisticsTables::Counting::Afresh);
    // Nothing new: nothing to count, and what was made from the figures stays valid.
    const quint64 generation = kept.generation();
    refreshBoth(StatisticsTables::Counting::Appended);
    QCOMPARE(kept.generation(), generation);
    file << randomRecord();
    writeRecords(path, file);
    refreshBoth(StatisticsTables::Counting::Appended);
    QVERIFY(kept.generation() != generation);
    // The next day, and new criteria, count every record again.
    now = now.addDays(1);
    refreshBoth(StatisticsTables::Counting::Afresh);
    table = criteria(50, "1.5", 3, 2);
    refreshBoth(StatisticsTables::Counting::Afresh);
    // A period of part of a day depends on the time of day: always counted afresh.
    table = criteria(50, "1.5", 2.5, 2);
    refreshBoth(StatisticsTables::Counting::Afresh);
    refreshBoth(StatisticsTables::Counting::Afresh);
}

void TestStatistics::sortByKeyTies() {
    QList<qint32> keys{5, 3, 5};
    QList<QChar> payload{'a', 'b', 'c'};
    sortByKey(std::span<qint32>(keys), std::span<QChar>(payload));
    QCOMPARE(keys, (QList<qint32>{3, 5, 5}));
    QCOMPARE(payload, (QList<QChar>{'b', 'c', 'a'}));
    sortByKey(std::span<qint32>(keys), std::span<QChar>(payload));
    QCOMPARE(payload, (QList<QChar>{'b', 'a', 'c'}));
    QList<qint32> none;
    QList<int> nothing;
    sortByKey(std::span<qint32>(none), std::span<int>(nothing)); // n = 0 is fine
}

void TestStatistics::sortByKeyAgainstReference() {
    std::mt19937 gen(7);
    for (int n : {1, 2, 7, 100, 1001}) {
        std::vector<qint32> keys(static_cast<size_t>(n));
        std::vector<int> payload(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            keys[size_t(i)] = qint32(gen() % 10) - 3;
            payload[size_t(i)] = i;
        }
        // Expected: ascending keys, equal keys in reverse of their earlier order.
        std::vector<int> expected = payload;
        std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
            return keys[size_t(a)] != keys[size_t(b)] ? keys[size_t(a)] < keys[size_t(b)] : a > b;
        });
        std::vector<qint32> k = keys;
        std::vector<int> p = payload;
        sortByKey(std::span<qint32>(k), std::span<int>(p));
        QCOMPARE(p, expected);
        QVERIFY(std::is_sorted(k.begin(), k.end()));
        sortByKey(std::span<qint32>(k), std::span<int>(p));
        std::vector<int> stable = payload;
        std::stable_sort(stable.begin(), stable.end(),
                         [&](int a, int b) { return keys[size_t(a)] < keys[size_t(b)]; });
        QCOMPARE(p, stable);
    }
}

QTEST_GUILESS_MAIN(TestStatistics)
#include "tst_statistics.moc"
