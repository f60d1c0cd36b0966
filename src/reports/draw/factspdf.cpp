#include "reports/draw/factspdf.h"

#include "reports/draw/pagecanvas.h"

#include <QIODevice>
#include <QPdfWriter>

namespace kz::draw {

FactMapPage factMapPage(const FactsReport& report, const FactsReport::Student& s) {
    FactMapPage page;
    if (s.bangou == 0) {
        page.studentLine = QStringLiteral("%1（%2人）").arg(s.gradeLabel).arg(s.members);
    } else {
        page.studentLine = QString::number(s.bangou) + u'　' +
                           (s.name.isEmpty() ? QStringLiteral("（名簿にない番号）") : s.name);
        if (!s.gradeLabel.isEmpty())
            page.studentLine += u'（' + s.gradeLabel + u'）';
    }
    page.periodLine = factPeriodLine(report.period);
    page.matrix = s.matrix;
    for (const QuestionItem& q : report.products)
        page.ask(q.tableNumber, q.factor);
    return page;
}

QList<FactMapPage> factMapPages(const FactsReport& report) {
    QList<FactMapPage> pages;
    for (const FactsReport::Student& s : report.students)
        pages << factMapPage(report, s);
    if (pages.isEmpty()) {
        FactMapPage page;
        page.studentLine = QStringLiteral("答えのある生徒はいません");
        page.periodLine = factPeriodLine(report.period);
        pages << page;
    }
    return pages;
}

Status writeFactMapPdf(const QList<FactMapPage>& pages, QIODevice* device, const QString& name) {
    const auto failed = [&](const QString& detail) {
        return makeError(ErrorKind::WriteFailed, QStringLiteral("%1 に書き込めません").arg(name), detail);
    };
    if (!device || !device->isWritable())
        return failed(QStringLiteral("開けません"));
    const qint64 before = device->pos();
    {
        QPdfWriter writer(device);
        writer.setResolution(300);
        writer.setTitle(QStringLiteral("問題別の記録"));
        writer.setCreator(QStringLiteral("kazurin2-admin"));
        PagedCanvas canvas(&writer);
        if (!canvas.isActive())
            return failed(QStringLiteral("PDF を開けません"));
        for (qsizetype i = 0; i < pages.size(); ++i) {
            if (i > 0 && !canvas.newPage())
                return failed(QStringLiteral("改ページできません"));
            drawFactMapPage(canvas, pages[i]);
        }
        if (!canvas.finish())
            return failed(QStringLiteral("PDF を閉じられません"));
    }
    if (device->pos() == before)
        return failed(QStringLiteral("空のファイル"));
    return {};
}

} // namespace kz::draw
