// The companion's report for parents: the header of every page and each level's figures
// in words, ranks only where they mean something.
#include "data/oledate.h"
#include "reports/parentreport.h"

#include <QTest>

using namespace kz;

namespace {

struct Row {
    QString label;
    QString value;
};

ReportFigures figures(const QList<qint32>& chart, const QString& timeRank, const QString& pointsRank,
                      qint32 points) {
    ReportFigures f;
    f.bangou = 17;
    f.level = 2;
    f.chart = chart;
    for (qint32 t : chart) {
        if (t < 1800) {
            ++f.count;
            f.sum += t;
            f.best = qMin(f.best, t);
        }
    }
    f.schoolCount = 4;
    f.schoolSum = 200;
    f.schoolBest = 30;
    f.ranks.timeRank = timeRank;
    f.ranks.pointsRank = pointsRank;
    f.ranks.points = points;
    f.ranks.studentsWithPoints = points > 0 ? 2 : 1;
    f.ranks.pointsSum = points + 10;
    return f;
}

QStringList labelsOf(const ParentLevelBlock& block) {
    QStringList labels;
    for (const ParentLevelBlock::Row& r : block.rows)
        labels << r.label;
    return labels;
}

QString valueOf(const ParentLevelBlock& block, const QString& label) {
    for (const ParentLevelBlock::Row& r : block.rows)
        if (r.label == label)
            return r.value;
    return QStringLiteral("(none)");
}

} // namespace

Q_DECLARE_METATYPE(kz::ReportFigures)

class TestParentReport : public QObject {
    Q_OBJECT
private slots:
    void levelBlocks_data();
    void levelBlocks();
    void headerTellsWhoWhenAndWhichPeriod();
};

void TestParentReport::levelBlocks_data() {
    QTest::addColumn<ReportFigures>("figures");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QStringList>("values"); // of the labels in order
    // Never tried: the ranking lists still give "---" and the points list a rank with 0
    // points; neither means anything.
    QTest::newRow("never tried") << figures({}, QStringLiteral("---"), QStringLiteral("  2"), 0)
                                 << QStringList{"記録なし"} << QStringList{""};
    QTest::newRow("tried, no points yet")
        << figures({80, 50}, QStringLiteral("  3"), QStringLiteral("  2"), 0)
        << QStringList{"回数",           "最高タイム",     "平均タイム", "タイムの順位",
                       "塾の最高タイム", "塾の平均タイム", "ポイント",   "塾の平均ポイント"}
        << QStringList{"2回", "50秒", "65秒", "3位", "30秒", "50秒", "0点", "10点"};
    QTest::newRow("times and points")
        << figures({45}, QStringLiteral("  1"), QStringLiteral("  1"), 14)
        << QStringList{"回数",           "最高タイム", "平均タイム",     "タイムの順位",    "塾の最高タイム",
                       "塾の平均タイム", "ポイント",   "ポイントの順位", "塾の平均ポイント"}
        << QStringList{"1回", "45秒", "45秒", "1位", "30秒", "50秒", "14点", "1位", "12点"};
    QTest::newRow("only time-outs")
        << figures({99999}, QStringLiteral("---"), QString(), 0)
        << QStringList{"回数",           "最高タイム", "塾の最高タイム",
                       "塾の平均タイム", "ポイント",   "塾の平均ポイント"}
        << QStringList{"1回（うち時間切れ 1回）", "記録なし", "30秒", "50秒", "0点", "10点"};
}

void TestParentReport::levelBlocks() {
    QFETCH(ReportFigures, figures);
    QFETCH(QStringList, labels);
    QFETCH(QStringList, values);
    PersonalReport report;
    report.figures = figures;
    const ParentLevelBlock block = parentLevelBlock(report, 2, QStringLiteral("１４(1-10)"));
    QCOMPARE(block.title, QStringLiteral("レベル2　１４(1-10)"));
    QCOMPARE(block.hasResult, !figures.chart.isEmpty());
    QCOMPARE(labelsOf(block), labels);
    for (qsizetype i = 0; i < labels.size(); ++i)
        QCOMPARE(valueOf(block, labels[i]), values[i]);
    for (const ParentLevelBlock::Row& r : block.rows)
        QVERIFY2(!r.value.contains(QStringLiteral("99999")), qPrintable(r.value));
}

void TestParentReport::headerTellsWhoWhenAndWhichPeriod() {
    ParentReportFacts facts;
    facts.programTitle = QStringLiteral("カズリンその２");
    facts.school = QStringLiteral(" さくら塾 ");
    facts.bangou = 17;
    facts.name = QStringLiteral("テスト");
    facts.gradeLabel = QStringLiteral("小３");
    facts.printed = QDate(2024, 4, 15);
    std::vector<ResultKeys> records(2);
    records[0].date = oleFromDate(QDate(2024, 3, 9));
    records[1].date = oleFromDate(QDate(2024, 3, 1));
    const ParentReportHeader h = parentReportHeader(facts, records);
    QCOMPARE(h.title, QStringLiteral("カズリンその２　成績表"));
    QCOMPARE(h.school, QStringLiteral("さくら塾"));
    QCOMPARE(h.student, QStringLiteral("テスト さん"));
    QCOMPARE(h.grade, QStringLiteral("小３"));
    QCOMPARE(h.number, QStringLiteral("番号 17"));
    QCOMPARE(h.period, QStringLiteral("対象期間　2024年3月1日～2024年4月15日"));
    QCOMPARE(h.printed, QStringLiteral("印刷日　2024年4月15日"));
    // No records at all, and a number the roster does not name.
    facts.name.clear();
    const ParentReportHeader empty = parentReportHeader(facts, {});
    QCOMPARE(empty.period, QStringLiteral("対象期間　記録なし"));
    QCOMPARE(empty.student, QStringLiteral("（名簿にない番号）"));
}

QTEST_GUILESS_MAIN(TestParentReport)
#include "tst_parentreport.moc"
