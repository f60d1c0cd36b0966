#include "data/oledate.h"
#include "reports/personalhistory.h"
#include "reports/personalreport.h"

#include <QTest>

using namespace kz;

namespace {

ResultKeys attempt(int bangou, int level, qint32 seconds,
                   QDateTime when = QDateTime(QDate(2004, 3, 15), QTime(9, 5, 23))) {
    ResultKeys k;
    k.date = oleFromDate(when.date());
    k.time = oleFromTime(when.time());
    k.bangou = static_cast<qint16>(bangou);
    k.level = static_cast<qint16>(level);
    k.recordedTime = seconds;
    return k;
}

} // namespace

class TestPersonalReport : public QObject {
    Q_OBJECT
private slots:
    void summary_data();
    void summary();
    void ranksFoundByStudentNumber();
    void historyLines();
    void bandsPerPage();
    void recordsTakenIntoAccount();
};

void TestPersonalReport::summary_data() {
    QTest::addColumn<QList<ResultKeys>>("records");
    QTest::addColumn<ReportRanks>("ranks");
    QTest::addColumn<QStringList>("lines");

    const ReportRanks ranked{QStringLiteral("  2"), QStringLiteral("  1"), 12, 3, 20};
    QTest::newRow("all ten lines") << QList<ResultKeys>{attempt(17, 2, 40), attempt(21, 2, 30),
                                                        attempt(17, 2, 45), attempt(17, 3, 10),
                                                        attempt(21, 2, 99999)}
                                   << ranked
                                   << QStringList{QStringLiteral("回数　　　　　　　  2回"),
                                                  QStringLiteral("タイム  　　 　    本人 / 塾全体"),
                                                  QStringLiteral("　　順位　　　　    2位"),
                                                  QStringLiteral("　　最高　　　　    40 /   30秒"),
                                                  // 85 / 2 cut to 42; (40 + 30 + 45) / 3 = 38.3 rounds to 38
                                                  QStringLiteral("　　平均　　　　   42秒 /   38秒"),
                                                  QStringLiteral("ポイント  　　　"),
                                                  QStringLiteral("　　順位　　　　    1位"),
                                                  QStringLiteral("　　獲得ポイント   12点"),
                                                  // 20 / 3 = 6.67 rounds to 7
                                                  QStringLiteral("　　　　　　　　　　　　/    7点"),
                                                  QStringLiteral("　　　　　　　　　　　　 (塾平均)")};
    // Only times of 1800 s and more: nothing to count or average, but the school's best
    // takes them; nobody has points, so no school average, "(塾平均)" all the same.
    QTest::newRow("no attempt under 1800 s, nobody with points")
        << QList<ResultKeys>{attempt(17, 2, 1800), attempt(21, 2, 2500), attempt(17, 2, 99999)}
        << ReportRanks{} << QStringList{QStringLiteral("回数　　　　　　　  0回"),
                                        QStringLiteral("タイム  　　 　    本人 / 塾全体"),
                                        QStringLiteral("　　順位　　　　     位"),
                                        QStringLiteral("　　最高　　　　 99999 / 1800秒"),
                                        QStringLiteral("ポイント  　　　"),
                                        QStringLiteral("　　順位　　　　     位"),
                                        QStringLiteral("　　獲得ポイント    0点"),
                                        QStringLiteral("　　　　　　　　　　　　 (塾平均)")};
    QTest::newRow("no result at all")
        << QList<ResultKeys>{} << ReportRanks{QStringLiteral("---"), QString(), 0, 0, 0}
        << QStringList{QStringLiteral("回数　　　　　　　  0回"),
                       QStringLiteral("タイム  　　 　    本人 / 塾全体"),
                       QStringLiteral("　　順位　　　　  ---位"),
                       QStringLiteral("　　最高　　　　 99999 /99999秒"),
                       QStringLiteral("ポイント  　　　"),
                       QStringLiteral("　　順位　　　　     位"),
                       QStringLiteral("　　獲得ポイント    0点"),
                       QStringLiteral("　　　　　　　　　　　　 (塾平均)")};
}

void TestPersonalReport::summary() {
    QFETCH(QList<ResultKeys>, records);
    QFETCH(ReportRanks, ranks);
    QFETCH(QStringList, lines);
    const std::vector<ResultKeys> all(records.begin(), records.end());
    const ReportFigures figures = computeReportFigures(all, 17, 2, ranks);
    QCOMPARE(summaryTexts(figures), lines);
    const QList<SummaryLine> block = summaryLines(figures);
    QVERIFY(block.last().halfLineLower);
    QCOMPARE(std::count_if(block.begin(), block.end(), [](const SummaryLine& l) { return l.halfLineLower; }),
             1);
    // The chart holds every attempt of the student at the level, in record order.
    QList<qint32> mine;
    for (const ResultKeys& r : records) {
        if (r.bangou == 17 && r.level == 2)
            mine << r.recordedTime;
    }
    QCOMPARE(figures.chart, mine);
}

void TestPersonalReport::ranksFoundByStudentNumber() {
    // Two students named alike (the name field cuts both to "たかはしけ") and one whose
    // points line carries no points: each gets the figures of their own line.
    const QList<TableLine> times{{QStringLiteral("  1①たかはしけ    20 　"), 30},
                                 {QStringLiteral("  2①たかはしけ    25 ●"), 31},
                                 {QStringLiteral("---①たかはしけ------ 　"), 32}};
    const QList<TableLine> points{{QStringLiteral("  1①たかはしけ  5/   40"), 31},
                                  {QStringLiteral("  2①たかはしけ  0/   12"), 30},
                                  {QStringLiteral("  3①たかはしけ  0/    0"), 32}};
    const ReportRanks second = readReportRanks(times, points, 31);
    QCOMPARE(second.timeRank, QStringLiteral("  2"));
    QCOMPARE(second.pointsRank, QStringLiteral("  1"));
    QCOMPARE(second.points, 40);
    QCOMPARE(second.studentsWithPoints, 2);
    QCOMPARE(second.pointsSum, 52);
    const ReportRanks first = readReportRanks(times, points, 30);
    QCOMPARE(first.timeRank, QStringLiteral("  1"));
    QCOMPARE(first.points, 12);
    const ReportRanks none = readReportRanks(times, points, 32);
    QCOMPARE(none.timeRank, QStringLiteral("---"));
    QCOMPARE(none.points, 0);
    const ReportRanks filteredOut = readReportRanks(times, points, 99);
    QVERIFY(filteredOut.timeRank.isEmpty());
    QVERIFY(filteredOut.pointsRank.isEmpty());
    QCOMPARE(filteredOut.points, 0);
    QCOMPARE(filteredOut.studentsWithPoints, 2);
}

void TestPersonalReport::historyLines() {
    const QDate day(2004, 3, 15);
    const std::vector<ResultKeys> records{attempt(17, 2, 95, QDateTime(day, QTime(9, 5, 23))),
                                          attempt(21, 2, 30, QDateTime(day, QTime(9, 6, 0))),
                                          attempt(17, 2, 99999, QDateTime(day, QTime(10, 0, 0))),
                                          attempt(17, 3, 1234, QDateTime(day, QTime(11, 0, 0))),
                                          attempt(17, 2, 8, QDateTime(day.addDays(1), QTime(8, 0, 7)))};
    const QList<HistoryLine> lines = personalHistory(records, 17);
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0].level, 2);
    QCOMPARE(lines[0].text, QStringLiteral("2004/03/15 9:05:23  95秒"));
    QCOMPARE(lines[1].text, QStringLiteral("2004/03/15 10:00:00 時間切れ(2)"));
    QCOMPARE(lines[2].level, 3);
    QCOMPARE(lines[2].text, QStringLiteral("2004/03/15 11:00:001234秒"));
    QCOMPARE(lines[3].text, QStringLiteral("2004/03/16 8:00:07   8秒"));

    // As the level list shows them: within a day 10:00:00 before 9:05:23.
    const std::vector<QList<TableLine>> lists = personalHistoryLists(records, 17, 25);
    QCOMPARE(lists.size(), size_t(26));
    QStringList level2;
    for (const TableLine& line : lists[2])
        level2 << line.text;
    QCOMPARE(level2, (QStringList{QStringLiteral("2004/03/15 10:00:00 時間切れ(2)"),
                                  QStringLiteral("2004/03/15 9:05:23  95秒"),
                                  QStringLiteral("2004/03/16 8:00:07   8秒")}));
    QCOMPARE(lists[3].size(), 1);
    QVERIFY(lists[1].isEmpty());
}

void TestPersonalReport::bandsPerPage() {
    const QList<ReportBand> bands = placeReportBands(5);
    QCOMPARE(bands.size(), 5);
    const int pages[] = {0, 0, 0, 1, 1};
    const double tops[] = {0.05, 0.35, 0.65, 0.05, 0.35};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(bands[i].page, pages[i]);
        QVERIFY(qAbs(bands[i].top - tops[i]) < 1e-9);
    }
}

void TestPersonalReport::recordsTakenIntoAccount() {
    const QDateTime now(QDate(2004, 3, 15), QTime(14, 30, 0));
    QList<ResultRecord> records{makeResultRecord(now, 17, 2, 40, u""),
                                makeResultRecord(now.addDays(-3649), 17, 2, 41, u""),
                                makeResultRecord(now.addDays(-3651), 17, 2, 42, u""),
                                makeResultRecord(now, 17, 26, 43, u""), makeResultRecord(now, 0, 2, 44, u"")};
    ResultsWindow window;
    for (const ResultRecord& r : records)
        window.bytes += encodeResultRecord(r);
    const std::vector<ResultKeys> taken = reportRecords(window, 25, now);
    QCOMPARE(taken.size(), size_t(2));
    QCOMPARE(taken[0].recordedTime, 40);
    QCOMPARE(taken[1].recordedTime, 41);
}

QTEST_GUILESS_MAIN(TestPersonalReport)
#include "tst_personalreport.moc"
