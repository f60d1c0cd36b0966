#include "web/draw/drawing.h"

#include "reports/draw/factspdf.h"
#include "reports/draw/pdffile.h"
#include "reports/draw/reportdrawing.h"
#include "reports/draw/reportspdf.h"
#include "web/draw/svgcanvas.h"

namespace kz::web {

namespace {

// The chart's picture: wide enough for a tablet held either way, labels at a readable size.
constexpr QSize kChartSize(600, 320);
constexpr qreal kChartFontPixels = 17;
constexpr qreal kChartLineWidth = 3;
// A fact map in the proportions of its A4 page.
constexpr QSize kFactMapSize(700, 990);

} // namespace

QString ReportsDrawing::reportChart(const ReportFigures& figures) {
    SvgCanvas canvas(kChartSize, kChartFontPixels, kChartLineWidth);
    draw::drawReportChart(canvas, figures, QRectF(QPointF(4, 8), QSizeF(kChartSize) - QSizeF(12, 12)),
                          kChartFontPixels);
    return canvas.element(QStringLiteral("chart"),
                          QStringLiteral("レベル%1 のタイムのグラフ").arg(figures.level));
}

QString ReportsDrawing::factMap(const FactsReport& report, const FactsReport::Student& student) {
    SvgCanvas canvas(kFactMapSize, 14, 2);
    const draw::FactMapPage page = draw::factMapPage(report, student);
    draw::drawFactMapPage(canvas, page);
    return canvas.element(QStringLiteral("factmap-picture"),
                          QStringLiteral("問題別の記録: ") + page.studentLine);
}

Outcome<QByteArray> ReportsDrawing::reportsPdf(const QList<StudentReportSet>& students,
                                               const QString& title) {
    QList<draw::StudentReports> pages;
    for (const StudentReportSet& s : students)
        pages << draw::StudentReports{s.name, s.reports};
    // As the companion's report --pdf draws it, into memory.
    draw::PdfFile pdf(600, title, QStringLiteral("kazurin2-admin"));
    if (!pdf.canvas().isActive())
        return makeError(ErrorKind::WriteFailed, QStringLiteral("PDF を作れませんでした。"));
    draw::drawReportsDocument(pdf.canvas(), pages);
    return pdf.bytes();
}

Outcome<QByteArray> ReportsDrawing::factsPdf(const FactsReport& report) {
    // As the companion's facts --pdf draws it, into memory.
    draw::PdfFile pdf(300, QStringLiteral("問題別の記録"), QStringLiteral("kazurin2-admin"));
    if (!pdf.canvas().isActive() || !draw::drawFactMapPages(pdf.canvas(), draw::factMapPages(report)))
        return makeError(ErrorKind::WriteFailed, QStringLiteral("PDF を作れませんでした。"));
    return pdf.bytes();
}

} // namespace kz::web
