#pragma once

#include "core/installation.h"
#include "data/factsummary.h"
#include "drill/drilllevels.h"
#include "platform/outcome.h"
#include "reports/draw/factmap.h"

#include <QDateTime>
#include <QStringList>

#include <optional>
#include <vector>

class QTextStream;

// The facts command of kazurin2-admin (FactsCommand in commands.h), in parts.
namespace kz::admin {

struct FactsOptions {
    std::optional<int> student;
    QList<int> students; // several students by number (the report command); each gets a matrix
    QString gradeFilter; // one of the twelve filter texts, or empty
    std::optional<int> days;
    std::optional<int> level;
    std::optional<QDateTime> now;
    QString pdf;
};

// What the command shows: the products in question and one matrix per student.
struct FactsReport {
    struct Student {
        int bangou = 0;
        QString name;       // from the roster, empty when unknown
        QString gradeLabel; // "小３", empty when unknown
        FactMatrix matrix;
    };
    FactPeriod period;
    QList<QuestionItem> products; // in multiplicand, then multiplier order
    std::vector<Student> students;
    QStringList notes; // things to tell on standard error
};

Outcome<FactsReport> buildFactsReport(const Installation& installation, const FactsOptions& options);
void writeFactsCsv(const FactsReport& report, QTextStream& out);
// The heat map pages, one per student (factspdf.cpp).
Status writeFactsPdf(const FactsReport& report, const QString& file);
// The heat map page of one of the report's students.
draw::FactMapPage factMapPage(const FactsReport& report, const FactsReport::Student& student);

} // namespace kz::admin
