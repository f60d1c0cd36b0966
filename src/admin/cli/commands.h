#pragma once

#include "admin/cli/command.h"
#include "admin/cli/factsoptions.h"
#include "reports/resultstables.h"
#include "web/server/webserver.h"

#include <QDateTime>

#include <optional>

// The commands of kazurin2-admin, each with its options (the shape is in command.h).
namespace kz::admin {

// Every data file of the installation, each problem with its line or record
// (checkcommand.cpp). With --repair, what an interrupted change or removal of records
// left is finished first and temporaries of killed saves are removed, each told.
struct CheckCommand {
    struct Options {
        bool repair = false; // --repair
    };
    static QString name() { return QStringLiteral("check"); }
    static QString summary();
    static QString help();
    static Outcome<Options> parse(const QStringList& options);
    static int run(const Options& options, const CommandRun& run);
};

// All attempts of the results file as CSV (exportcommands.cpp).
struct ExportCommand {
    struct Options {};
    static QString name() { return QStringLiteral("export"); }
    static QString summary();
    static QString help();
    static Outcome<Options> parse(const QStringList& options);
    static int run(const Options& options, const CommandRun& run);
};

// The statistics per student and level as CSV (exportcommands.cpp). Retries a results
// file that is in use or cannot be read for at most --wait seconds, then reports it on
// err and ends with ExitProblems.
struct StatsCommand {
    struct Options {
        std::optional<QDateTime> now; // --now: the moment of the figures, else now
        std::optional<int> student;   // --student: only this student
    };
    static QString name() { return QStringLiteral("stats"); }
    static QString summary();
    static QString help();
    static QStringList sharedOptions() { return {QStringLiteral("--now"), QStringLiteral("--student")}; }
    static Outcome<Options> parse(const QStringList& options);
    static int run(const Options& options, const CommandRun& run);
};

// The school's best time per level (exportcommands.cpp); retries as stats does.
struct SchoolBestCommand {
    struct Options {
        std::optional<QDateTime>
            now; // --now: taken for the other commands' sake; the best times have no date
    };
    static QString name() { return QStringLiteral("school-best"); }
    static QString summary();
    static QString help();
    static QStringList sharedOptions() { return {QStringLiteral("--now")}; }
    static Outcome<Options> parse(const QStringList& options);
    static int run(const Options& options, const CommandRun& run);
};

// Takes the results file's lock and holds it (locktestcommand.cpp, locktest.h).
struct LockTestCommand {
    struct Options {
        std::optional<int> holdSeconds; // --hold, else 60
    };
    static QString name() { return QStringLiteral("lock-test"); }
    static QString summary();
    static QString help();
    static QStringList sharedOptions() { return {QStringLiteral("--hold")}; }
    static Outcome<Options> parse(const QStringList& options);
    static int run(const Options& options, const CommandRun& run);
};

// Opens the sound device the program would play on (SDL_AUDIODRIVER counts) and plays
// nothing (soundcommand.cpp). Needs no installation.
struct SoundCommand {
    struct Options {};
    static QString name() { return QStringLiteral("sound"); }
    static QString summary();
    static QString help();
    static Outcome<Options> parse(const QStringList& options);
    static int run(const Options& options, const CommandRun& run);
};

// The criteria editor's spread of times for one level (distributioncommand.cpp).
struct DistributionCommand {
    struct Options {
        int level = 0; // --level, required
    };
    static QString name() { return QStringLiteral("distribution"); }
    static QString summary();
    static QString help();
    static QStringList sharedOptions() { return {QStringLiteral("--level")}; }
    static Outcome<Options> parse(const QStringList& options);
    static int run(const Options& options, const CommandRun& run);
};

// The results lists of the level menu as text (tablescommand.cpp): the lines of the
// chosen level's list, or of every level under "# level L", as the menu shows them.
struct TablesCommand {
    struct Options {
        int level = 0; // 0: every level
        TableChoice choice;
        std::optional<QDateTime> now;
    };
    static QString name() { return QStringLiteral("tables"); }
    static QString summary();
    static QString help();
    static QStringList sharedOptions() { return {QStringLiteral("--now")}; }
    static Outcome<Options> parse(const QStringList& options);
    static int run(const Options& options, const CommandRun& run);
};

// The personal reports of the graph panel (reportcommand.cpp): the summary block of one
// student at one level, or drawn into one PDF file for several students.
struct ReportCommand {
    struct Options {
        std::optional<QDateTime> now;
        std::optional<int> student; // --student (one student)
        std::optional<int> level;   // --level (the summary)
        QString pdf;
        QList<int> students;
        QString gradeFilter;
        QList<int> levels;
    };
    static QString name() { return QStringLiteral("report"); }
    static QString summary();
    static QString help();
    static QStringList sharedOptions() { return {QStringLiteral("--now"), QStringLiteral("--student")}; }
    static Outcome<Options> parse(const QStringList& options);
    static bool needsGui(const Options& options) { return !options.pdf.isEmpty(); }
    static int run(const Options& options, const CommandRun& run);
};

// Per product: answers, wrong answers and median response times, from the answer log
// (factscommand.cpp; the PDF heat map in factspdf.cpp).
struct FactsCommand {
    using Options = FactsOptions;
    static QString name() { return QStringLiteral("facts"); }
    static QString summary();
    static QString help();
    static Outcome<Options> parse(const QStringList& options);
    static bool needsGui(const Options& options) { return !options.pdf.isEmpty(); }
    static int run(const Options& options, const CommandRun& run);
};

// One record removed exactly as the record browser removes it, through its code
// (removecommand.cpp); refused when --student is given and the record is not that
// student's.
struct RemoveCommand {
    struct Options {
        int record = 0;             // --record, required
        std::optional<int> student; // --student
    };
    static QString name() { return QStringLiteral("remove"); }
    static QString summary();
    static QString help();
    static QStringList sharedOptions() { return {QStringLiteral("--student"), QStringLiteral("--record")}; }
    static Outcome<Options> parse(const QStringList& options);
    static int run(const Options& options, const CommandRun& run);
};

// The teachers' web pages of the installation until the process is ended
// (servecommand.cpp; the pages are in src/web). Draws charts and PDF documents.
struct ServeCommand {
    using Options = web::ServeOptions;
    static QString name() { return QStringLiteral("serve"); }
    static QString summary();
    static QString help();
    static Outcome<Options> parse(const QStringList& options);
    static bool needsGui(const Options&) { return true; }
    static int run(const Options& options, const CommandRun& run);
};

} // namespace kz::admin
