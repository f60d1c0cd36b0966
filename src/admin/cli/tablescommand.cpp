// kazurin2-admin tables: the results lists of the level menu as text.
#include "admin/cli/cliarguments.h"
#include "admin/cli/commands.h"
#include "admin/cli/datawait.h"

#include "core/catalogue.h"
#include "data/grade.h"
#include "data/passcriteria.h"
#include "data/roster.h"
#include "data/statistics.h"
#include "platform/clock.h"

#include <QDir>
#include <QTextStream>

#include <memory>

namespace kz::admin {

namespace {} // namespace

QString TablesCommand::summary() {
    return QStringLiteral("レベルメニューの成績一覧を示します");
}

Outcome<TablesCommand::Options> TablesCommand::parse(const QStringList& args) {
    Options options;
    bool levelGiven = false;
    bool displayGiven = false;
    bool tableGiven = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (!args[i].startsWith(u'-'))
            return refuseArgument(args[i]);
        const Outcome<NamedValue> option = namedValue(args, &i);
        if (!option)
            return option.error();
        const QString& name = option->name;
        const QString& value = option->value;
        TableChoice& c = options.choice;
        Outcome<int> n = 0;
        if (name == u"--now") {
            const Outcome<QDateTime> now = dateTimeValue(name, value);
            if (!now)
                return now.error();
            options.now = *now;
        } else if (name == u"--level") {
            levelGiven = true;
            if (value != u"all" && !(n = numberValue(name, value, 1, kLevelCount)))
                return n.error();
            options.level = value == u"all" ? 0 : *n;
        } else if (name == u"--display") {
            displayGiven = true;
            if (value == u"time")
                c.display = DisplayKind::Times;
            else if (value == u"points")
                c.display = DisplayKind::Points;
            else
                return usage(
                    QStringLiteral("--display には time か points を指定してください（「%1」は使えません）")
                        .arg(value));
        } else if (name == u"--table") {
            tableGiven = true;
            if (value == u"best")
                c.table = TableKind::Ranking;
            else if (value == u"today")
                c.table = TableKind::Today;
            else if (value == u"period")
                c.table = TableKind::Period;
            else
                return usage(QStringLiteral("--table には best、today、period のどれかを指定してください"
                                            "（「%1」は使えません）")
                                 .arg(value));
        } else if (name == u"--points-kind") {
            if (!(n = numberValue(name, value, 1, 2)))
                return n.error();
            c.pointsKind = static_cast<PointsKind>(*n);
        } else if (name == u"--period") {
            if (!(n = numberValue(name, value, 1, kPeriodCount)))
                return n.error();
            c.period = *n;
        } else if (name == u"--current") {
            if (!(n = numberValue(name, value, 0, RosterTables::kStudents - 1)))
                return n.error();
            c.currentBangou = *n;
        } else if (name == u"--grade-filter") {
            if (!(n = numberValue(name, value, 0, static_cast<int>(gradeFilters().size()) - 1)))
                return n.error();
            c.gradeFilter = gradeFilters().at(*n);
        } else {
            return refuseArgument(name,
                                  QStringLiteral("tables に %1 というオプションはありません").arg(name));
        }
    }
    if (!levelGiven || !displayGiven || !tableGiven)
        return usage(QStringLiteral("tables には --level、--display、--table が要ります"));
    if (options.choice.table == TableKind::Today && options.choice.display == DisplayKind::Points)
        return usage(QStringLiteral("--table today は --display time とだけ使えます"));
    return options;
}

QString TablesCommand::help() {
    QString filters;
    for (qsizetype k = 0; k < gradeFilters().size(); ++k) {
        if (k > 0)
            filters += k % 6 == 0 ? QStringLiteral(",\n               ") : QStringLiteral(", ");
        filters += QStringLiteral("%1 %2").arg(k).arg(gradeFilters()[k]);
    }
    return QStringLiteral("  tables --level L|all --display time|points --table best|today|period\n"
                          "         [--points-kind 1|2] [--period 1..5] [--current N] [--grade-filter K]\n"
                          "         [--now 2004-03-15T14:30:00]\n"
                          "               レベルメニューのレベル L の下の成績一覧を一行ずつ（UTF-8）、その\n"
                          "               選び方でメニューが示すとおりに。--level all ではレベル 1～%1 の\n"
                          "               すべてを「# level L」の行の下に。\n"
                          "               --table best: 最高タイムの順位（time の表示）か点の順位\n"
                          "               （points の表示。--points-kind 1 はこれまでの点で省略時の値、\n"
                          "               2 は今日の点で、今日点のある生徒だけ）。\n"
                          "               --table today: 今日の成績（time の表示だけ。新しい 1000 件の\n"
                          "               記録）。--table period: 期間のすべての成績（新しい 20000 件の\n"
                          "               記録）。--period 1 今週の月曜から、2 先週の月曜から、3 三十日\n"
                          "               （省略時の値）、4 一年、5 十年。--current N は生徒 N に ● を\n"
                          "               付けます（省略時はだれにも）。--grade-filter K: レベルメニューの\n"
                          "               K 番目の学年の選び方、0 から数えて（省略時 0）:\n"
                          "               ")
               .arg(kLevelCount) +
           filters + QStringLiteral("。\n");
}

int TablesCommand::run(const Options& given, const CommandRun& run) {
    const std::optional<Installation> installation = installationOrTell(run);
    if (!installation)
        return ExitProblems;
    const Installation& inst = *installation;
    QTextStream& out = run.out;
    QTextStream& err = run.err;
    Options options = given;
    const QDateTime now = options.now.value_or(systemClock().now());
    const int waitSeconds = run.waitSeconds;
    options.choice.now = now;

    PassCriteriaTable criteria;
    if (const Outcome<CriteriaLoadResult> r = loadPassCriteria(inst.criteriaPath(), &criteria); !r) {
        err << "kazurin2-admin: 合格基準のファイルを読めません "
            << QDir::toNativeSeparators(inst.criteriaPath()) << ": " << r.error().text() << "\n";
        return ExitProblems;
    }
    RosterTables roster;
    const Outcome<RosterLoadResult> rosterLoad =
        loadRoster(inst.rosterPath(), now.date(), inst.schoolYearStartMonth, inst.flagTwoListed, &roster);
    if (!rosterLoad) {
        err << "kazurin2-admin: " << rosterLoad.error().text() << "\n";
        return ExitProblems;
    }
    auto stats = std::make_unique<StatisticsTables>();
    if (options.choice.table == TableKind::Ranking) {
        if (const Status e = refreshStatistics(inst.resultsPath(), criteria, now, stats.get(), pauseMs,
                                               waitLimitMs(waitSeconds));
            !e) {
            err << "kazurin2-admin: " << e.error().text() << "\n";
            return ExitProblems;
        }
    }

    ResultsTableBuilder builder({roster, *stats, criteria, kLevelCount});
    const Outcome<ResultsTables> tables =
        readWaiting(waitSeconds, [&] { return builder.buildFromFile(options.choice, inst.resultsPath()); });
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
