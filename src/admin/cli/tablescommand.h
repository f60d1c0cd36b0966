#pragma once

#include "admin/cli/admincli.h"
#include "reports/resultstables.h"

#include <QStringList>

class QTextStream;

// kazurin2-admin tables: the results lists of the level menu as text.
namespace kz::admin {

struct TablesOptions {
    int level = 0; // 0: every level
    TableChoice choice;
};

// Reads the options of the tables command (what follows the command name, --now apart);
// a usage error is Refused.
Outcome<TablesOptions> parseTablesArguments(const QStringList& arguments);
QString tablesHelpText();

// Prints the lines of the chosen level's list (or of every level under "# level L")
// as the level menu shows them for the choice as of now, one a line.
int runTables(const Installation& installation, const QStringList& arguments, const QDateTime& now,
              QTextStream& out, QTextStream& err, int waitSeconds = 10);

} // namespace kz::admin
