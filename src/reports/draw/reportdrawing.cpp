#include "reports/draw/reportdrawing.h"

#include "reports/draw/pagecanvas.h"
#include "reports/personalhistory.h"

#include <QFontMetricsF>
#include <QPainterPath>

#include <cmath>

namespace kz::draw {

namespace {

const QColor kChartLine(0, 64, 192);
const QColor kTimedOut(208, 0, 0);
const QColor kSchoolBest(0, 150, 0);
const QColor kGrid(200, 200, 200);

// 1, 2 or 5 times a power of ten, at least value.
qint64 roundScale(qint64 value) {
    qint64 power = 1;
    while (true) {
        for (qint64 step : {1, 2, 5}) {
            if (step * power >= value)
                return step * power;
        }
        power *= 10;
    }
}

} // namespace

void drawReportChart(PageCanvas& canvas, const ReportFigures& figures, const QRectF& area, qreal fontPixels) {
    QPainter& p = canvas.painter();
    const QFont font = fixedPitchFont(fontPixels * 0.9);
    const QFontMetricsF fm(font, p.device());
    p.setFont(font);

    qint64 highest = 0;
    for (qint32 t : figures.chart) {
        if (t < 90000)
            highest = qMax<qint64>(highest, t);
    }
    if (figures.schoolBest < 90000)
        highest = qMax<qint64>(highest, figures.schoolBest);
    const qint64 scale = roundScale(qMax<qint64>(10, highest));

    const qreal labelWidth = fm.horizontalAdvance(QStringLiteral("00000秒")) + fontPixels * 0.3;
    const QRectF plot(area.left() + labelWidth, area.top() + fm.height() * 0.5, area.width() - labelWidth,
                      area.height() - fm.height() * 2);
    if (plot.width() <= 0 || plot.height() <= 0)
        return;
    auto yFor = [&](qint64 seconds) {
        return plot.bottom() - plot.height() * static_cast<qreal>(seconds) / scale;
    };

    // Grid and axes.
    p.setPen(QPen(kGrid, canvas.fineLineWidth()));
    for (int i = 1; i <= 4; ++i)
        p.drawLine(QPointF(plot.left(), yFor(scale * i / 4)), QPointF(plot.right(), yFor(scale * i / 4)));
    p.setPen(QPen(Qt::black, canvas.fineLineWidth()));
    p.drawLine(plot.bottomLeft(), plot.topLeft());
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    for (int i = 0; i <= 4; i += 2) {
        const QString label = QString::number(scale * i / 4) + QStringLiteral("秒");
        p.drawText(QPointF(plot.left() - fontPixels * 0.3 - fm.horizontalAdvance(label),
                           yFor(scale * i / 4) + fm.ascent() * 0.4),
                   label);
    }

    const qsizetype n = figures.chart.size();
    if (n == 0) {
        p.drawText(plot, Qt::AlignCenter, QStringLiteral("記録なし"));
        return;
    }
    const QString last = QString::number(n) + QStringLiteral("回");
    p.drawText(QPointF(plot.left(), plot.bottom() + fm.ascent() + fontPixels * 0.2), QStringLiteral("1"));
    p.drawText(
        QPointF(plot.right() - fm.horizontalAdvance(last), plot.bottom() + fm.ascent() + fontPixels * 0.2),
        last);

    // The school's best as a dashed line.
    if (figures.schoolBest < 90000) {
        QPen dashed(kSchoolBest, canvas.fineLineWidth() * 1.5, Qt::DashLine);
        p.setPen(dashed);
        const qreal y = yFor(figures.schoolBest);
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        const QString label = QStringLiteral("塾最高");
        p.drawText(QPointF(plot.right() - fm.horizontalAdvance(label), y - fontPixels * 0.2), label);
    }

    // The student's times in record order; attempts that ran out are crosses at the top.
    auto xFor = [&](qsizetype i) { return plot.left() + plot.width() * (static_cast<qreal>(i) + 0.5) / n; };
    const qreal mark =
        qMax<qreal>(canvas.lineWidth() * 0.8, qMin<qreal>(fontPixels * 0.25, plot.width() / n / 3));
    QPainterPath path;
    bool drawing = false;
    for (qsizetype i = 0; i < n; ++i) {
        const qint32 t = figures.chart[i];
        if (t >= 90000) {
            drawing = false;
            continue;
        }
        const QPointF point(xFor(i), yFor(t));
        if (drawing)
            path.lineTo(point);
        else
            path.moveTo(point);
        drawing = true;
    }
    p.setPen(QPen(kChartLine, canvas.lineWidth(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setBrush(kChartLine);
    p.setPen(Qt::NoPen);
    for (qsizetype i = 0; i < n; ++i) {
        if (figures.chart[i] < 90000)
            p.drawEllipse(QPointF(xFor(i), yFor(figures.chart[i])), mark, mark);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kTimedOut, canvas.lineWidth()));
    for (qsizetype i = 0; i < n; ++i) {
        if (figures.chart[i] < 90000)
            continue;
        const QPointF c(xFor(i), plot.top());
        p.drawLine(c + QPointF(-mark, -mark), c + QPointF(mark, mark));
        p.drawLine(c + QPointF(-mark, mark), c + QPointF(mark, -mark));
    }
}

void drawReportBand(PageCanvas& canvas, const PersonalReport& report, qreal top, qreal height) {
    if (!canvas.isActive() || height <= 0)
        return;
    QPainter& p = canvas.painter();
    p.save();
    const qreal width = canvas.pageSize().width();
    // Eleven and a half lines of the summary block and the title fit in the band.
    const qreal f = qMin(canvas.fontPixels(), height / 16);
    const qreal pad = f * 0.6;
    const QRectF frame(width * 0.02, top, width * 0.96, height * 0.93);

    p.setPen(QPen(Qt::black, canvas.fineLineWidth()));
    p.setBrush(Qt::NoBrush);
    p.drawRect(frame);

    const QFont titleFont = textFont(f * 1.3);
    const QFontMetricsF titleMetrics(titleFont, p.device());
    p.setFont(titleFont);
    const qreal titleBaseline = frame.top() + pad + titleMetrics.ascent();
    p.drawText(QPointF(frame.left() + pad, titleBaseline), report.title);
    p.drawText(
        QPointF(frame.right() - pad - titleMetrics.horizontalAdvance(report.studentName), titleBaseline),
        report.studentName);
    const qreal rule = titleBaseline + titleMetrics.descent() + pad * 0.5;
    p.drawLine(QPointF(frame.left(), rule), QPointF(frame.right(), rule));

    const QFont blockFont = fixedPitchFont(f);
    const QFontMetricsF fm(blockFont, p.device());
    p.setFont(blockFont);
    const qreal lineHeight = fm.height() * 1.05;
    qreal y = rule + pad * 0.6;
    qreal blockWidth = 0;
    for (const SummaryLine& line : report.lines) {
        if (line.halfLineLower)
            y += lineHeight / 2;
        p.drawText(QPointF(frame.left() + pad, y + fm.ascent()), line.text);
        blockWidth = qMax(blockWidth, fm.horizontalAdvance(line.text));
        y += lineHeight;
    }

    const qreal chartLeft = frame.left() + pad * 3 + blockWidth;
    drawReportChart(
        canvas, report.figures,
        QRectF(chartLeft, rule + pad, frame.right() - pad - chartLeft, frame.bottom() - pad - rule - pad), f);
    p.restore();
}

void drawStudentReports(PageCanvas& canvas, const QString& studentName,
                        const QList<PersonalReport>& reports) {
    if (!canvas.isActive())
        return;
    const QList<ReportBand> bands = placeReportBands(static_cast<int>(reports.size()));
    const QSizeF size = canvas.pageSize();
    const qreal f = canvas.fontPixels();
    int page = bands.isEmpty() ? 0 : bands.first().page;
    for (qsizetype i = 0; i < reports.size(); ++i) {
        const ReportBand& band = bands[i];
        if (band.page != page) {
            canvas.newPage();
            page = band.page;
        }
        const bool firstOnPage = i == 0 || bands[i - 1].page != band.page;
        if (firstOnPage && f * 3 * 1.2 <= band.top * size.height()) {
            QPainter& p = canvas.painter();
            const QFont nameFont = textFont(f * 3);
            p.setFont(nameFont);
            p.setPen(Qt::black);
            const QFontMetricsF fm(nameFont, p.device());
            p.drawText(QPointF(size.width() * 0.02, band.top * size.height() - fm.descent() - f * 0.2),
                       studentName);
        }
        drawReportBand(canvas, reports[i], band.top * size.height(), kReportBandHeight * size.height());
    }
}

} // namespace kz::draw
