#pragma once

#include "data/roster.h"
#include "reports/personalreport.h"

#include <QList>
#include <QString>

#include <functional>
#include <span>

// Putting reports together for the graph panel and the companion: the student list of
// the panel, the ranking step and the report of one student at one level.
namespace kz {

// A line of the panel's student list: grade label, " /  ", name, "/", student number
// ("小３ /  テスト/17").
struct StudentListLine {
    QString text;
    int bangou = 0;
};
// One line for every roster entry listed with flag 0, in the order the list shows them:
// by text, ignoring case, under the Japanese collation.
QList<StudentListLine> graphStudentLines(const RosterTables& roster);
// The students of those lines whose grade passes the level menu's grade filter (all of
// them for an empty filter), in the list's order.
QList<int> graphStudentsUnder(const RosterTables& roster, const QString& gradeFilter);
// The student number after the last "/" of a line; 0 when there is none.
int studentOfListLine(const QString& line);

// The graph ranking lists of a level (by time, by points), each line with its student.
struct GraphRankingLists {
    QList<TableLine> time;
    QList<TableLine> points;
};
using GraphRankingSource = std::function<GraphRankingLists(int level)>;
// The graph ranking lists as the level menu ranks its students: its grade filter, its
// points kind (points so far or today) and its current student's marks. The builder
// must outlive the source.
GraphRankingSource graphRankingSource(ResultsTableBuilder& builder, PointsKind pointsKind,
                                      const QString& gradeFilter, int currentBangou);

// What every report of a run is made from.
struct ReportSources {
    std::span<const ResultKeys> records; // the records taken into account (reportRecords)
    GraphRankingSource rankings;
    QString programTitle;
    std::function<QString(int level)> levelCaption;
    std::function<QString(int bangou)> studentName; // as shown: trimmed
};

// The sources of the reports that teachers make away from the level menu (the companion,
// the web pages): ranks as the level menu shows them under the grade filter, ranked by
// points so far, for no student in particular; the program's title, the catalogue's level
// captions, names from the roster. builder and roster must outlive the sources.
ReportSources teachersReportSources(std::span<const ResultKeys> records, ResultsTableBuilder& builder,
                                    const RosterTables& roster, const QString& gradeFilter);

// The report of student bangou at level: the ranking step, then the figures.
PersonalReport makePersonalReport(const ReportSources& sources, int bangou, int level);
QList<PersonalReport> makePersonalReports(const ReportSources& sources, int bangou, const QList<int>& levels);

} // namespace kz
