#pragma once

#include "platform/outcome.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What the graph panel draws or prints on one press of "表示" or "印刷", and where the
// later print jobs of one choice of a file go.
namespace kz {

struct RosterTables;

// "グラフ" opens on the first this many levels of the level list.
inline constexpr int kGraphLevelsOnOpening = 3;

struct GraphRequest {
    QList<int> students; // the students reported, one after the other
    QList<int> levels;   // the levels of each student's report, from the top of the list
};

// The students are those of the chosen lines of the panel's student list (a line without
// a student number is passed over) or, with none of them, the student reported last.
// Printing without a level is refused, so that nobody is sent empty pages.
Outcome<GraphRequest> graphRequest(const QStringList& chosenStudentLines, int lastStudent,
                                   const QList<int>& levels, bool printing);

// The name a student's reports carry: the roster's name without its padding spaces.
QString reportStudentName(const RosterTables& roster, int bangou);

// A file name for the n-th job (n >= 2) beside the chosen file: "a/reports.pdf" -> "a/reports-2.pdf".
QString numberedJobFile(const QString& chosen, int n);

// Without any printer, "印刷" saves each student's reports as a PDF file of its own in a
// folder the teacher picks.
//
// What the teacher is asked first, and the title of the folder dialog.
QString noPrinterQuestion();
QString pdfFolderTitle();
// Where the folder dialog starts: the desktop, or the home folder without one.
QString defaultReportFolder();
// "成績表_17_テスト_2024-05-01.pdf": student number, name (without spaces and without
// the characters file names cannot hold), the day the reports were made.
QString reportPdfFileName(int bangou, const QString& name, const QDate& date);
// folder/fileName, or beside it "-2", "-3", … when the name is taken: a file saved
// earlier is never replaced.
QString unusedFilePath(const QString& folder, const QString& fileName);

// What the saving of the PDF files came to, and what the teacher is told of it.
struct SavedPdfReports {
    QString folder;
    QStringList files;     // the names of the files written, in order
    QString failedStudent; // the student whose file could not be written (the rest were not tried)
    std::optional<Error> failure;
};
QString savedPdfReportsMessage(const SavedPdfReports& saved);

} // namespace kz
