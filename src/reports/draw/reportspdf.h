#pragma once

#include "platform/outcome.h"
#include "reports/personalreport.h"

#include <QList>
#include <QString>

class QIODevice;

// The personal reports of several students as one PDF document, as the graph panel
// prints them: each student from a new page, three reports a page.
namespace kz::draw {

struct StudentReports {
    QString name; // as shown: trimmed
    QList<PersonalReport> reports;
};

// Draws the students' reports (A4 portrait, 600 dots an inch) into a PDF document written
// to the open device. name names the document in error messages; title is the document's.
Status writeReportsPdf(const QList<StudentReports>& students, QIODevice* device, const QString& name,
                       const QString& title);

} // namespace kz::draw
