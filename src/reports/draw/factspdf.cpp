#include "reports/draw/factspdf.h"

#include "reports/draw/pagecanvas.h"

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

bool drawFactMapPages(PageCanvas& canvas, const QList<FactMapPage>& pages) {
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (i > 0 && !canvas.newPage())
            return false;
        drawFactMapPage(canvas, pages[i]);
    }
    return true;
}

} // namespace kz::draw
