#include "reports/factsreport.h"

#include "core/catalogue.h"
#include "data/answerlog.h"
#include "data/grade.h"
#include "data/roster.h"

#include <QDir>

#include <algorithm>
#include <set>

namespace kz {

QList<QuestionItem> askedProducts(int level) {
    if (const std::optional<DrillLevelSpec> spec = drillLevelSpec(level)) {
        QList<QuestionItem> items = spec->items();
        std::sort(items.begin(), items.end(), [](const QuestionItem& a, const QuestionItem& b) {
            return a.tableNumber != b.tableNumber ? a.tableNumber < b.tableNumber : a.factor < b.factor;
        });
        return items;
    }
    QList<QuestionItem> all;
    for (int m = FactMatrix::kFirstMultiplicand; m <= FactMatrix::kLastMultiplicand; ++m)
        for (int n = 1; n <= FactMatrix::kMaxMultiplier; ++n)
            all.append({m, n});
    return all;
}

QString factPeriodLine(const FactPeriod& period) {
    QString days = QStringLiteral("全期間");
    if (period.days > 0)
        days = QStringLiteral("%1〜%2（%3日間）")
                   .arg(period.since().toString(Qt::ISODate), period.today.toString(Qt::ISODate))
                   .arg(period.days);
    const QString levels =
        period.level > 0
            ? QStringLiteral("レベル%1 %2").arg(period.level).arg(catalogueLevelName(period.level))
            : QStringLiteral("全レベル");
    return days + QStringLiteral("・") + levels;
}

Outcome<FactsReport> buildFactsReport(const Installation& inst, const FactsSelection& selection) {
    FactsReport report;
    report.period = selection.period;
    report.products = askedProducts(report.period.level);

    RosterTables roster;
    const Outcome<RosterLoadResult> loaded = loadRoster(
        inst.rosterPath(), report.period.today, inst.schoolYearStartMonth, inst.flagTwoListed, &roster);
    if (!loaded && !selection.student)
        return loaded.error();
    if (!loaded)
        report.notes << QStringLiteral("名前は空欄です: ") + loaded.error().text();

    QList<int> students;
    if (selection.student) {
        students << *selection.student;
    } else {
        for (const RosterEntry& e : inListingOrder(roster.listed))
            if (matchesFilter(selection.gradeFilter, e.gradeNumber) && !students.contains(e.bangou))
                students << e.bangou;
    }

    const QString path = inst.programDataFolder + answerLogFileName();
    Outcome<AnswerLogContents> log = readAnswerLog(path, factFilter(report.period, students));
    if (!log)
        return log.error();
    if (log->fileMissing)
        report.notes << QStringLiteral("解答の記録はまだありません: %1 がありません")
                            .arg(QDir::toNativeSeparators(path));

    if (selection.wholeGroup && !selection.student) {
        // One matrix: every line counted as the group's.
        std::set<int> members;
        for (AnswerLogLine& line : log->lines) {
            members.insert(line.student);
            line.student = 0;
        }
        FactsReport::Student group;
        group.gradeLabel = selection.gradeFilter;
        group.members = static_cast<int>(members.size());
        const std::map<int, FactMatrix> merged = summariseFacts(log->lines, report.period);
        if (const auto it = merged.find(0); it != merged.end())
            group.matrix = it->second;
        report.students.push_back(std::move(group));
        return report;
    }

    const std::map<int, FactMatrix> matrices = summariseFacts(log->lines, report.period);
    for (int student : students) {
        const auto it = matrices.find(student);
        // One student is always shown; of a group, those who answered anything.
        if (it == matrices.end() && !selection.student)
            continue;
        FactsReport::Student s;
        s.bangou = student;
        s.name = trimHalfWidthSpaces(roster.nameOf(student));
        s.gradeLabel = roster.gradeLabelOf(student);
        if (it != matrices.end())
            s.matrix = it->second;
        report.students.push_back(std::move(s));
    }
    return report;
}

} // namespace kz
