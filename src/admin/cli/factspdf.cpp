#include "admin/cli/factsoptions.h"

#include "core/catalogue.h"
#include "reports/draw/factmap.h"
#include "reports/draw/pagecanvas.h"
#include "reports/draw/pdffile.h"

#include <QDir>
#include <QFileInfo>

namespace kz::admin {

namespace {

QString periodLine(const FactPeriod& period) {
    QString days = QStringLiteral("全期間");
    if (period.days > 0)
        days = QStringLiteral("%1〜%2（%3日間）")
                   .arg(period.since().toString(Qt::ISODate), period.today.toString(Qt::ISODate))
                   .arg(period.days);
    const QString levels =
        period.level > 0
            ? QStringLiteral("レベル%1 %2").arg(period.level).arg(catalogueLevelName(period.level))
            : QStringLiteral("全レベル");
    return days + QStringLiteral("・") + levels;
}

} // namespace

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
    for (size_t i = 0; i < report.students.size(); ++i) {
        const FactsReport::Student& s = report.students[i];
        if (i > 0 && !canvas.newPage())
            return failed(QStringLiteral("改ページできません"));
        draw::FactMapPage page;
        page.studentLine = QString::number(s.bangou) + u'　' +
                           (s.name.isEmpty() ? QStringLiteral("（名簿にない番号）") : s.name);
        if (!s.gradeLabel.isEmpty())
            page.studentLine += u'（' + s.gradeLabel + u'）';
        page.periodLine = periodLine(report.period);
        page.matrix = s.matrix;
        for (const QuestionItem& q : report.products)
            page.ask(q.tableNumber, q.factor);
        draw::drawFactMapPage(canvas, page);
    }
    if (report.students.empty()) {
        draw::FactMapPage page;
        page.studentLine = QStringLiteral("答えのある生徒はいません");
        page.periodLine = periodLine(report.period);
        draw::drawFactMapPage(canvas, page);
    }
    return pdf.save(file);
}

} // namespace kz::admin
