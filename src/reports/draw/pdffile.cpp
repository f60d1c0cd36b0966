#include "reports/draw/pdffile.h"

#include "platform/datafile.h"

#include <QPdfWriter>

namespace kz::draw {

PdfFile::PdfFile(int resolution, const QString& title, const QString& creator, qreal fontPoints) {
    buffer_.open(QIODevice::WriteOnly);
    auto writer = std::make_unique<QPdfWriter>(&buffer_);
    writer->setResolution(resolution);
    writer->setTitle(title);
    writer->setCreator(creator);
    writer_ = writer.get();
    canvas_ = std::make_unique<PagedCanvas>(std::move(writer), fontPoints);
}

PdfFile::~PdfFile() = default;

Status PdfFile::save(const QString& path) {
    if (!canvas_->finish() || buffer_.data().isEmpty())
        return makeError(ErrorKind::WriteFailed,
                         QStringLiteral("PDF を作れませんでした。ファイルは書いていません。"));
    return writeFileSafely(path, buffer_.data());
}

} // namespace kz::draw
