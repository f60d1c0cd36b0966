#include "admin/cli/factsoptions.h"

#include "reports/draw/factspdf.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kz::admin {

Status writeFactsPdf(const FactsReport& report, const QString& file) {
    const QString name = QDir::toNativeSeparators(file);
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return makeError(ErrorKind::WriteFailed, QStringLiteral("%1 に書き込めません").arg(name),
                             out.errorString());
        if (const Status drawn = draw::writeFactMapPdf(draw::factMapPages(report), &out, name); !drawn)
            return drawn;
        if (!out.flush())
            return makeError(ErrorKind::WriteFailed, QStringLiteral("%1 に書き込めません").arg(name),
                             out.errorString());
    }
    if (QFileInfo(file).size() == 0)
        return makeError(ErrorKind::WriteFailed, QStringLiteral("%1 に書き込めません").arg(name),
                         QStringLiteral("空のファイル"));
    return {};
}

} // namespace kz::admin
