#include "admin/cli/admincli.h"
#include "admin/cli/cliarguments.h"
#include "admin/cli/commands.h"
#include "admin/cli/datawait.h"

#include "core/catalogue.h"
#include "data/oledate.h"
#include "data/passcriteria.h"
#include "data/resultstore.h"
#include "data/roster.h"
#include "data/statistics.h"
#include "data/textio.h"
#include "platform/clock.h"

#include <QDir>
#include <QTextStream>

#include <memory>

namespace kz::admin {

namespace {

bool loadCriteria(const Installation& inst, PassCriteriaTable* table, QTextStream& err) {
    const Outcome<CriteriaLoadResult> r = loadPassCriteria(inst.criteriaPath(), table);
    if (!r) {
        err << "kazurin2-admin: 合格基準のファイルを読めません "
            << QDir::toNativeSeparators(inst.criteriaPath()) << ": " << r.error().text() << "\n";
        return false;
    }
    return true;
}

QString trimmedSiteCode(const ResultRecord& r) {
    QString code = r.siteCodeText();
    while (code.endsWith(u' '))
        code.chop(1);
    return code;
}

} // namespace

QString ExportCommand::summary() {
    return QStringLiteral("成績ファイルのすべての成績を CSV で書き出します");
}

QString ExportCommand::help() {
    return QStringLiteral(
        "  export       成績ファイルのすべての成績をファイルの順に CSV（UTF-8）で:\n"
        "               record,date,time,student,name,level,level_name,recorded_time,\n"
        "               points,site_code\n"
        "               record は記録番号、date は 2004-03-15、time は 14:30:00、points は\n"
        "               集計と同じ点（倍率をかけたもの）、name は名簿から（ないときは空）。\n");
}

Outcome<ExportCommand::Options> ExportCommand::parse(const QStringList& options) {
    if (!options.isEmpty())
        return refuseArgument(options.first());
    return Options{};
}

int ExportCommand::run(const Options&, const CommandRun& run) {
    const std::optional<Installation> installation = installationOrTell(run);
    if (!installation)
        return ExitProblems;
    const Installation& inst = *installation;
    QTextStream& out = run.out;
    QTextStream& err = run.err;
    const int waitSeconds = run.waitSeconds;
    PassCriteriaTable criteria;
    if (!loadCriteria(inst, &criteria, err))
        return ExitProblems;
    const Outcome<ResultsFileContents> read =
        readWaiting(waitSeconds, [&] { return readAllResults(inst.resultsPath()); });
    if (!read) {
        err << "kazurin2-admin: " << shortenForMessage(read.error().text(), 400) << "\n";
        return ExitProblems;
    }
    const ResultsFileContents& contents = *read;
    RosterTables roster;
    const Outcome<RosterLoadResult> rosterLoad = loadRoster(
        inst.rosterPath(), QDate::currentDate(), inst.schoolYearStartMonth, inst.flagTwoListed, &roster);
    if (!rosterLoad)
        err << "kazurin2-admin: 名前は空欄です: " << shortenForMessage(rosterLoad.error().text(), 400)
            << "\n";

    out << "record,date,time,student,name,level,level_name,recorded_time,points,site_code\n";
    for (size_t i = 0; i < contents.records.size(); ++i) {
        const ResultRecord& r = contents.records[i];
        if (!r.isAttempt())
            continue;
        const QDate date = dateFromOle(r.date);
        const QString name = trimHalfWidthSpaces(roster.nameOf(r.bangou));
        const qint32 points = r.isCountable() ? attemptPoints(r.recordedTime, r.level, criteria) : 0;
        out << (i + 1) << ',' << (date.isValid() ? date.toString(Qt::ISODate) : QString()) << ','
            << timeFromOle(r.time).toString(QStringLiteral("HH:mm:ss")) << ',' << r.bangou << ','
            << csvField(name) << ',' << r.level << ',' << csvField(catalogueLevelName(r.level)) << ','
            << r.recordedTime << ',' << points << ',' << csvField(trimmedSiteCode(r)) << '\n';
    }
    return ExitOk;
}

QString StatsCommand::summary() {
    return QStringLiteral("生徒とレベルごとの集計を CSV で示します");
}

QString StatsCommand::help() {
    return QStringLiteral("  stats [--now 2004-03-15T14:30:00] [--student N]\n"
                          "               --now の時点（省略時は今）の集計を CSV で:\n"
                          "               student,level,total_attempts,today_attempts,pass_period_attempts,\n"
                          "               overdo_period_attempts,total_points,today_points,\n"
                          "               pass_period_points,overdo_period_points,best_time\n"
                          "               0 でない数（best_time は 99999 でないもの）のある生徒（または生徒\n"
                          "               N だけ）とレベル 1～%1 ごとに一行、生徒、レベルの順。プログラムと\n"
                          "               同じく、新しい 20000 件の記録だけを数えます。\n")
        .arg(kLastSlotLevel);
}

Outcome<StatsCommand::Options> StatsCommand::parse(const QStringList& args) {
    Options options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (isOption(arg, QStringLiteral("--now"))) {
            const Outcome<QDateTime> now = dateTimeOption(args, &i, QStringLiteral("--now"));
            if (!now)
                return now.error();
            options.now = *now;
        } else if (isOption(arg, QStringLiteral("--student"))) {
            const Outcome<int> n =
                numberOption(args, &i, QStringLiteral("--student"), 1, 5000, QStringLiteral("番号"));
            if (!n)
                return n.error();
            options.student = *n;
        } else {
            return refuseArgument(arg);
        }
    }
    return options;
}

int StatsCommand::run(const Options& options, const CommandRun& run) {
    const std::optional<Installation> installation = installationOrTell(run);
    if (!installation)
        return ExitProblems;
    const Installation& inst = *installation;
    const QDateTime now = options.now.value_or(systemClock().now());
    const std::optional<int> student = options.student;
    const int waitSeconds = run.waitSeconds;
    QTextStream& out = run.out;
    QTextStream& err = run.err;
    PassCriteriaTable criteria;
    if (!loadCriteria(inst, &criteria, err))
        return ExitProblems;
    auto stats = std::make_unique<StatisticsTables>();
    if (const Status e = refreshStatistics(inst.resultsPath(), criteria, now, stats.get(), pauseMs,
                                           waitLimitMs(waitSeconds));
        !e) {
        err << "kazurin2-admin: " << shortenForMessage(e.error().text(), 400) << "\n";
        return ExitProblems;
    }
    using F = StatisticsTables::Figure;
    static constexpr F kOrder[] = {F::TotalAttempts,        F::TodayAttempts,     F::PassPeriodAttempts,
                                   F::OverdoPeriodAttempts, F::TotalPoints,       F::TodayPoints,
                                   F::PassPeriodPoints,     F::OverdoPeriodPoints};
    out << "student,level,total_attempts,today_attempts,pass_period_attempts,overdo_period_attempts,"
           "total_points,today_points,pass_period_points,overdo_period_points,best_time\n";
    const int first = student.value_or(1);
    const int last = student.value_or(StatisticsTables::kStudents - 1);
    for (int b = first; b <= last; ++b) {
        for (int level = 1; level < kLevelSlots; ++level) {
            bool any = stats->bestTime(level, b) != StatisticsTables::kNoTime;
            for (F f : kOrder)
                any = any || stats->figure(f, level, b) != 0;
            if (!any)
                continue;
            out << b << ',' << level;
            for (F f : kOrder)
                out << ',' << stats->figure(f, level, b);
            out << ',' << stats->bestTime(level, b) << '\n';
        }
    }
    return ExitOk;
}

QString SchoolBestCommand::summary() {
    return QStringLiteral("レベルごとの塾の最高タイムを示します");
}

QString SchoolBestCommand::help() {
    return QStringLiteral("  school-best [--now ...]\n"
                          "               塾の最高タイムのあるレベルごとに level,school_best_time\n"
                          "               （生徒 1～1000）。\n");
}

Outcome<SchoolBestCommand::Options> SchoolBestCommand::parse(const QStringList& args) {
    Options options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (!isOption(args[i], QStringLiteral("--now")))
            return refuseArgument(args[i]);
        const Outcome<QDateTime> now = dateTimeOption(args, &i, QStringLiteral("--now"));
        if (!now)
            return now.error();
        options.now = *now;
    }
    return options;
}

int SchoolBestCommand::run(const Options&, const CommandRun& run) {
    const std::optional<Installation> installation = installationOrTell(run);
    if (!installation)
        return ExitProblems;
    const Installation& inst = *installation;
    const int waitSeconds = run.waitSeconds;
    QTextStream& out = run.out;
    QTextStream& err = run.err;
    auto stats = std::make_unique<StatisticsTables>();
    if (const Status e = loadResults(inst.resultsPath(), stats.get(), pauseMs, waitLimitMs(waitSeconds));
        !e) {
        err << "kazurin2-admin: " << shortenForMessage(e.error().text(), 400) << "\n";
        return ExitProblems;
    }
    out << "level,school_best_time\n";
    for (int level = 1; level < kLevelSlots; ++level) {
        if (stats->schoolBestTime(level) < StatisticsTables::kNoTime)
            out << level << ',' << stats->schoolBestTime(level) << '\n';
    }
    return ExitOk;
}

} // namespace kz::admin
