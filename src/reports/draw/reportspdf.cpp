#include "reports/draw/reportspdf.h"

#include "reports/draw/pagecanvas.h"
#include "reports/draw/reportdrawing.h"

namespace kz::draw {

void drawReportsDocument(PageCanvas& canvas, const QList<StudentReports>& students) {
    for (qsizetype i = 0; i < students.size(); ++i) {
        if (i > 0)
            canvas.newPage();
        drawStudentReports(canvas, students[i].name, students[i].reports);
    }
}

} // namespace kz::draw
