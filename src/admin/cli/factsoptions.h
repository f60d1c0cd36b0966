#pragma once

#include "core/installation.h"
#include "platform/outcome.h"
#include "reports/factsreport.h"

#include <QDateTime>
#include <QStringList>

#include <optional>

class QTextStream;

// The facts command of kazurin2-admin (FactsCommand in commands.h), in parts.
namespace kz::admin {

struct FactsOptions {
    std::optional<int> student;
    QString gradeFilter; // one of the twelve filter texts, or empty
    std::optional<int> days;
    std::optional<int> level;
    std::optional<QDateTime> now;
    QString pdf;
};

// The selection of the report the options ask for, as of today.
FactsSelection factsSelection(const FactsOptions& options, QDate today);
void writeFactsCsv(const FactsReport& report, QTextStream& out);
// The heat map pages, one per student (factspdf.cpp).
Status writeFactsPdf(const FactsReport& report, const QString& file);

} // namespace kz::admin
