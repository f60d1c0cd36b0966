#pragma once

#include "platform/outcome.h"

#include <QList>
#include <QString>
#include <QStringList>

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

} // namespace kz
