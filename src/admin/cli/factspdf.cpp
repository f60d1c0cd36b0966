#include "admin/cli/factsoptions.h"

#include "reports/draw/factspdf.h"
#include "reports/draw/pdffile.h"

#include <QDir>

namespace kz::admin {

Status writeFactsPdf(const FactsReport& report, const QString& file) {
    const auto failed = [&](const QString& detail) {
        return makeError(ErrorKind::WriteFailed,
                         QStringLiteral("%1 に書き込めません").arg(QDir::toNativeSeparators(file)), detail);
    };
    // Drawn in memory and saved whole: a failure leaves no file behind.
    draw::PdfFile pdf(300, QStringLiteral("問題別の記録"), QStringLiteral("kazurin2-admin"));
    draw::PageCanvas& canvas = pdf.canvas();
    if (!canvas.isActive())
        return failed(QStringLiteral("PDF を開けません"));
    if (!draw::drawFactMapPages(canvas, draw::factMapPages(report)))
        return failed(QStringLiteral("改ページできません"));
    return pdf.save(file);
}

} // namespace kz::admin
