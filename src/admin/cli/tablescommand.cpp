#include "admin/cli/tablescommand.h"

#include "core/catalogue.h"
#include "data/grade.h"
#include "data/passcriteria.h"
#include "data/roster.h"
#include "data/statistics.h"

#include <QDir>
#include <QTextStream>
#include <QThread>

#include <memory>

namespace kz::admin {

namespace {

bool readNumber(const QString& name, const QString& value, int low, int high, int* out, QString* error) {
    bool ok = false;
    const int n = value.toInt(&ok);
    if (!ok || n < low || n > high) {
        *error = QStringLiteral("%1 takes %2..%3, not \"%4\"").arg(name).arg(low).arg(high).arg(value);
        return false;
    }
    *out = n;
    return true;
}

// The loader waits while the results file is in use; on the command line short waits do.
void shortWait(int ms) {
    QThread::msleep(static_cast<unsigned long>(qMin(ms, 250)));
}

} // namespace

bool parseTablesArguments(const QStringList& args, TablesOptions* out, QString* error) {
    *out = TablesOptions{};
    bool levelGiven = false;
    bool displayGiven = false;
    bool tableGiven = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString name = args[i];
        QString value;
        if (const qsizetype eq = name.indexOf(u'='); eq > 0) {
            value = name.mid(eq + 1);
            name = name.left(eq);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            *error = QStringLiteral("%1 needs a value").arg(name);
            return false;
        }
        TableChoice& c = out->choice;
        int n = 0;
        if (name == u"--level") {
            levelGiven = true;
            if (value == u"all")
                out->level = 0;
            else if (!readNumber(name, value, 1, kLevelCount, &out->level, error))
                return false;
        } else if (name == u"--display") {
            displayGiven = true;
            if (value == u"time")
                c.display = DisplayKind::Times;
            else if (value == u"points")
                c.display = DisplayKind::Points;
            else {
                *error = QStringLiteral("--display takes time or points, not \"%1\"").arg(value);
                return false;
            }
        } else if (name == u"--table") {
            tableGiven = true;
            if (value == u"best")
                c.table = TableKind::Ranking;
            else if (value == u"today")
                c.table = TableKind::Today;
            else if (value == u"period")
                c.table = TableKind::Period;
            else {
                *error = QStringLiteral("--table takes best, today or period, not \"%1\"").arg(value);
                return false;
            }
        } else if (name == u"--points-kind") {
            if (!readNumber(name, value, 1, 2, &n, error))
                return false;
            c.pointsKind = static_cast<PointsKind>(n);
        } else if (name == u"--period") {
            if (!readNumber(name, value, 1, kPeriodCount, &c.period, error))
                return false;
        } else if (name == u"--current") {
            if (!readNumber(name, value, 0, RosterTables::kStudents - 1, &c.currentBangou, error))
                return false;
        } else if (name == u"--grade-filter") {
            if (!readNumber(name, value, 0, static_cast<int>(gradeFilters().size()) - 1, &n, error))
                return false;
            c.gradeFilter = gradeFilters().at(n);
        } else {
            *error = QStringLiteral("unknown option %1 for tables").arg(name);
            return false;
        }
    }
    if (!levelGiven || !displayGiven || !tableGiven) {
        *error = QStringLiteral("tables needs --level, --display and --table");
        return false;
    }
    if (out->choice.table == TableKind::Today && out->choice.display == DisplayKind::Points) {
        *error = QStringLiteral("--table today belongs to --display time");
        return false;
    }
    return true;
}

QString tablesHelpText() {
    QString filters;
    for (qsizetype k = 0; k < gradeFilters().size(); ++k) {
        if (k > 0)
            filters += k % 6 == 0 ? QStringLiteral(",\n               ") : QStringLiteral(", ");
        filters += QStringLiteral("%1 %2").arg(k).arg(gradeFilters()[k]);
    }
    return QStringLiteral("  tables --level L|all --display time|points --table best|today|period\n"
                          "         [--points-kind 1|2] [--period 1..5] [--current N] [--grade-filter K]\n"
                          "         [--now 2004-03-15T14:30:00]\n"
                          "               the results list under level L of the level menu, one line a\n"
                          "               line (UTF-8), exactly as the menu shows it for that choice; with\n"
                          "               --level all every level 1..25 under a line \"# level L\".\n"
                          "               --table best: ranking by best time (time display) or by points\n"
                          "               (points display; --points-kind 1 points so far, the default,\n"
                          "               2 points today, listing only students with points today).\n"
                          "               --table today: today's attempts (time display only; the newest\n"
                          "               1000 records). --table period: every attempt of the period\n"
                          "               (the newest 20000 records); --period 1 this week from Monday,\n"
                          "               2 since last week's Monday, 3 thirty days (the default), 4 a\n"
                          "               year, 5 ten years. --current N marks student N with ● (default:\n"
                          "               nobody). --grade-filter K: the K-th grade filter of the level\n"
                          "               menu, counted from 0 (default 0):\n"
                          "               ") +
           filters + QStringLiteral(".\n");
}

int runTables(const Installation& inst, const QStringList& arguments, const QDateTime& now, QTextStream& out,
              QTextStream& err) {
    TablesOptions options;
    QString error;
    if (!parseTablesArguments(arguments, &options, &error)) {
        err << "kazurin2-admin: " << error << "\n";
        return ExitUsage;
    }
    options.choice.now = now;

    PassCriteriaTable criteria;
    if (const CriteriaLoadResult r = loadPassCriteria(inst.criteriaPath(), &criteria); !r.ok) {
        err << "kazurin2-admin: cannot read the pass criteria "
            << QDir::toNativeSeparators(inst.criteriaPath()) << ": " << r.message << "\n";
        return ExitProblems;
    }
    RosterTables roster;
    const RosterLoadResult rosterLoad =
        loadRoster(inst.rosterPath(), now.date(), inst.schoolYearStartMonth, inst.flagTwoListed, &roster);
    if (!rosterLoad.found) {
        err << "kazurin2-admin: " << rosterLoad.message << "\n";
        return ExitProblems;
    }
    auto stats = std::make_unique<StatisticsTables>();
    if (options.choice.table == TableKind::Ranking) {
        if (const ResultsLoadError e =
                refreshStatistics(inst.resultsPath(), criteria, now, stats.get(), shortWait);
            !e.ok()) {
            err << "kazurin2-admin: " << e.message() << "\n";
            return ExitProblems;
        }
    }

    ResultsTableBuilder builder({roster, *stats, criteria, kLevelCount});
    const Outcome<ResultsTables> tables = builder.buildFromFile(options.choice, inst.resultsPath());
    if (!tables) {
        err << "kazurin2-admin: " << tables.error().text() << "\n";
        return ExitProblems;
    }
    const int first = options.level == 0 ? 1 : options.level;
    const int last = options.level == 0 ? kLevelCount : options.level;
    for (int level = first; level <= last; ++level) {
        if (options.level == 0)
            out << "# level " << level << "\n";
        for (const TableLine& line : tables->levels[static_cast<size_t>(level)].lines)
            out << line.text << "\n";
    }
    return ExitOk;
}

} // namespace kz::admin
