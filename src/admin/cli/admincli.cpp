#include "admin/cli/admincli.h"

#include <QDir>
#include <QTextStream>

#include <algorithm>

#include "admin/cli/locktest.h"
#include "admin/cli/tablescommand.h"
#include "data/textio.h"
#include "platform/clock.h"

namespace kz::admin {

namespace {

bool takeValue(const QStringList& args, qsizetype* i, const QString& name, QString* value, QString* error) {
    const QString& arg = args[*i];
    const QString prefix = name + u'=';
    if (arg.startsWith(prefix)) {
        *value = arg.mid(prefix.size());
        return true;
    }
    if (*i + 1 >= args.size()) {
        *error = QStringLiteral("%1 needs a value").arg(name);
        return false;
    }
    ++*i;
    *value = args[*i];
    return true;
}

bool isOption(const QString& arg, const QString& name) {
    return arg == name || arg.startsWith(name + u'=');
}

const QStringList& commands() {
    static const QStringList list{QStringLiteral("check"),        QStringLiteral("export"),
                                  QStringLiteral("stats"),        QStringLiteral("school-best"),
                                  QStringLiteral("lock-test"),    QStringLiteral("sound"),
                                  QStringLiteral("distribution"), QStringLiteral("tables"),
                                  QStringLiteral("report"),       QStringLiteral("facts")};
    return list;
}

} // namespace

bool parseCliArguments(const QStringList& args, CliOptions* out, QString* error) {
    *out = CliOptions{};
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        QString value;
        if (arg == u"--help" || arg == u"-h") {
            out->help = true;
        } else if (isOption(arg, QStringLiteral("--program-folder"))) {
            if (!takeValue(args, &i, QStringLiteral("--program-folder"), &value, error))
                return false;
            if (value.isEmpty()) {
                *error = QStringLiteral("--program-folder needs a folder");
                return false;
            }
            out->programFolder = value;
        } else if (out->command == u"facts") {
            out->commandArguments << arg; // facts reads its own options
        } else if (out->command == u"facts") {
            out->commandArguments << arg; // facts reads its own options
        } else if (isOption(arg, QStringLiteral("--now"))) {
            if (!takeValue(args, &i, QStringLiteral("--now"), &value, error))
                return false;
            const QDateTime now = QDateTime::fromString(value, Qt::ISODate);
            if (!now.isValid()) {
                *error = QStringLiteral("--now takes a date and time such as 2004-03-15T14:30:00, not \"%1\"")
                             .arg(value);
                return false;
            }
            out->now = now;
        } else if (isOption(arg, QStringLiteral("--student"))) {
            if (!takeValue(args, &i, QStringLiteral("--student"), &value, error))
                return false;
            bool ok = false;
            const int n = value.toInt(&ok);
            if (!ok || n < 1 || n > 5000) {
                *error = QStringLiteral("--student takes a Bangou 1..5000, not \"%1\"").arg(value);
                return false;
            }
            out->student = n;
        } else if (isOption(arg, QStringLiteral("--wait"))) {
            if (!takeValue(args, &i, QStringLiteral("--wait"), &value, error))
                return false;
            bool ok = false;
            const int seconds = value.toInt(&ok);
            if (!ok || seconds < 0 || seconds > 86400) {
                *error = QStringLiteral("--wait takes seconds 0..86400, not \"%1\"").arg(value);
                return false;
            }
            out->waitSeconds = seconds;
        } else if (isOption(arg, QStringLiteral("--hold"))) {
            if (!takeValue(args, &i, QStringLiteral("--hold"), &value, error))
                return false;
            bool ok = false;
            const int n = value.toInt(&ok);
            if (!ok || n < 0 || n > 86400) {
                *error = QStringLiteral("--hold takes seconds 0..86400, not \"%1\"").arg(value);
                return false;
            }
            out->holdSeconds = n;
        } else if (arg.startsWith(u'-') && (out->command == u"tables" || out->command == u"report")) {
            out->commandArguments << arg;
            if (!arg.contains(u'=') && i + 1 < args.size())
                out->commandArguments << args[++i];
        } else if (isOption(arg, QStringLiteral("--level"))) {
            if (!takeValue(args, &i, QStringLiteral("--level"), &value, error))
                return false;
            bool ok = false;
            const int n = value.toInt(&ok);
            if (!ok || n < 1 || n > 35) {
                *error = QStringLiteral("--level takes a level 1..35, not \"%1\"").arg(value);
                return false;
            }
            out->level = n;
        } else if (arg.startsWith(u'-')) {
            *error = QStringLiteral("unknown option %1").arg(arg);
            return false;
        } else if (out->command.isEmpty()) {
            if (!commands().contains(arg)) {
                *error = QStringLiteral("unknown command %1").arg(arg);
                return false;
            }
            out->command = arg;
        } else {
            *error = QStringLiteral("unexpected argument %1").arg(arg);
            return false;
        }
    }
    if (out->help)
        return true;
    if (out->command.isEmpty()) {
        *error = QStringLiteral("no command given");
        return false;
    }
    if (out->now && out->command != u"stats" && out->command != u"school-best" && out->command != u"tables" &&
        out->command != u"report") {
        *error = QStringLiteral("--now belongs to stats, school-best, tables and report");
        return false;
    }
    if (out->command == u"tables") {
        TablesOptions tables;
        if (!parseTablesArguments(out->commandArguments, &tables, error))
            return false;
    }
    if (out->holdSeconds && out->command != u"lock-test") {
        *error = QStringLiteral("--hold belongs to lock-test");
        return false;
    }
    if (out->student && out->command != u"stats" && out->command != u"report") {
        *error = QStringLiteral("--student belongs to stats and report");
        return false;
    }
    if (out->level.has_value() != (out->command == u"distribution")) {
        *error = out->level ? QStringLiteral("--level belongs to distribution")
                            : QStringLiteral("distribution needs --level");
        return false;
    }
    return true;
}

QString cliHelpText() {
    return QStringLiteral(
               "Usage: kazurin2-admin [--program-folder DIR] COMMAND [OPTIONS]\n"
               "\n"
               "Checks and exports the data of a カズリンその２ installation. Nothing is written\n"
               "(lock-test creates an empty results file when there is none; report --pdf\n"
               "writes the PDF file it is given).\n"
               "\n"
               "  --program-folder DIR  the program's own folder of the installation: the folder\n"
               "                        whose parent holds パスデータ.txt (default: the folder of\n"
               "                        kazurin2-admin itself)\n"
               "  --wait SECONDS        how long stats and school-best retry a results file\n"
               "                        that is in use or may not be read (default 10);\n"
               "                        then they report it and end with status 1\n"
               "  -h, --help            this text\n"
               "\n"
               "Commands:\n"
               "  check        reads every data file of the installation (path file, common\n"
               "               settings, roster 新名簿.txt, pass criteria, sound list, results\n"
               "               file, answer log 問題別記録.csv) and lists each problem as FILE:LINE:\n"
               "               what is wrong (or FILE:record N: ... for the results file).\n"
               "               Finished attempts recorded without their answers and answers\n"
               "               without their attempt are listed too. A copy\n"
               "               成績累積データtemp.dat left by an interrupted removal of a\n"
               "               record is reported with the records of the copy and of the\n"
               "               results file. Exit status 1 when anything is wrong, 0 otherwise.\n"
               "  export       every attempt of the results file as CSV (UTF-8), in file order:\n"
               "               record,date,time,student,name,level,level_name,recorded_time,\n"
               "               points,site_code\n"
               "               record is the record number, date 2004-03-15, time 14:30:00,\n"
               "               points as the statistics count them (multiplier applied), name\n"
               "               from the roster (empty when unknown).\n"
               "  stats [--now 2004-03-15T14:30:00] [--student N]\n"
               "               the statistics as of --now (default: now) as CSV:\n"
               "               student,level,total_attempts,today_attempts,pass_period_attempts,\n"
               "               overdo_period_attempts,total_points,today_points,\n"
               "               pass_period_points,overdo_period_points,best_time\n"
               "               one row for each student (or only student N) and level 1..35\n"
               "               with any figure other than 0 (best_time: other than 99999),\n"
               "               ordered by student, then level. Like the program, only the\n"
               "               newest 20000 records count.\n"
               "  school-best [--now ...]\n"
               "               level,school_best_time for every level with a school best time\n"
               "               (students 1..1000).\n"
               "  lock-test [--hold SECONDS]\n"
               "               takes the lock of the results file, the one every recorded\n"
               "               attempt takes, and holds it SECONDS (default 60) seconds. Run\n"
               "               it on one computer, then on a second computer that shares the\n"
               "               data folder: the second must report LOCK HELD BY ANOTHER\n"
               "               STATION (exit status 3). It says plainly when locking does not\n"
               "               work on the folder (exit status 1). Never writes a record; a\n"
               "               missing results file is created empty.\n"
               "  sound        opens the sound device the program would play on and plays\n"
               "               nothing; status 1 with the reason when it cannot be opened\n"
               "               (SDL_AUDIODRIVER chooses the driver, as for the program).\n"
               "  distribution --level L\n"
               "               how the recorded times of level L spread over ten-second bands,\n"
               "               as the criteria editor shows them: every attempt (全成績, the\n"
               "               last band 1000 s and over, time-outs included), a blank line,\n"
               "               then every student's best time (最高タイム, up to 300 s and over).\n") +
           tablesHelpText() + reportHelpText() + factsHelpText() +
           QStringLiteral("\n"
                          "Errors go to standard error; the exit status is then 1 (2 for wrong usage).\n");
}

int runCompanion(const QStringList& arguments, const QString& defaultProgramFolder, QTextStream& out,
                 QTextStream& err) {
    CliOptions options;
    QString error;
    if (!parseCliArguments(arguments, &options, &error)) {
        err << "kazurin2-admin: " << error << "\n"
            << "Try kazurin2-admin --help\n";
        return ExitUsage;
    }
    if (options.help) {
        out << cliHelpText();
        return ExitOk;
    }
    if (options.command == u"sound")
        return runSoundCheck(out, err);
    const QString programFolder =
        QDir(options.programFolder.isEmpty() ? defaultProgramFolder : options.programFolder).absolutePath();
    const QString pathFile = QDir::cleanPath(programFolder + QStringLiteral("/../パスデータ.txt"));
    Installation installation;
    InstallationError resolveError;
    if (!resolveInstallationPaths(programFolder, &installation, &resolveError)) {
        if (options.command == u"check") {
            out << shortenForMessage(QDir::toNativeSeparators(resolveError.file), 200) << ": "
                << shortenForMessage(resolveError.message, 300) << "\n";
            return ExitProblems;
        }
        err << "kazurin2-admin: " << shortenForMessage(QDir::toNativeSeparators(resolveError.file), 200)
            << ": " << shortenForMessage(resolveError.message, 300) << "\n";
        return ExitProblems;
    }
    if (options.command == u"check")
        return runCheck(installation, pathFile, out, err);
    if (options.command == u"export")
        return runExport(installation, out, err);
    if (options.command == u"tables")
        return runTables(installation, options.commandArguments, options.now.value_or(systemClock().now()),
                         out, err);
    if (options.command == u"lock-test")
        return runLockTest(installation, options.holdSeconds.value_or(60), out, err);
    if (options.command == u"stats")
        return runStats(installation, options.now.value_or(systemClock().now()), options.student, out, err,
                        options.waitSeconds);
    if (options.command == u"facts")
        return runFacts(installation, options.commandArguments, out, err);
    if (options.command == u"distribution")
        return runDistribution(installation, *options.level, out, err);
    if (options.command == u"report")
        return runReport(installation, options, options.now.value_or(systemClock().now()), out, err);
    return runSchoolBest(installation, out, err, options.waitSeconds);
}

bool cliNeedsDrawing(const QStringList& arguments) {
    return std::any_of(arguments.begin(), arguments.end(),
                       [](const QString& a) { return a == u"--pdf" || a.startsWith(u"--pdf="); });
}

QString csvField(const QString& text) {
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

} // namespace kz::admin
