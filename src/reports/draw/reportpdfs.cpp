#include "reports/draw/reportpdfs.h"

#include "reports/draw/pdffile.h"
#include "reports/draw/reportdrawing.h"

#include <QFileInfo>

namespace kz::draw {

namespace {

// Fine enough for the lines and the small print of the reports.
constexpr int kPdfResolution = 300;

} // namespace

SavedPdfReports saveStudentReportPdfs(const ReportSources& sources, const QList<int>& students,
                                      const QList<int>& levels, const QString& folder, const QDate& date) {
    SavedPdfReports saved;
    saved.folder = folder;
    for (int bangou : students) {
        const QString name = sources.studentName ? sources.studentName(bangou) : QString();
        PdfFile pdf(kPdfResolution, sources.programTitle + u' ' + name, sources.programTitle);
        drawStudentReports(pdf.canvas(), name, makePersonalReports(sources, bangou, levels));
        const QString path = unusedFilePath(folder, reportPdfFileName(bangou, name, date));
        if (Status s = pdf.save(path); !s) {
            saved.failedStudent = name.isEmpty() ? QString::number(bangou) : name;
            saved.failure = s.error();
            break;
        }
        saved.files << QFileInfo(path).fileName();
    }
    return saved;
}

} // namespace kz::draw
