#pragma once

#include <QDate>
#include <QList>
#include <QString>

// School year and grade rules shared by the roster, the name screen, the level menu and
// the reports.
namespace kz {

// The calendar year of today, minus 1 while today's month is before the start month.
int schoolYearOf(QDate today, int schoolYearStartMonth);
// schoolYear - birthYear - 6: 0 last kindergarten year, 1..6 elementary, 7..9 junior high.
inline int gradeNumberOf(int schoolYear, int birthYear) {
    return schoolYear - birthYear - 6;
}
// "幼３", "小１" … "高１" for grades 0..10; empty otherwise.
QString gradeLabel(int grade);
// "幼-", "幼1", "幼2", "幼3", "小1" … "高3", "大+" for every grade.
QString shortGradeLabel(int grade);
// The twelve grade filters in the order the drop-downs list them.
const QList<QString>& gradeFilters();
// Whether a student of the grade is shown under the filter text; unknown texts match nobody.
bool matchesFilter(QStringView filter, int grade);

} // namespace kz
