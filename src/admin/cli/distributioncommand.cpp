#include "admin/cli/admincli.h"
#include "admin/cli/datawait.h"

#include "admin/distribution.h"

#include <QTextStream>

namespace kz::admin {

int runDistribution(const Installation& installation, int level, QTextStream& out, QTextStream& err,
                    int waitSeconds) {
    const Outcome<ResultsDistribution> distribution =
        readWaiting(waitSeconds, [&] { return readResultsDistribution(installation.resultsPath()); });
    if (!distribution) {
        err << "kazurin2-admin: " << distribution.error().text() << "\n";
        return ExitProblems;
    }
    for (const QString& line : distribution->allResultsLines(level))
        out << line << "\n";
    out << "\n";
    for (const QString& line : distribution->bestTimeLines(level))
        out << line << "\n";
    return ExitOk;
}

} // namespace kz::admin
