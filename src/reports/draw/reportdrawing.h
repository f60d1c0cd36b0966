#pragma once

#include "reports/personalreport.h"

#include <QList>
#include <QRectF>
#include <QString>

// Drawing of personal reports, the same on the screen, on the printer and in PDF files.
namespace kz::draw {

class PageCanvas;

// One report in the band of the page from top to top + height (device pixels): frame,
// title with the student's name at the right, the summary block at the left and the
// chart of the student's times in record order at the right.
void drawReportBand(PageCanvas& canvas, const PersonalReport& report, qreal top, qreal height);

// The chart of the student's times at the level in record order, in area: the scale of
// seconds at the left, the school's best as a dashed line, attempts whose time ran out
// as crosses at the top; "記録なし" without attempts. Labels are 0.9 of fontPixels.
void drawTimesChart(PageCanvas& canvas, const ReportFigures& figures, const QRectF& area, qreal fontPixels);

// The reports of one student, one level after the other in bands of 0.3 of the page
// height, three to a page; a fourth report starts a new page (on the screen: a cleared
// picture). The student's name heads every page when the space above the first band
// has room for it. Starts on the canvas's current page.
void drawStudentReports(PageCanvas& canvas, const QString& studentName, const QList<PersonalReport>& reports);

} // namespace kz::draw
