#pragma once

#include "reports/draw/pagecanvas.h"

#include <QBuffer>
#include <QSvgGenerator>

// A page canvas whose drawing becomes an <svg> element for a web page: the reports'
// drawing code draws charts and fact maps on it exactly as on the screen and on paper.
namespace kz::web {

class SvgCanvas final : public draw::PageCanvas {
    Q_DISABLE_COPY_MOVE(SvgCanvas)
public:
    // A page of size pixels; the base font size and line widths in those pixels.
    SvgCanvas(QSize size, qreal fontPixels, qreal lineWidth);
    ~SvgCanvas() override;

    bool isActive() const override { return painter_.isActive(); }
    QPainter& painter() override { return painter_; }
    QSizeF pageSize() const override { return QSizeF(size_); }
    // One page only: drawing goes on over what is there.
    bool newPage() override { return painter_.isActive(); }
    qreal fontPixels() const override { return fontPixels_; }
    qreal lineWidth() const override { return lineWidth_; }
    qreal fineLineWidth() const override { return qMax<qreal>(1, lineWidth_ / 3); }
    bool finish() override;

    // The drawing as an <svg> element that scales with the page (no XML prolog, no fixed
    // size; the view box keeps the proportions), labelled for screen readers. Ends the
    // drawing when it has not ended yet.
    QString element(const QString& cssClass, const QString& label);

private:
    QSize size_;
    qreal fontPixels_;
    qreal lineWidth_;
    QBuffer buffer_;
    QSvgGenerator generator_;
    QPainter painter_;
};

} // namespace kz::web
