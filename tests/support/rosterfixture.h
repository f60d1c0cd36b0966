#pragma once

// Roster tables filled in memory, as reading the roster file would leave them. Needs the
// data library (kzdata), which the tests including it link.

#include "data/roster.h"

#include <QString>

namespace kz::test {

// Lists the student with the grade (1 = 小１) of the roster's school year, and enters
// name and birth year in the lookup tables.
inline void listStudent(RosterTables& roster, int bangou, const QString& name, int grade) {
    RosterEntry e;
    e.bangou = static_cast<qint16>(bangou);
    e.name = name;
    e.gradeNumber = grade;
    e.birthYear = static_cast<qint16>(roster.schoolYear - grade - 6);
    roster.listed.append(e);
    roster.nameByBangou[static_cast<size_t>(bangou)] = e.name;
    roster.birthYearByBangou[static_cast<size_t>(bangou)] = e.birthYear;
}

} // namespace kz::test
