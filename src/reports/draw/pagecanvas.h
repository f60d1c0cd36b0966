#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QSizeF>
#include <QtGlobal>

#include <memory>

class QPagedPaintDevice;

// Surfaces that reports are drawn on, page by page: the screen's picture, a printer or a
// PDF file. Drawing code is written once against QPainter and a PageCanvas.
namespace kz::draw {

// The fixed-pitch Japanese font of aligned text (a full-width character is as wide as
// two half-width ones), at a size in device pixels.
QFont fixedPitchFont(qreal pixelSize);
// The proportional Japanese font of titles and labels.
QFont textFont(qreal pixelSize);
// Device pixels of a length in millimetres or in points on a device.
qreal pixelsForMm(const QPaintDevice& device, qreal mm);
qreal pixelsForPoints(const QPaintDevice& device, qreal points);

class PageCanvas {
    Q_DISABLE_COPY_MOVE(PageCanvas)
public:
    PageCanvas() = default;
    virtual ~PageCanvas() = default;
    // False when the device could not be opened for painting (printer gone, file not
    // writable); nothing is drawn then.
    virtual bool isActive() const = 0;
    virtual QPainter& painter() = 0;
    // The drawing area of a page, in device pixels; (0, 0) is its top left corner.
    virtual QSizeF pageSize() const = 0;
    // Printer and PDF: a new sheet. Screen: the picture is cleared.
    virtual bool newPage() = 0;
    // The base font size of reports and the width of their heavy and fine lines, in
    // device pixels.
    virtual qreal fontPixels() const = 0;
    virtual qreal lineWidth() const = 0;
    virtual qreal fineLineWidth() const = 0;
    // Ends the document (a print job or a file); the screen's picture stays as drawn.
    virtual bool finish() = 0;
};

// A printer or a PDF writer (both paged devices), A4 portrait. Printed lines are at
// least 0.5 mm (heavy) and 0.2 mm (fine) wide, so that they show at any resolution.
class PagedCanvas final : public PageCanvas {
    Q_DISABLE_COPY_MOVE(PagedCanvas)
public:
    // Sets A4 portrait on the device and begins painting (which starts the print job).
    explicit PagedCanvas(QPagedPaintDevice* device, qreal fontPoints = 6);
    // The same, owning the device (a PDF writer made for one document).
    explicit PagedCanvas(std::unique_ptr<QPagedPaintDevice> device, qreal fontPoints = 6);
    ~PagedCanvas() override;

    bool isActive() const override { return painter_.isActive(); }
    QPainter& painter() override { return painter_; }
    QSizeF pageSize() const override;
    bool newPage() override;
    qreal fontPixels() const override;
    qreal lineWidth() const override;
    qreal fineLineWidth() const override;
    bool finish() override;

private:
    std::unique_ptr<QPagedPaintDevice> owned_; // ends after the painter
    QPagedPaintDevice* device_;                // the printer or PDF writer drawn on
    QPainter painter_;                         // active from construction to finish()
    qreal fontPoints_;                         // the base font size of reports, in points
};

// The picture of a screen: a white image, cleared for every new page, so only the last
// page stays visible.
class PictureCanvas final : public PageCanvas {
    Q_DISABLE_COPY_MOVE(PictureCanvas)
public:
    PictureCanvas(QImage* image, qreal fontPixels, qreal lineWidth = 5);
    ~PictureCanvas() override;

    bool isActive() const override { return painter_.isActive(); }
    QPainter& painter() override { return painter_; }
    QSizeF pageSize() const override { return QSizeF(image_->size()); }
    bool newPage() override;
    qreal fontPixels() const override { return fontPixels_; }
    qreal lineWidth() const override { return lineWidth_; }
    qreal fineLineWidth() const override { return qMax<qreal>(1, lineWidth_ / 3); }
    bool finish() override;

private:
    QImage* image_;    // the screen's picture, owned by the screen
    QPainter painter_; // active from construction to finish()
    qreal fontPixels_; // the base font size of reports, in pixels
    qreal lineWidth_;  // the heavy lines' width, in pixels
};

} // namespace kz::draw
