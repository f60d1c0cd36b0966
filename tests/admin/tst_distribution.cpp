#include "admin/distribution.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kz;

namespace {

ResultRecord attempt(int bangou, int level, qint32 time) {
    return makeResultRecord(QDateTime(QDate(2004, 3, 15), QTime(14, 30)), static_cast<qint16>(bangou),
                            static_cast<qint16>(level), time, u"12345");
}

} // namespace

class TestDistribution : public QObject {
    Q_OBJECT
private slots:
    void levelWithoutRecords();
    void scaleAndStars_data();
    void scaleAndStars();
    void lastBands();
    void damagedRecordsAreSkipped();
    void readsTheResultsFile();
};

void TestDistribution::levelWithoutRecords() {
    const ResultsDistribution d = ResultsDistribution::build({attempt(1, 2, 40)});
    const QStringList all = d.allResultsLines(3);
    const QStringList best = d.bestTimeLines(3);
    QCOMPARE(all.size(), 102);
    QCOMPARE(best.size(), 102);
    QCOMPARE(all[0], QStringLiteral("レベル3 今まで0回  （★=1）"));
    QCOMPARE(best[0], QStringLiteral("レベル3 （★=1）"));
    QCOMPARE(all[1], QStringLiteral("   0～"));
    QCOMPARE(all[101], QStringLiteral("1000～"));
    QCOMPARE(best[31], QStringLiteral(" 300～"));
}

void TestDistribution::scaleAndStars_data() {
    QTest::addColumn<int>("largest");
    QTest::addColumn<int>("other");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QString>("largestLine");
    QTest::addColumn<QString>("otherLine");
    QTest::newRow("25 in one band") << 25 << 3 << 2 << "  50～" + QString(13, QChar(0x2605))
                                    << "  60～" + QString(2, QChar(0x2605));
    QTest::newRow("19: scale 1") << 19 << 1 << 1 << "  50～" + QString(19, QChar(0x2605))
                                 << "  60～" + QString(1, QChar(0x2605));
    QTest::newRow("35: a half rounds up")
        << 35 << 1 << 3 << "  50～" + QString(12, QChar(0x2605)) << "  60～";
}

void TestDistribution::scaleAndStars() {
    QFETCH(int, largest);
    QFETCH(int, other);
    QFETCH(int, scale);
    QFETCH(QString, largestLine);
    QFETCH(QString, otherLine);
    std::vector<ResultRecord> records;
    for (int i = 0; i < largest; ++i)
        records.push_back(attempt(100 + i, 7, 50 + i % 10));
    for (int i = 0; i < other; ++i)
        records.push_back(attempt(500 + i, 7, 69));
    const QStringList all = ResultsDistribution::build(records).allResultsLines(7);
    QCOMPARE(all[0], QStringLiteral("レベル7 今まで%1回  （★=%2）").arg(largest + other).arg(scale));
    QCOMPARE(all[6], largestLine);
    QCOMPARE(all[7], otherLine);
}

void TestDistribution::lastBands() {
    const ResultsDistribution d = ResultsDistribution::build({
        attempt(1, 4, 1000), attempt(1, 4, 400), attempt(1, 4, 300), // best 300 s
        attempt(2, 4, 99999), attempt(2, 4, 99999),                  // only timed out
        attempt(3, 4, 999), attempt(3, 4, 299),                      // best 299 s
        attempt(3, 5, 10),                                           // another level
    });
    QCOMPARE(d.attempts(4), 7);
    QCOMPARE(d.allResults(4, 100), 3);
    QCOMPARE(d.allResults(4, 99), 1);
    QCOMPARE(d.bestTimes(4, 30), 2);
    QCOMPARE(d.bestTimes(4, 29), 1);
    for (int band = 31; band <= ResultsDistribution::kLastBand; ++band)
        QCOMPARE(d.bestTimes(4, band), 0);
    QCOMPARE(d.bestTimeLines(4)[31], QStringLiteral(" 300～★★"));
}

void TestDistribution::damagedRecordsAreSkipped() {
    ResultRecord zeros;
    const ResultsDistribution d =
        ResultsDistribution::build({zeros, attempt(1, -3, 10), attempt(1, 60, 10), attempt(1, 101, 10),
                                    attempt(1, 2, -40), attempt(-7, 2, 20)});
    QCOMPARE(d.attempts(60), 1); // counted, though beyond the band tables
    QCOMPARE(d.allResultsLines(60)[0], QStringLiteral("レベル60 今まで1回  （★=1）"));
    QCOMPARE(d.attempts(2), 1);
    QCOMPARE(d.bestTimes(2, 2), 1);
    QCOMPARE(d.attempts(101), 0);
}

void TestDistribution::readsTheResultsFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath("成績累積データ.dat");
    QVERIFY(readResultsDistribution(path).ok()); // no file yet: no records
    for (qint32 t : {15, 25, 99999})
        QVERIFY(appendResult(path, attempt(3, 1, t)).ok());
    const Outcome<ResultsDistribution> d = readResultsDistribution(path);
    QVERIFY(d.ok());
    QCOMPARE(d->attempts(1), 3);
    QCOMPARE(d->bestTimes(1, 1), 1);
    QVERIFY(!readResultsDistribution(dir.filePath("gone/成績累積データ.dat")).ok());
}

QTEST_GUILESS_MAIN(TestDistribution)
#include "tst_distribution.moc"
