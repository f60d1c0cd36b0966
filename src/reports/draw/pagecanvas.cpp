#include "reports/draw/pagecanvas.h"

#include "core/gui/screenkitfonts.h"

#include <QPageLayout>
#include <QPagedPaintDevice>

namespace kz::draw {

namespace {

// Fonts are asked for in whole device pixels, at least one.
int wholePixels(qreal pixelSize) {
    return qMax(1, qRound(pixelSize));
}

} // namespace

QFont fixedPitchFont(qreal pixelSize) {
    return kit::fixedPitch(kit::gothicPixelFont(wholePixels(pixelSize)));
}

QFont textFont(qreal pixelSize) {
    return kit::proportionalPixelFont(wholePixels(pixelSize));
}

qreal pixelsForMm(const QPaintDevice& device, qreal mm) {
    return mm * device.logicalDpiY() / 25.4;
}
qreal pixelsForPoints(const QPaintDevice& device, qreal points) {
    return points * device.logicalDpiY() / 72.0;
}

PagedCanvas::PagedCanvas(QPagedPaintDevice* device, qreal fontPoints)
    : device_(device), fontPoints_(fontPoints) {
    device_->setPageSize(QPageSize(QPageSize::A4));
    device_->setPageOrientation(QPageLayout::Portrait);
    device_->setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    painter_.begin(device_);
    painter_.setRenderHint(QPainter::Antialiasing);
}

PagedCanvas::PagedCanvas(std::unique_ptr<QPagedPaintDevice> device, qreal fontPoints)
    : PagedCanvas(device.get(), fontPoints) {
    owned_ = std::move(device);
}

PagedCanvas::~PagedCanvas() {
    if (painter_.isActive())
        painter_.end();
}

QSizeF PagedCanvas::pageSize() const {
    return QSizeF(device_->width(), device_->height());
}

bool PagedCanvas::newPage() {
    return painter_.isActive() && device_->newPage();
}

qreal PagedCanvas::fontPixels() const {
    return pixelsForPoints(*device_, fontPoints_);
}

qreal PagedCanvas::lineWidth() const {
    return qMax<qreal>(2, pixelsForMm(*device_, 0.5));
}

qreal PagedCanvas::fineLineWidth() const {
    return qMax<qreal>(1, pixelsForMm(*device_, 0.2));
}

bool PagedCanvas::finish() {
    return painter_.isActive() && painter_.end();
}

PictureCanvas::PictureCanvas(QImage* image, qreal fontPixels, qreal lineWidth)
    : image_(image), fontPixels_(fontPixels), lineWidth_(lineWidth) {
    image_->fill(Qt::white);
    painter_.begin(image_);
    painter_.setRenderHint(QPainter::Antialiasing);
}

PictureCanvas::~PictureCanvas() {
    if (painter_.isActive())
        painter_.end();
}

bool PictureCanvas::newPage() {
    if (!painter_.isActive())
        return false;
    painter_.save();
    painter_.resetTransform();
    painter_.setCompositionMode(QPainter::CompositionMode_Source);
    painter_.fillRect(QRectF(QPointF(0, 0), pageSize()), Qt::white);
    painter_.restore();
    return true;
}

bool PictureCanvas::finish() {
    return painter_.isActive() && painter_.end();
}

} // namespace kz::draw
