#pragma once

#include "web/webdrawing.h"

// The pages' drawings made by the reports' drawing code: charts and fact maps through an
// SVG canvas, PDF documents as the companion writes them, into memory. Needs Qt Gui.
namespace kz::web {

class ReportsDrawing final : public WebDrawing {
public:
    QString reportChart(const ReportFigures& figures) override;
    QString factMap(const FactsReport& report, const FactsReport::Student& student) override;
    Outcome<QByteArray> reportsPdf(const QList<StudentReportSet>& students, const QString& title) override;
    Outcome<QByteArray> factsPdf(const FactsReport& report) override;
};

} // namespace kz::web
