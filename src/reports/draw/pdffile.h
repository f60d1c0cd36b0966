#pragma once

#include "platform/outcome.h"
#include "reports/draw/pagecanvas.h"

#include <QBuffer>
#include <QString>

#include <memory>

class QPdfWriter;

namespace kz::draw {

// A PDF document drawn in memory and saved as a whole: nothing is written before save(),
// and a save that fails (a full disk, a folder that cannot be written) leaves no file
// behind and any file it would have replaced as it was.
class PdfFile {
    Q_DISABLE_COPY_MOVE(PdfFile)
public:
    PdfFile(int resolution, const QString& title, const QString& creator, qreal fontPoints = 6);
    ~PdfFile();

    // Draw the pages here (A4 portrait).
    PageCanvas& canvas() { return *canvas_; }
    // Ends the document and writes it to path through the safe whole-file writer.
    Status save(const QString& path);
    // Ends the document and gives it as bytes (the teachers' web pages send it).
    Outcome<QByteArray> bytes();

private:
    QBuffer buffer_;
    QPdfWriter* writer_ = nullptr; // owned by the canvas
    std::unique_ptr<PagedCanvas> canvas_;
};

} // namespace kz::draw
