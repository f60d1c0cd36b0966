#pragma once

#include "platform/outcome.h"
#include "reports/factsreport.h"
#include "reports/personalreport.h"

#include <QByteArray>
#include <QList>
#include <QString>

// What the pages have drawn by the reports' own drawing code (Qt Gui): charts and fact
// maps as SVG, the companion's PDF documents. The pages only ask; kzweb_draw draws, and
// tests of the pages give a stand-in.
namespace kz::web {

struct StudentReportSet {
    QString name; // as shown: trimmed
    QList<PersonalReport> reports;
};

class WebDrawing {
public:
    WebDrawing() = default;
    Q_DISABLE_COPY_MOVE(WebDrawing)
    virtual ~WebDrawing() = default;

    // The chart of a report as an <svg> element to place in a page.
    virtual QString reportChart(const ReportFigures& figures) = 0;
    // The fact map of one student (or group) of the report as an <svg> element.
    virtual QString factMap(const FactsReport& report, const FactsReport::Student& student) = 0;
    // The students' reports as the companion's report --pdf draws them.
    virtual Outcome<QByteArray> reportsPdf(const QList<StudentReportSet>& students, const QString& title) = 0;
    // The fact maps as the companion's facts --pdf draws them.
    virtual Outcome<QByteArray> factsPdf(const FactsReport& report) = 0;
};

} // namespace kz::web
