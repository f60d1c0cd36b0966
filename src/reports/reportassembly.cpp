#include "reports/reportassembly.h"

#include "core/catalogue.h"
#include "data/grade.h"
#include "reports/graphrequest.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>

namespace kz {

QList<StudentListLine> graphStudentLines(const RosterTables& roster) {
    QList<StudentListLine> lines;
    for (const RosterEntry& e : roster.listed) {
        if (e.listingFlag != 0)
            continue;
        lines << StudentListLine{gradeLabel(e.gradeNumber) + QStringLiteral(" /  ") + e.name + u'/' +
                                     QString::number(e.bangou),
                                 e.bangou};
    }
    QCollator collator{QLocale(QLocale::Japanese, QLocale::Japan)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(lines.begin(), lines.end(),
                     [&collator](const StudentListLine& a, const StudentListLine& b) {
                         return collator.compare(a.text, b.text) < 0;
                     });
    return lines;
}

QList<int> graphStudentsUnder(const RosterTables& roster, const QString& gradeFilter) {
    QList<int> students;
    for (const StudentListLine& line : graphStudentLines(roster)) {
        if (gradeFilter.isEmpty() || levelMenuGradeMatches(gradeFilter, roster.gradeOf(line.bangou)))
            students << line.bangou;
    }
    return students;
}

int studentOfListLine(const QString& line) {
    const qsizetype slash = line.lastIndexOf(u'/');
    if (slash < 0)
        return 0;
    bool ok = false;
    const int bangou = line.mid(slash + 1).trimmed().toInt(&ok);
    return ok ? bangou : 0;
}

GraphRankingSource graphRankingSource(ResultsTableBuilder& builder, PointsKind pointsKind,
                                      const QString& gradeFilter, int currentBangou) {
    const RankingKind points =
        pointsKind == PointsKind::Today ? RankingKind::PointsToday : RankingKind::PointsSoFar;
    return [&builder, points, gradeFilter, currentBangou](int level) {
        GraphRankingLists lists;
        lists.points = builder.ranking(level, points, RankingStyle::Graph, gradeFilter, currentBangou);
        lists.time =
            builder.ranking(level, RankingKind::BestTime, RankingStyle::Graph, gradeFilter, currentBangou);
        return lists;
    };
}

ReportSources teachersReportSources(std::span<const ResultKeys> records, ResultsTableBuilder& builder,
                                    const RosterTables& roster, const QString& gradeFilter) {
    ReportSources sources;
    sources.records = records;
    sources.rankings = graphRankingSource(builder, PointsKind::SoFar, gradeFilter, 0);
    sources.programTitle = programTitle();
    sources.levelCaption = [](int level) { return catalogueLevelName(level); };
    sources.studentName = [&roster](int bangou) { return reportStudentName(roster, bangou); };
    return sources;
}

PersonalReport makePersonalReport(const ReportSources& sources, int bangou, int level) {
    // The ranking step: points first, then time, both read by student number.
    const GraphRankingLists lists = sources.rankings ? sources.rankings(level) : GraphRankingLists{};
    PersonalReport report;
    report.figures = computeReportFigures(sources.records, bangou, level,
                                          readReportRanks(lists.time, lists.points, bangou));
    report.lines = summaryLines(report.figures);
    report.title =
        sources.programTitle + u' ' + (sources.levelCaption ? sources.levelCaption(level) : QString());
    report.studentName = sources.studentName ? sources.studentName(bangou) : QString();
    return report;
}

QList<PersonalReport> makePersonalReports(const ReportSources& sources, int bangou,
                                          const QList<int>& levels) {
    QList<PersonalReport> reports;
    for (int level : levels)
        reports << makePersonalReport(sources, bangou, level);
    return reports;
}

} // namespace kz
