// kazurin2-admin remove: one record removed exactly as the record browser removes it,
// through the same code, so that a school can script clean-ups.
#include "admin/cli/cliarguments.h"
#include "admin/cli/commands.h"
#include "admin/cli/datawait.h"

#include "admin/recordbrowser.h"
#include "data/oledate.h"
#include "platform/clock.h"

#include <QFileInfo>
#include <QTextStream>

#include <limits>

namespace kz::admin {

QString RemoveCommand::summary() {
    return QStringLiteral("記録を一つ、記録の変更の画面の「消去」と同じように消去します");
}

QString RemoveCommand::help() {
    return QStringLiteral(
        "  remove --record N [--student S]\n"
        "               記録 N を、先生の記録の変更の画面の「消去」と同じように成績ファイル\n"
        "               から消去します（後ろの記録の番号は一つずつ下がります）。--student S\n"
        "               があれば、記録 N が番号 S の生徒の記録でないときは何もしません。\n"
        "               途中で止まった記録の消去が残っていれば、先にそれを終えます。\n"
        "               成績ファイルに書き込むコマンドです。\n");
}

Outcome<RemoveCommand::Options> RemoveCommand::parse(const QStringList& args) {
    std::optional<int> record;
    Options options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (isOption(args[i], QStringLiteral("--record"))) {
            const Outcome<int> n = numberOption(args, &i, QStringLiteral("--record"), 1,
                                                std::numeric_limits<int>::max(), QStringLiteral("記録番号"));
            if (!n)
                return n.error();
            record = *n;
        } else if (isOption(args[i], QStringLiteral("--student"))) {
            const Outcome<int> n = numberOption(args, &i, QStringLiteral("--student"), 1,
                                                ResultRecord::kMaxBangou, QStringLiteral("番号"));
            if (!n)
                return n.error();
            options.student = *n;
        } else {
            return refuseArgument(args[i]);
        }
    }
    if (!record)
        return usage(QStringLiteral("remove には --record が要ります"));
    options.record = *record;
    return options;
}

int RemoveCommand::run(const Options& options, const CommandRun& run) {
    const std::optional<Installation> installation = installationOrTell(run);
    if (!installation)
        return ExitProblems;
    const Installation& inst = *installation;
    QTextStream& out = run.out;
    QTextStream& err = run.err;
    MaintenanceOptions maintenance;
    maintenance.wait = pauseMs;
    maintenance.retryMs = kWaitStepMs;
    maintenance.lockTries = qMax(1, waitLimitMs(run.waitSeconds) / kWaitStepMs);
    RecordBrowser browser(
        recordBrowserSetup(inst), [] { return systemClock().today(); }, maintenance);
    const Status built = readWaiting(run.waitSeconds, [&] { return browser.build(); });
    if (const std::optional<QString> notice = browser.leftoverCopyNotice())
        out << *notice << "\n";
    if (!built) {
        err << "kazurin2-admin: " << built.error().text() << "\n";
        return ExitProblems;
    }
    const int row = browser.model().rowOfRecord(options.record);
    if (row < 0) {
        err << "kazurin2-admin: "
            << QStringLiteral("記録 %1 は成績ファイルにありません。何も消去していません").arg(options.record)
            << "\n";
        return ExitProblems;
    }
    const ResultRecord record = browser.model().line(row).record;
    if (options.student && record.bangou != *options.student) {
        err << "kazurin2-admin: "
            << QStringLiteral("記録 %1 は番号 %2 の生徒の記録ではありません（番号 %3 の記録です）。"
                              "何も消去していません")
                   .arg(options.record)
                   .arg(*options.student)
                   .arg(record.bangou)
            << "\n";
        return ExitProblems;
    }
    const Outcome<RecordBrowser::Removed> removed = browser.remove(row);
    if (!removed) {
        err << "kazurin2-admin: " << removed.error().text() << "\n";
        return ExitProblems;
    }
    out << QStringLiteral(
               "記録 %1（番号 %2、レベル %3、%4 %5、%6 秒）を消去しました。成績ファイルの記録は %7 件です。")
               .arg(options.record)
               .arg(record.bangou)
               .arg(record.level)
               .arg(dateFromOle(record.date).toString(Qt::ISODate),
                    timeFromOle(record.time).toString(QStringLiteral("HH:mm:ss")))
               .arg(record.recordedTime)
               .arg(QFileInfo(inst.resultsPath()).size() / ResultRecord::kSize)
        << "\n";
    if (!removed->notice.isEmpty())
        out << removed->notice << "\n";
    return ExitOk;
}

} // namespace kz::admin
