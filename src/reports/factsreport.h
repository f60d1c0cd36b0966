#pragma once

#include "core/installation.h"
#include "data/factsummary.h"
#include "drill/drilllevels.h"
#include "platform/outcome.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// Which products students miss or answer slowly, from the answer log: the figures of the
// companion's facts command and of the teachers' web pages, for one student or for the
// students of a grade filter.
namespace kz {

struct FactsSelection {
    std::optional<int> student; // one student (1..5000) ...
    QString gradeFilter;        // ... or the roster's students under one of the twelve filters
    FactPeriod period;          // which days and which level count
    // With a grade filter: one matrix for all its students together instead of one each.
    bool wholeGroup = false;
};

struct FactsReport {
    struct Student {
        int bangou = 0;     // 0 for the matrix of a whole group
        QString name;       // from the roster, empty when unknown (a group: empty)
        QString gradeLabel; // "小３", empty when unknown (a group: the filter's text)
        int members = 1;    // students whose answers the matrix holds (a group: any number)
        FactMatrix matrix;
    };
    FactPeriod period;
    QList<QuestionItem> products; // in multiplicand, then multiplier order
    std::vector<Student> students;
    QStringList notes; // things worth telling beside the figures
};

// The products a level asks, in multiplicand, then multiplier order; all sixty for level 0.
QList<QuestionItem> askedProducts(int level);

// Which days and levels the figures cover: "全期間・全レベル",
// "2004-03-01〜2004-03-15（15日間）・レベル3 １４(1-10R)".
QString factPeriodLine(const FactPeriod& period);

// Reads the roster and the answer log of the installation. One student is always listed;
// of a group, those who answered anything (a whole group: one matrix, also when empty).
// A roster that cannot be read is an error for a group and a note for one student.
Outcome<FactsReport> buildFactsReport(const Installation& installation, const FactsSelection& selection);

} // namespace kz
