#pragma once

#include "core/installation.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

class QTextStream;

// kazurin2-admin: checks and exports of an installation's data from the command line,
// built on the program's own readers and rules.
namespace kz::admin {

enum ExitCode { ExitOk = 0, ExitProblems = 1, ExitUsage = 2 };

struct CliOptions {
    QString command; // check, export, stats, school-best, lock-test, sound, distribution, tables, report,
                     // facts, remove
    QString programFolder;          // empty: the caller's default
    std::optional<QDateTime> now;   // --now
    std::optional<int> student;     // --student
    std::optional<int> holdSeconds; // --hold (lock-test)
    int waitSeconds = 10;           // --wait: how long a data file in use is waited for
    std::optional<int> level;       // --level (distribution)
    std::optional<int> record;      // --record (remove)
    bool repair = false;            // --repair (check)
    QStringList commandArguments;   // options of a command that reads its own (tables, report)
    bool help = false;
};

// Parses the arguments after the program name; a usage error is Refused.
Outcome<CliOptions> parseCliArguments(const QStringList& arguments);
QString cliHelpText();

// The whole companion: parse, resolve the installation of the program folder (default
// defaultProgramFolder), run the command. Returns the exit status.
int runCompanion(const QStringList& arguments, const QString& defaultProgramFolder, QTextStream& out,
                 QTextStream& err);

// The commands over an installation already resolved. Every command that reads the
// results file tries again while it is in use or may not be read, for at most
// waitSeconds (--wait), then reports it on err and returns ExitProblems.
//
// check: every data file, each problem one line on out. pathFile is the path file that
// was read. With repair, what an interrupted change or removal of records left is
// finished first and temporaries of killed saves are removed; each is told on out.
int runCheck(const Installation& installation, const QString& pathFile, QTextStream& out, QTextStream& err,
             bool repair = false, int waitSeconds = 10);
int runExport(const Installation& installation, QTextStream& out, QTextStream& err, int waitSeconds = 10);
int runStats(const Installation& installation, const QDateTime& now, std::optional<int> student,
             QTextStream& out, QTextStream& err, int waitSeconds = 10);
int runSchoolBest(const Installation& installation, QTextStream& out, QTextStream& err, int waitSeconds = 10);
// remove: record recordNumber goes exactly as the record browser removes it; refused
// when student is given and the record is not that student's (removecommand.cpp).
int runRemove(const Installation& installation, int recordNumber, std::optional<int> student,
              QTextStream& out, QTextStream& err, int waitSeconds = 10);
QString removeHelpText();
// Opens the sound device the program would play on (SDL_AUDIODRIVER counts), plays nothing.
int runSoundCheck(QTextStream& out, QTextStream& err);
int runDistribution(const Installation& installation, int level, QTextStream& out, QTextStream& err,
                    int waitSeconds = 10);
// facts: per-product answers, wrong answers and median response times (factscommand.cpp).
int runFacts(const Installation& installation, const QStringList& arguments, QTextStream& out,
             QTextStream& err, int waitSeconds = 10);
QString factsHelpText();
// report (reportcommand.cpp); drawing a PDF file needs a QGuiApplication.
int runReport(const Installation& installation, const CliOptions& options, const QDateTime& now,
              QTextStream& out, QTextStream& err);
QString reportHelpText();
// Whether the arguments ask for drawing (report --pdf), so main() must start Qt Gui.
bool cliNeedsDrawing(const QStringList& arguments);

// A CSV field: quoted (with doubled quotes) when it holds a comma, a quote or a line break.
QString csvField(const QString& text);

} // namespace kz::admin
