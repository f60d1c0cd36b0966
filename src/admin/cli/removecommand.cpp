// kazurin2-admin remove: one record removed exactly as the record browser removes it,
// through the same code, so that a school can script clean-ups.
#include "admin/cli/admincli.h"
#include "admin/cli/datawait.h"

#include "admin/recordbrowser.h"
#include "data/oledate.h"
#include "platform/clock.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace kz::admin {

QString removeHelpText() {
    return QStringLiteral(
        "  remove --record N [--student S]\n"
        "               記録 N を、先生の記録の変更の画面の「消去」と同じように成績ファイル\n"
        "               から消去します（後ろの記録の番号は一つずつ下がります）。--student S\n"
        "               があれば、記録 N が番号 S の生徒の記録でないときは何もしません。\n"
        "               途中で止まった記録の消去が残っていれば、先にそれを終えます。\n"
        "               成績ファイルに書き込むコマンドです。\n");
}

int runRemove(const Installation& inst, int recordNumber, std::optional<int> student, QTextStream& out,
              QTextStream& err, int waitSeconds) {
    MaintenanceOptions options;
    options.wait = pauseMs;
    options.retryMs = kWaitStepMs;
    options.lockTries = qMax(1, waitLimitMs(waitSeconds) / kWaitStepMs);
    RecordBrowser browser(
        recordBrowserSetup(inst), [] { return systemClock().today(); }, options);
    const Status built = readWaiting(waitSeconds, [&] { return browser.build(); });
    if (const std::optional<QString> notice = browser.leftoverCopyNotice())
        out << *notice << "\n";
    if (!built) {
        err << "kazurin2-admin: " << built.error().text() << "\n";
        return ExitProblems;
    }
    const int row = browser.model().rowOfRecord(recordNumber);
    if (row < 0) {
        err << "kazurin2-admin: "
            << QStringLiteral("記録 %1 は成績ファイルにありません。何も消去していません").arg(recordNumber)
            << "\n";
        return ExitProblems;
    }
    const ResultRecord record = browser.model().line(row).record;
    if (student && record.bangou != *student) {
        err << "kazurin2-admin: "
            << QStringLiteral("記録 %1 は番号 %2 の生徒の記録ではありません（番号 %3 の記録です）。"
                              "何も消去していません")
                   .arg(recordNumber)
                   .arg(*student)
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
               .arg(recordNumber)
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
