#pragma once

#include "reports/parentreport.h"

#include <QList>

// The companion's report for parents and teachers, drawn on A4 portrait pages.
namespace kz::draw {

class PageCanvas;

// The body text of the report, in points: readable on paper held in the hand.
inline constexpr qreal kParentBodyPoints = 10;

struct ParentStudentPages {
    ParentReportHeader header;
    QList<ParentLevelBlock> levels;
};

// A student's pages from the canvas's current page on: the header on every page, then
// up to three levels a page, each with its figures at the left and the chart of the
// student's times at the right (none for a level without a result).
void drawParentReport(PageCanvas& canvas, const ParentStudentPages& pages);

} // namespace kz::draw
