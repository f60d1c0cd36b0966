#include "platform/processlauncher.h"

#include <QFileInfo>
#include <QProcess>

namespace kz {

QString SystemProcessLauncher::startDetached(const QString& program, const QStringList& arguments,
                                             const QString& workingFolder) {
    const QFileInfo info(program);
    if (!info.exists())
        return QStringLiteral("ファイルがありません");
    if (!info.isFile())
        return QStringLiteral("プログラムではありません");
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    if (!process.startDetached()) {
        const QString reason = process.errorString();
        return reason.isEmpty() ? QStringLiteral("起動できませんでした") : reason;
    }
    return {};
}

} // namespace kz
