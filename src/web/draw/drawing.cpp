#include "web/draw/drawing.h"

#include "reports/draw/factspdf.h"
#include "reports/draw/reportdrawing.h"
#include "reports/draw/reportspdf.h"
#include "web/draw/svgcanvas.h"

#include <QBuffer>

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
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (const Status written = draw::writeReportsPdf(pages, &buffer, QStringLiteral("PDF"), title); !written)
        return written.error();
    return buffer.data();
}

Outcome<QByteArray> ReportsDrawing::factsPdf(const FactsReport& report) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (const Status written =
            draw::writeFactMapPdf(draw::factMapPages(report), &buffer, QStringLiteral("PDF"));
        !written)
        return written.error();
    return buffer.data();
}

} // namespace kz::web
