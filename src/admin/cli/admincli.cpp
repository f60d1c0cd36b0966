#include "admin/cli/admincli.h"

#include <QDir>
#include <QTextStream>

#include "admin/cli/locktest.h"
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
    static const QStringList list{QStringLiteral("check"), QStringLiteral("export"), QStringLiteral("stats"),
                                  QStringLiteral("school-best"), QStringLiteral("lock-test")};
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
    if (out->now && out->command != u"stats" && out->command != u"school-best") {
        *error = QStringLiteral("--now belongs to stats and school-best");
        return false;
    }
    if (out->holdSeconds && out->command != u"lock-test") {
        *error = QStringLiteral("--hold belongs to lock-test");
        return false;
    }
    if (out->student && out->command != u"stats") {
        *error = QStringLiteral("--student belongs to stats");
        return false;
    }
    return true;
}

QString cliHelpText() {
    return QStringLiteral(
        "Usage: kazurin2-admin [--program-folder DIR] COMMAND [OPTIONS]\n"
        "\n"
        "Checks and exports the data of a カズリンその２ installation. Nothing is written\n"
        "(lock-test creates an empty results file when there is none).\n"
        "\n"
        "  --program-folder DIR  the program's own folder of the installation: the folder\n"
        "                        whose parent holds パスデータ.txt (default: the folder of\n"
        "                        kazurin2-admin itself)\n"
        "  -h, --help            this text\n"
        "\n"
        "Commands:\n"
        "  check        reads every data file of the installation (path file, common\n"
        "               settings, roster 新名簿.txt, pass criteria, sound list, results\n"
        "               file) and lists each problem as FILE:LINE: what is wrong (or\n"
        "               FILE:record N: ... for the results file). Exit status 1 when\n"
        "               anything is wrong, 0 otherwise.\n"
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
        "\n"
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
    const QString programFolder =
        QDir(options.programFolder.isEmpty() ? defaultProgramFolder : options.programFolder).absolutePath();
    const QString pathFile = QDir::cleanPath(programFolder + QStringLiteral("/../パスデータ.txt"));
    Installation installation;
    InstallationError resolveError;
    if (!resolveInstallationPaths(programFolder, &installation, &resolveError)) {
        if (options.command == u"check") {
            out << QDir::toNativeSeparators(resolveError.file) << ": " << resolveError.message << "\n";
            return ExitProblems;
        }
        err << "kazurin2-admin: " << resolveError.message << "\n";
        return ExitProblems;
    }
    if (options.command == u"check")
        return runCheck(installation, pathFile, out, err);
    if (options.command == u"export")
        return runExport(installation, out, err);
    if (options.command == u"lock-test")
        return runLockTest(installation, options.holdSeconds.value_or(60), out, err);
    if (options.command == u"stats")
        return runStats(installation, options.now.value_or(systemClock().now()), options.student, out, err);
    return runSchoolBest(installation, out, err);
}

QString csvField(const QString& text) {
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

} // namespace kz::admin
