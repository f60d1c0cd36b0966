#pragma once

#include "admin/cli/command.h"

#include <QString>
#include <QStringList>

#include <vector>

class QTextStream;

// kazurin2-admin: checks and exports of an installation's data from the command line,
// built on the program's own readers and rules. The commands are in commands.h.
namespace kz::admin {

// The commands, in the order --help lists them.
const std::vector<Command>& commandTable();

// A command line read: the general options and the command with its options.
struct CommandLine {
    QString programFolder;            // --program-folder; empty: the caller's default
    int waitSeconds = 10;             // --wait
    bool help = false;                // --help: the whole help, or the command's own
    bool version = false;             // --version: the version and nothing else
    const Command* command = nullptr; // none only with --help
    PreparedCommand prepared;         // the command with its options (not with --help)
};

// Reads the arguments after the program name; a usage error is Refused. The general
// options (--program-folder, --wait, --help) may stand anywhere; the command's options
// follow its name, or stand before it as "--name=value" or "--name value".
Outcome<CommandLine> parseCommandLine(const QStringList& arguments);

// kazurin2-admin --help: the general options and every command's help.
QString cliHelpText();
// kazurin2-admin COMMAND --help.
QString commandHelpText(const Command& command);

// The whole companion: read the command line, run the command for the program folder
// (default defaultProgramFolder). Returns the exit status.
int runCompanion(const QStringList& arguments, const QString& defaultProgramFolder, QTextStream& out,
                 QTextStream& err);

// Whether the arguments ask for drawing, so main() must start Qt Gui.
bool cliNeedsDrawing(const QStringList& arguments);

// A CSV field: quoted (with doubled quotes) when it holds a comma, a quote or a line break.
QString csvField(const QString& text);

} // namespace kz::admin
