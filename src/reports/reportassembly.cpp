#include "reports/reportassembly.h"

#include "data/grade.h"

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
