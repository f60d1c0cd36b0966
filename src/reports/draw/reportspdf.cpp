#include "reports/draw/reportspdf.h"

#include "reports/draw/pagecanvas.h"
#include "reports/draw/reportdrawing.h"

#include <QIODevice>
#include <QPdfWriter>

namespace kz::draw {

Status writeReportsPdf(const QList<StudentReports>& students, QIODevice* device, const QString& name,
                       const QString& title) {
    if (!device || !device->isWritable())
        return makeError(ErrorKind::WriteFailed, QStringLiteral("%1 に書き込めません").arg(name));
    const qint64 before = device->pos();
    {
        QPdfWriter writer(device);
        writer.setResolution(600);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("kazurin2-admin"));
        PagedCanvas canvas(&writer);
        if (!canvas.isActive())
            return makeError(ErrorKind::WriteFailed, QStringLiteral("%1 に描けません").arg(name));
        for (qsizetype i = 0; i < students.size(); ++i) {
            if (i > 0)
                canvas.newPage();
            drawStudentReports(canvas, students[i].name, students[i].reports);
        }
        if (!canvas.finish())
            return makeError(ErrorKind::WriteFailed,
                             QStringLiteral("%1 を書き終えられませんでした").arg(name));
    }
    if (device->pos() == before)
        return makeError(ErrorKind::WriteFailed, QStringLiteral("%1 を書き終えられませんでした").arg(name));
    return {};
}

} // namespace kz::draw
