#include "platform/processlauncher.h"

#include <QFileInfo>
#include <QProcess>

namespace kz {

Status SystemProcessLauncher::startDetached(const QString& program, const QStringList& arguments,
                                            const QString& workingFolder) {
    const QFileInfo info(program);
    if (!info.exists())
        return makeError(ErrorKind::NotFound, QStringLiteral("ファイルがありません"));
    if (!info.isFile())
        return makeError(ErrorKind::Refused, QStringLiteral("プログラムではありません"));
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    if (!process.startDetached())
        return makeError(ErrorKind::Internal, QStringLiteral("起動できませんでした"), process.errorString());
    return {};
}

} // namespace kz
