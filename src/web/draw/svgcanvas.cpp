#include "web/draw/svgcanvas.h"

#include "web/html.h"

#include <QRegularExpression>

namespace kz::web {

SvgCanvas::SvgCanvas(QSize size, qreal fontPixels, qreal lineWidth)
    : size_(size), fontPixels_(fontPixels), lineWidth_(lineWidth) {
    buffer_.open(QIODevice::WriteOnly);
    generator_.setOutputDevice(&buffer_);
    generator_.setSize(size_);
    generator_.setViewBox(QRect(QPoint(0, 0), size_));
    painter_.begin(&generator_);
    painter_.setRenderHint(QPainter::Antialiasing);
}

SvgCanvas::~SvgCanvas() {
    if (painter_.isActive())
        painter_.end();
}

bool SvgCanvas::finish() {
    return painter_.isActive() && painter_.end();
}

QString SvgCanvas::element(const QString& cssClass, const QString& label) {
    if (painter_.isActive())
        painter_.end();
    QString svg = QString::fromUtf8(buffer_.data());
    const qsizetype start = svg.indexOf(QStringLiteral("<svg"));
    if (start < 0)
        return {};
    svg.remove(0, start);
    // The generator writes a size in millimetres; the page's style sheet sizes the picture.
    static const QRegularExpression fixedSize(
        QStringLiteral("^<svg\\s+width=\"[^\"]*\"\\s+height=\"[^\"]*\""));
    svg.replace(fixedSize, QStringLiteral("<svg"));
    // Nothing of the generator's own title and description; the label says what it shows.
    static const QRegularExpression titleAndDesc(
        QStringLiteral("<title>[^<]*</title>\\s*<desc>[^<]*</desc>"));
    svg.replace(titleAndDesc, QString());
    svg.replace(0, 4,
                QStringLiteral(
                    "<svg class=\"%1\" role=\"img\" aria-label=\"%2\" preserveAspectRatio=\"xMidYMid meet\"")
                    .arg(escape(cssClass), escape(label)));
    return svg.trimmed();
}

} // namespace kz::web
