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
                     // facts, serve
    QString programFolder;          // empty: the caller's default
    std::optional<QDateTime> now;   // --now
    std::optional<int> student;     // --student
    std::optional<int> holdSeconds; // --hold (lock-test)
    int waitSeconds = 10;           // --wait: how long a refused read of the results file is retried
    std::optional<int> level;       // --level (distribution)
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

// The commands over an installation already resolved. pathFile is the path file that
// was read (for check).
int runCheck(const Installation& installation, const QString& pathFile, QTextStream& out, QTextStream& err);
int runExport(const Installation& installation, QTextStream& out, QTextStream& err);
// stats and school-best retry a results file that is in use or cannot be read for at
// most waitSeconds, then report it on err and return ExitProblems.
int runStats(const Installation& installation, const QDateTime& now, std::optional<int> student,
             QTextStream& out, QTextStream& err, int waitSeconds = 10);
int runSchoolBest(const Installation& installation, QTextStream& out, QTextStream& err, int waitSeconds = 10);
// Opens the sound device the program would play on (SDL_AUDIODRIVER counts), plays nothing.
int runSoundCheck(QTextStream& out, QTextStream& err);
int runDistribution(const Installation& installation, int level, QTextStream& out, QTextStream& err);
// facts: per-product answers, wrong answers and median response times (factscommand.cpp).
int runFacts(const Installation& installation, const QStringList& arguments, QTextStream& out,
             QTextStream& err);
QString factsHelpText();
// report (reportcommand.cpp); drawing a PDF file needs a QGuiApplication.
int runReport(const Installation& installation, const CliOptions& options, const QDateTime& now,
              QTextStream& out, QTextStream& err);
QString reportHelpText();
// serve (servecommand.cpp): the teachers' web pages until the process is ended; needs a
// QGuiApplication.
int runServe(const Installation& installation, const QStringList& arguments, QTextStream& out,
             QTextStream& err);
QString serveHelpText();
// Whether the arguments ask for drawing (report --pdf, serve), so main() must start Qt Gui.
bool cliNeedsDrawing(const QStringList& arguments);

// A CSV field: quoted (with doubled quotes) when it holds a comma, a quote or a line break.
QString csvField(const QString& text);

} // namespace kz::admin
