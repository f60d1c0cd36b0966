#pragma once

#include "reports/personalreport.h"

#include <QList>
#include <QRectF>
#include <QString>

// Drawing of personal reports, the same on the screen, on the printer and in PDF files.
namespace kz::draw {

class PageCanvas;

// The chart of a report in the area (device pixels): the student's times in record order
// on a scale of 1, 2 or 5 times a power of ten, the attempts that ran out as crosses at
// the top, the school's best as a dashed line; fontPixels sizes its labels.
void drawReportChart(PageCanvas& canvas, const ReportFigures& figures, const QRectF& area, qreal fontPixels);

// One report in the band of the page from top to top + height (device pixels): frame,
// title with the student's name at the right, the summary block at the left and the
// chart of the student's times in record order at the right.
void drawReportBand(PageCanvas& canvas, const PersonalReport& report, qreal top, qreal height);

// The reports of one student, one level after the other in bands of 0.3 of the page
// height, three to a page; a fourth report starts a new page (on the screen: a cleared
// picture). The student's name heads every page when the space above the first band
// has room for it. Starts on the canvas's current page.
void drawStudentReports(PageCanvas& canvas, const QString& studentName, const QList<PersonalReport>& reports);

} // namespace kz::draw
