#include "reports/draw/factmap.h"

#include "reports/draw/pagecanvas.h"

#include <QLinearGradient>

namespace kz::draw {

namespace {

constexpr int kColumns = FactMatrix::kLastMultiplicand - FactMatrix::kFirstMultiplicand + 1;
constexpr int kRows = FactMatrix::kMaxMultiplier;

const QColor kFast(80, 190, 90);
const QColor kMiddle(250, 220, 70);
const QColor kSlow(225, 60, 50);
const QColor kEmpty(235, 235, 235);
const QColor kNotAsked(255, 255, 255);
const QColor kWrongMark(200, 0, 0);

QColor mix(const QColor& a, const QColor& b, qreal t) {
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t));
}

QString seconds(qint64 ms) {
    return QString::number(static_cast<double>(ms) / 1000.0, 'f', 1) + QStringLiteral("秒");
}

// Text in the rectangle, shrunk until it fits its width.
void fitText(QPainter& p, const QRectF& rect, const QString& text, qreal pixels, int flags,
             bool bold = false) {
    QFont font = textFont(pixels);
    font.setBold(bold);
    for (int i = 0; i < 8; ++i) {
        const QFontMetricsF metrics(font, p.device());
        if (metrics.horizontalAdvance(text) <= rect.width())
            break;
        font.setPixelSize(qMax(1, qRound(font.pixelSize() * 0.85)));
    }
    p.setFont(font);
    p.drawText(rect, flags, text);
}

void drawCell(QPainter& p, const QRectF& r, const FactCell& cell, bool asked, qreal fine) {
    p.setPen(QPen(QColor(120, 120, 120), fine));
    if (!asked) {
        p.setBrush(kNotAsked);
        p.drawRect(r);
        return;
    }
    p.setBrush(cell.medianMs ? factMapColour(*cell.medianMs) : kEmpty);
    p.drawRect(r);
    if (!cell.medianMs)
        return;
    const qreal h = r.height();
    p.setPen(Qt::black);
    fitText(p, QRectF(r.left(), r.top(), r.width() * 0.62, h), seconds(*cell.medianMs), h * 0.5,
            Qt::AlignCenter, true);
    fitText(p, QRectF(r.left() + r.width() * 0.6, r.top() + h * 0.52, r.width() * 0.38, h * 0.45),
            QStringLiteral("%1回").arg(cell.answers), h * 0.34, Qt::AlignRight | Qt::AlignVCenter);
    if (cell.wrong > 0) {
        // On a white tag, so the mark reads on the red of a slow cell too.
        const QString mark = QStringLiteral("×%1").arg(cell.wrong);
        QFont font = textFont(h * 0.4);
        font.setBold(true);
        const qreal markWidth =
            qMin(r.width() * 0.38, QFontMetricsF(font, p.device()).horizontalAdvance(mark) * 1.2);
        const QRectF tag(r.right() - markWidth - r.width() * 0.02, r.top() + h * 0.06, markWidth, h * 0.44);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(tag);
        p.setPen(kWrongMark);
        fitText(p, tag, mark, h * 0.4, Qt::AlignCenter, true);
    }
}

void drawLegend(QPainter& p, const QRectF& area, qreal fine) {
    const qreal h = area.height();
    const QRectF bar(area.left(), area.top(), area.width() * 0.5, h * 0.4);
    QLinearGradient gradient(bar.topLeft(), bar.topRight());
    gradient.setColorAt(0, kFast);
    gradient.setColorAt(0.5, kMiddle);
    gradient.setColorAt(1, kSlow);
    p.setPen(QPen(Qt::black, fine));
    p.setBrush(gradient);
    p.drawRect(bar);
    p.setPen(Qt::black);
    const qreal labelTop = bar.bottom() + h * 0.04;
    const qreal labelHeight = h * 0.28;
    fitText(p, QRectF(bar.left(), labelTop, bar.width() * 0.4, labelHeight),
            seconds(kFactMapFastMs) + QStringLiteral("以下"), labelHeight * 0.8,
            Qt::AlignLeft | Qt::AlignTop);
    fitText(p, QRectF(bar.left() + bar.width() * 0.3, labelTop, bar.width() * 0.4, labelHeight),
            seconds((kFactMapFastMs + kFactMapSlowMs) / 2), labelHeight * 0.8,
            Qt::AlignHCenter | Qt::AlignTop);
    fitText(p, QRectF(bar.left() + bar.width() * 0.6, labelTop, bar.width() * 0.4, labelHeight),
            seconds(kFactMapSlowMs) + QStringLiteral("以上"), labelHeight * 0.8,
            Qt::AlignRight | Qt::AlignTop);
    fitText(p, QRectF(bar.left(), labelTop + labelHeight, area.width() * 0.5, labelHeight),
            QStringLiteral("色：答えるまでの時間（中央値）"), labelHeight * 0.8,
            Qt::AlignLeft | Qt::AlignTop);

    const qreal x = area.left() + area.width() * 0.56;
    const qreal w = area.width() - (x - area.left());
    const qreal line = h / 3;
    p.setPen(kWrongMark);
    fitText(p, QRectF(x, area.top(), w, line), QStringLiteral("×3　間違えた回数"), line * 0.7,
            Qt::AlignLeft | Qt::AlignVCenter, true);
    p.setPen(Qt::black);
    fitText(p, QRectF(x, area.top() + line, w, line), QStringLiteral("12回　答えた回数"), line * 0.7,
            Qt::AlignLeft | Qt::AlignVCenter);
    const QRectF swatch(x, area.top() + 2 * line + line * 0.2, line * 0.9, line * 0.6);
    p.setPen(QPen(QColor(120, 120, 120), fine));
    p.setBrush(kEmpty);
    p.drawRect(swatch);
    p.setPen(Qt::black);
    fitText(p,
            QRectF(swatch.right() + line * 0.3, area.top() + 2 * line, w - swatch.width() - line * 0.3, line),
            QStringLiteral("まだ答えていない"), line * 0.7, Qt::AlignLeft | Qt::AlignVCenter);
}

} // namespace

void FactMapPage::askAll() {
    for (auto& row : asked)
        row.fill(true);
    for (auto& row : asked)
        row[0] = false;
}

void FactMapPage::ask(int multiplicand, int multiplier) {
    if (multiplicand >= FactMatrix::kFirstMultiplicand && multiplicand <= FactMatrix::kLastMultiplicand &&
        multiplier >= 1 && multiplier <= FactMatrix::kMaxMultiplier)
        asked[static_cast<size_t>(multiplicand - FactMatrix::kFirstMultiplicand)]
             [static_cast<size_t>(multiplier)] = true;
}

bool FactMapPage::isAsked(int multiplicand, int multiplier) const {
    return multiplicand >= FactMatrix::kFirstMultiplicand && multiplicand <= FactMatrix::kLastMultiplicand &&
           multiplier >= 1 && multiplier <= FactMatrix::kMaxMultiplier &&
           asked[static_cast<size_t>(multiplicand - FactMatrix::kFirstMultiplicand)]
                [static_cast<size_t>(multiplier)];
}

QColor factMapColour(qint64 medianMs) {
    const qreal t = qBound<qreal>(0,
                                  static_cast<qreal>(medianMs - kFactMapFastMs) /
                                      static_cast<qreal>(kFactMapSlowMs - kFactMapFastMs),
                                  1);
    return t < 0.5 ? mix(kFast, kMiddle, t * 2) : mix(kMiddle, kSlow, (t - 0.5) * 2);
}

void drawFactMapPage(PageCanvas& canvas, const FactMapPage& page) {
    QPainter& p = canvas.painter();
    const QSizeF size = canvas.pageSize();
    const qreal fine = canvas.fineLineWidth();
    const qreal margin = size.width() * 0.07;
    const qreal width = size.width() - 2 * margin;
    qreal y = size.height() * 0.04;
    const qreal unit = size.height() * 0.022; // one line of ordinary text

    p.save();
    p.setPen(Qt::black);
    fitText(p, QRectF(margin, y, width, unit * 1.6), QStringLiteral("問題別の記録"), unit * 1.4,
            Qt::AlignLeft | Qt::AlignVCenter, true);
    fitText(p, QRectF(margin + width * 0.35, y, width * 0.65, unit * 1.6), page.studentLine, unit * 1.2,
            Qt::AlignRight | Qt::AlignVCenter, true);
    y += unit * 1.9;
    fitText(p, QRectF(margin, y, width, unit), page.periodLine, unit * 0.8, Qt::AlignLeft | Qt::AlignVCenter);
    y += unit * 1.1;
    const FactMatrix& m = page.matrix;
    QString totals =
        QStringLiteral("答えた数 %1　間違い %2　挑戦 %3回").arg(m.answers).arg(m.wrong).arg(m.attempts);
    if (m.answers == 0)
        totals = QStringLiteral("この期間の答えはありません");
    fitText(p, QRectF(margin, y, width, unit), totals, unit * 0.8, Qt::AlignLeft | Qt::AlignVCenter);
    y += unit * 1.5;

    // The matrix: a label column, then one column per multiplicand; a header row.
    const qreal legendHeight = unit * 3.2;
    const qreal labelWidth = width * 0.13;
    const qreal cellWidth = (width - labelWidth) / kColumns;
    const qreal bottom = size.height() - size.height() * 0.04 - legendHeight - unit;
    const qreal cellHeight = (bottom - y) / (kRows + 1);
    for (int c = 0; c < kColumns; ++c) {
        const QRectF head(margin + labelWidth + c * cellWidth, y, cellWidth, cellHeight);
        fitText(p, head, QStringLiteral("%1の段").arg(FactMatrix::kFirstMultiplicand + c), cellHeight * 0.5,
                Qt::AlignCenter, true);
    }
    for (int n = 1; n <= kRows; ++n) {
        const qreal top = y + n * cellHeight;
        p.setPen(Qt::black);
        fitText(p, QRectF(margin, top, labelWidth * 0.9, cellHeight), QStringLiteral("×%1").arg(n),
                cellHeight * 0.5, Qt::AlignRight | Qt::AlignVCenter, true);
        for (int c = 0; c < kColumns; ++c) {
            const int multiplicand = FactMatrix::kFirstMultiplicand + c;
            const QRectF cell(margin + labelWidth + c * cellWidth, top, cellWidth, cellHeight);
            drawCell(p, cell.adjusted(fine, fine, -fine, -fine), m.cell(multiplicand, n),
                     page.isAsked(multiplicand, n), fine);
        }
    }
    drawLegend(p, QRectF(margin, bottom + unit, width, legendHeight), fine);
    p.restore();
}

} // namespace kz::draw
