#include "admin/cli/commands.h"
#include "admin/cli/datawait.h"

#include "admin/cli/cliarguments.h"
#include "admin/distribution.h"
#include "data/levels.h"

#include <QTextStream>

namespace kz::admin {

QString DistributionCommand::summary() {
    return QStringLiteral("レベルの記録タイムの分かれ方を、基準変更の画面と同じように示します");
}

QString DistributionCommand::help() {
    return QStringLiteral("  distribution --level L\n"
                          "               レベル L の記録タイムが 10 秒ごとの幅にどう分かれるか、基準変更の\n"
                          "               画面と同じように: すべての成績（全成績、最後の幅は 1000 秒以上、\n"
                          "               時間切れを含む）、空行、各生徒の最高タイム（最高タイム、300 秒\n"
                          "               以上まで）。\n");
}

Outcome<DistributionCommand::Options> DistributionCommand::parse(const QStringList& args) {
    std::optional<int> level;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (!isOption(args[i], QStringLiteral("--level")))
            return refuseArgument(args[i]);
        const Outcome<int> n =
            numberOption(args, &i, QStringLiteral("--level"), 1, kLastSlotLevel, QStringLiteral("レベル"));
        if (!n)
            return n.error();
        level = *n;
    }
    if (!level)
        return usage(QStringLiteral("distribution には --level が要ります"));
    return Options{*level};
}

int DistributionCommand::run(const Options& options, const CommandRun& run) {
    const std::optional<Installation> installation = installationOrTell(run);
    if (!installation)
        return ExitProblems;
    const Outcome<ResultsDistribution> distribution =
        readWaiting(run.waitSeconds, [&] { return readResultsDistribution(installation->resultsPath()); });
    if (!distribution) {
        run.err << "kazurin2-admin: " << distribution.error().text() << "\n";
        return ExitProblems;
    }
    for (const QString& line : distribution->allResultsLines(options.level))
        run.out << line << "\n";
    run.out << "\n";
    for (const QString& line : distribution->bestTimeLines(options.level))
        run.out << line << "\n";
    return ExitOk;
}

} // namespace kz::admin
