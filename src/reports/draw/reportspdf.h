#pragma once

#include "reports/personalreport.h"

#include <QList>
#include <QString>

// The personal reports of several students in one document, as the graph panel prints
// them: each student from a new page, three reports a page.
namespace kz::draw {

class PageCanvas;

struct StudentReports {
    QString name; // as shown: trimmed
    QList<PersonalReport> reports;
};

// Draws the students' reports from the canvas's current page on (a PDF file's canvas:
// the companion's report --pdf and the teachers' web pages).
void drawReportsDocument(PageCanvas& canvas, const QList<StudentReports>& students);

} // namespace kz::draw
