#pragma once

#include "data/resultstore.h"
#include "platform/outcome.h"
#include "reports/resultstables.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <span>
#include <vector>

// The personal report of one student at one level: the chart of the student's times and
// the summary block that sets them against the whole school ("塾全体").
namespace kz {

// The newest records a report looks at, and how far back (days).
inline constexpr qint32 kReportWindow = 20000;
inline constexpr int kReportDaysBack = 3650;
// Attempts of this many seconds or more count for no count or average.
inline constexpr qint32 kReportAverageLimit = 1800;

// The records a report looks at: among the newest 20000 records of the results file,
// the attempts whose level is at most levelCount and whose date is later than now minus
// 3650 days, in file order.
std::vector<ResultKeys> reportRecords(const ResultsWindow& window, int levelCount, const QDateTime& now);
// The same, read through read (the run's operation in the program). A missing file
// reads as no records; a file that cannot be read is the reader's error.
Outcome<std::vector<ResultKeys>> readReportRecords(const NewestResultsReader& read, int levelCount,
                                                   const QDateTime& now);
// The same straight from the results file (the companion).
Outcome<std::vector<ResultKeys>> loadReportRecords(const QString& resultsPath, int levelCount,
                                                   const QDateTime& now);

// What the ranking step reads for a student from the graph ranking lists of a level.
struct ReportRanks {
    QString timeRank;           // the rank field of the student's time line; empty when not listed
    QString pointsRank;         // the rank field of the student's points line; empty when not listed
    qint32 points = 0;          // points so far from the student's points line
    int studentsWithPoints = 0; // lines of the points list with points above 0
    qint64 pointsSum = 0;       // their points
};

// The ranking step: the student's rank fields (the first three characters of their
// line) and points (the number in the last five characters of their points line), and
// the number and sum of the points above 0 of the points list. The student's line is
// found by student number, so long names and names shared by two students still get
// their ranks.
ReportRanks readReportRanks(const QList<TableLine>& timeLines, const QList<TableLine>& pointsLines,
                            int bangou);

// Figures of the report of student bangou at level.
struct ReportFigures {
    int bangou = 0;
    int level = 0;
    int count = 0; // the student's attempts under 1800 s
    qint64 sum = 0;
    qint32 best = 99999;
    int schoolCount = 0; // everybody's attempts under 1800 s
    qint64 schoolSum = 0;
    qint32 schoolBest = 99999; // every recorded time below 99999 counts
    QList<qint32> chart;       // each recorded time of the student at the level, in record order
    ReportRanks ranks;
};

ReportFigures computeReportFigures(std::span<const ResultKeys> records, int bangou, int level,
                                   const ReportRanks& ranks);

struct SummaryLine {
    QString text;
    bool halfLineLower = false; // starts half a line further down than the line before
};

// The summary block, one line below the other: eight to ten lines (the student's
// average only with attempts, the school's average points only with students who have
// points).
QList<SummaryLine> summaryLines(const ReportFigures& figures);
QStringList summaryTexts(const ReportFigures& figures);

// A report ready to draw.
struct PersonalReport {
    QString title;       // program title, " ", the level's caption
    QString studentName; // trimmed
    ReportFigures figures;
    QList<SummaryLine> lines;
};

} // namespace kz
