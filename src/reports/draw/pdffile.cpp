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
    const Outcome<QByteArray> document = bytes();
    if (!document)
        return makeError(ErrorKind::WriteFailed,
                         QStringLiteral("PDF を作れませんでした。ファイルは書いていません。"));
    return writeFileSafely(path, *document);
}

Outcome<QByteArray> PdfFile::bytes() {
    if (canvas_->isActive() && !canvas_->finish())
        return makeError(ErrorKind::WriteFailed, QStringLiteral("PDF を作れませんでした。"));
    if (buffer_.data().isEmpty())
        return makeError(ErrorKind::WriteFailed, QStringLiteral("PDF を作れませんでした。"));
    return buffer_.data();
}

} // namespace kz::draw
