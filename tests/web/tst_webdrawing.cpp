#include "web/draw/drawing.h"
#include "web/draw/svgcanvas.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QTest>

using namespace kz;
using namespace kz::web;

namespace {

ReportFigures figures() {
    ReportFigures f;
    f.bangou = 17;
    f.level = 3;
    f.chart = {95, 80, 99999, 70, 64};
    f.count = 4;
    f.best = 64;
    f.schoolBest = 41;
    return f;
}

FactsReport facts(const QString& name) {
    FactsReport report;
    report.period.today = QDate(2004, 3, 15);
    report.products = askedProducts(0);
    FactsReport::Student s;
    s.bangou = 21;
    s.name = name;
    s.gradeLabel = QStringLiteral("小２");
    FactCell* cell = s.matrix.mutableCell(14, 3);
    cell->answers = 4;
    cell->wrong = 1;
    cell->medianMs = 2400;
    s.matrix.answers = 4;
    s.matrix.wrong = 1;
    report.students.push_back(s);
    return report;
}

// A style attribute, which the pages' policy refuses (presentation attributes such as
// font-style are allowed).
const QRegularExpression& styleAttribute() {
    static const QRegularExpression re(QStringLiteral("\\sstyle="));
    return re;
}

} // namespace

class TestWebDrawing : public QObject {
    Q_OBJECT
private slots:
    void chartIsAnElementForThePage();
    void factMapShowsNamesAsText();
    void pdfsAreTheCompanionsDocuments();
};

void TestWebDrawing::chartIsAnElementForThePage() {
    ReportsDrawing drawing;
    const QString svg = drawing.reportChart(figures());
    QVERIFY2(svg.startsWith(
                 QStringLiteral("<svg class=\"chart\" role=\"img\" aria-label=\"レベル3 のタイムのグラフ\"")),
             qPrintable(svg.left(200)));
    QVERIFY(svg.endsWith(QStringLiteral("</svg>")));
    QVERIFY(svg.contains(QStringLiteral("viewBox=\"0 0 600 320\"")));
    // Nothing the page's policy would refuse, no fixed size, no prolog.
    QVERIFY(!svg.contains(styleAttribute()));
    QVERIFY(!svg.contains(QStringLiteral("<script")));
    QVERIFY(!svg.contains(QStringLiteral("<?xml")));
    QVERIFY(!svg.contains(QStringLiteral("mm\"")));
    // The chart's own labels: the school's best, the number of attempts.
    QVERIFY(svg.contains(QStringLiteral("塾最高")));
    QVERIFY(svg.contains(QStringLiteral("5回")));
}

void TestWebDrawing::factMapShowsNamesAsText() {
    ReportsDrawing drawing;
    const FactsReport report = facts(QStringLiteral("<script>alert(1)</script>\"&"));
    const QString svg = drawing.factMap(report, report.students.front());
    QVERIFY(svg.startsWith(QStringLiteral("<svg class=\"factmap-picture\"")));
    QVERIFY(!svg.contains(QStringLiteral("<script")));
    QVERIFY(svg.contains(QStringLiteral("&lt;script&gt;")));
    QVERIFY(!svg.contains(styleAttribute()));
    QVERIFY(svg.contains(QStringLiteral("2.4秒")));
}

void TestWebDrawing::pdfsAreTheCompanionsDocuments() {
    ReportsDrawing drawing;
    PersonalReport report;
    report.title = QStringLiteral("カズリンその２ １４(1-10R)");
    report.figures = figures();
    const Outcome<QByteArray> reports =
        drawing.reportsPdf({StudentReportSet{QStringLiteral("テスト"), {report, report, report, report}},
                            StudentReportSet{QStringLiteral("山田"), {report}}},
                           QStringLiteral("カズリンその２"));
    QVERIFY(reports);
    QVERIFY(reports->startsWith("%PDF"));
    // Four reports of the first student fill two pages, the second student starts a third.
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
    QCOMPARE(QString::fromLatin1(*reports).count(page), 3);
    const Outcome<QByteArray> factsPdf = drawing.factsPdf(facts(QStringLiteral("テスト")));
    QVERIFY(factsPdf);
    QVERIFY(factsPdf->startsWith("%PDF"));
    QCOMPARE(QString::fromLatin1(*factsPdf).count(page), 1);
}

QTEST_MAIN(TestWebDrawing)
#include "tst_webdrawing.moc"
