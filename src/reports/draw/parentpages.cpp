#include "reports/draw/parentpages.h"

#include "reports/draw/pagecanvas.h"
#include "reports/draw/reportdrawing.h"

#include <QFontMetricsF>

namespace kz::draw {

namespace {

constexpr int kLevelsPerPage = 3;

QFont sized(QFont font, bool bold = false) {
    font.setBold(bold);
    return font;
}

// Writes text with its baseline at y, from x (or ending at x when right-aligned), and
// returns its width.
qreal write(QPainter& p, const QFont& font, qreal x, qreal y, const QString& text, bool right = false) {
    p.setFont(font);
    const qreal width = QFontMetricsF(font, p.device()).horizontalAdvance(text);
    p.drawText(QPointF(right ? x - width : x, y), text);
    return width;
}

// The header; returns where the levels start.
qreal drawHeader(PageCanvas& canvas, const ParentReportHeader& h, qreal pt, qreal mm) {
    QPainter& p = canvas.painter();
    const qreal width = canvas.pageSize().width();
    const QFont title = sized(textFont(pt * 16), true);
    const QFont name = sized(textFont(pt * 15), true);
    const QFont body = textFont(pt * kParentBodyPoints);
    const QFont school = sized(textFont(pt * 13), true);
    p.setPen(Qt::black);

    qreal y = QFontMetricsF(title, p.device()).ascent();
    write(p, title, 0, y, h.title);
    if (!h.school.isEmpty())
        write(p, school, width, y, h.school, true);
    y += 11 * mm;
    qreal x = write(p, name, 0, y, h.student) + 5 * mm;
    QStringList about;
    if (!h.grade.isEmpty())
        about << h.grade;
    about << h.number;
    write(p, sized(textFont(pt * 12)), x, y, about.join(QStringLiteral("　")));
    y += 8 * mm;
    write(p, body, 0, y, h.period);
    write(p, body, width, y, h.printed, true);
    y += 3 * mm;
    p.setPen(QPen(Qt::black, canvas.lineWidth()));
    p.drawLine(QPointF(0, y), QPointF(width, y));
    return y + 4 * mm;
}

void drawLevel(PageCanvas& canvas, const ParentLevelBlock& block, const QRectF& band, qreal pt, qreal mm) {
    QPainter& p = canvas.painter();
    const QFont title = sized(textFont(pt * 12), true);
    const QFont body = textFont(pt * kParentBodyPoints);
    const QFontMetricsF titleMetrics(title, p.device());
    const QFontMetricsF bodyMetrics(body, p.device());
    const qreal pad = 3 * mm;

    p.setPen(QPen(Qt::black, canvas.fineLineWidth()));
    p.setBrush(Qt::NoBrush);
    p.drawRect(band);
    p.setPen(Qt::black);
    const qreal titleBaseline = band.top() + pad + titleMetrics.ascent();
    write(p, title, band.left() + pad, titleBaseline, block.title);
    const qreal rule = titleBaseline + titleMetrics.descent() + pad * 0.6;
    p.setPen(QPen(Qt::black, canvas.fineLineWidth()));
    p.drawLine(QPointF(band.left(), rule), QPointF(band.right(), rule));
    p.setPen(Qt::black);

    if (!block.hasResult) {
        const QFont none = sized(textFont(pt * 12), true);
        write(p, none, band.left() + pad, rule + pad + QFontMetricsF(none, p.device()).ascent(),
              QStringLiteral("記録なし"));
        write(p, body, band.left() + pad,
              rule + pad * 2 + QFontMetricsF(none, p.device()).height() + bodyMetrics.ascent(),
              QStringLiteral("このレベルの記録はまだありません。"));
        return;
    }

    // The figures: labels at the left, values right-aligned in a column of their own.
    qreal labelWidth = 0;
    qreal valueWidth = 0;
    for (const ParentLevelBlock::Row& row : block.rows) {
        labelWidth = qMax(labelWidth, bodyMetrics.horizontalAdvance(row.label));
        valueWidth = qMax(valueWidth, bodyMetrics.horizontalAdvance(row.value));
    }
    const qreal labelX = band.left() + pad;
    const qreal valueRight = labelX + labelWidth + 4 * mm + valueWidth;
    const qreal lineHeight = bodyMetrics.height() * 1.35;
    qreal y = rule + pad * 0.8 + bodyMetrics.ascent();
    for (const ParentLevelBlock::Row& row : block.rows) {
        write(p, body, labelX, y, row.label);
        write(p, body, valueRight, y, row.value, true);
        y += lineHeight;
    }

    const qreal chartLeft = valueRight + 8 * mm;
    const QRectF chart(chartLeft, rule + pad, band.right() - pad - chartLeft,
                       band.bottom() - pad - rule - pad);
    if (chart.width() > 20 * mm && chart.height() > 15 * mm)
        drawReportChart(canvas, block.figures, chart, pt * kParentBodyPoints / 0.9);
}

} // namespace

void drawParentReport(PageCanvas& canvas, const ParentStudentPages& pages) {
    if (!canvas.isActive())
        return;
    QPainter& p = canvas.painter();
    p.save();
    const qreal pt = pixelsForPoints(*p.device(), 1);
    const qreal mm = pixelsForMm(*p.device(), 1);
    const QSizeF size = canvas.pageSize();
    const qsizetype count = pages.levels.size();
    for (qsizetype first = 0; first < qMax<qsizetype>(count, 1); first += kLevelsPerPage) {
        if (first > 0)
            canvas.newPage();
        const qreal top = drawHeader(canvas, pages.header, pt, mm);
        const qreal gap = 4 * mm;
        const qreal bandHeight = (size.height() - top - gap * (kLevelsPerPage - 1)) / kLevelsPerPage;
        for (int i = 0; i < kLevelsPerPage && first + i < count; ++i) {
            const QRectF band(0, top + i * (bandHeight + gap), size.width(), bandHeight);
            drawLevel(canvas, pages.levels[first + i], band, pt, mm);
        }
    }
    p.restore();
}

} // namespace kz::draw
