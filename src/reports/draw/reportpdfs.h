#pragma once

#include "reports/graphrequest.h"
#include "reports/reportassembly.h"

#include <QDate>
#include <QList>
#include <QString>

// The graph panel's reports saved as PDF files instead of printed (a computer without
// any printer).
namespace kz::draw {

// Draws the reports of each student at the levels as they would be printed (A4 portrait,
// the printer's font size) into a PDF file of its own in folder, named by
// reportPdfFileName and never replacing a file, each saved whole. Stops at the first file
// that cannot be saved.
SavedPdfReports saveStudentReportPdfs(const ReportSources& sources, const QList<int>& students,
                                      const QList<int>& levels, const QString& folder, const QDate& date);

} // namespace kz::draw
