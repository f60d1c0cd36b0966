#include "reports/graphrequest.h"

#include "reports/reportassembly.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace kz {

Outcome<GraphRequest> graphRequest(const QStringList& chosenStudentLines, int lastStudent,
                                   const QList<int>& levels, bool printing) {
    if (printing && levels.isEmpty())
        return makeError(ErrorKind::Refused, QStringLiteral("印刷するレベルを選んでください。"));
    GraphRequest request;
    for (const QString& line : chosenStudentLines) {
        if (const int bangou = studentOfListLine(line); bangou > 0)
            request.students << bangou;
    }
    if (request.students.isEmpty())
        request.students << lastStudent;
    request.levels = levels;
    return request;
}

QString reportStudentName(const RosterTables& roster, int bangou) {
    return trimHalfWidthSpaces(roster.nameOf(bangou));
}

QString numberedJobFile(const QString& chosen, int n) {
    const QFileInfo info(chosen);
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    return info.path() + u'/' + info.completeBaseName() + u'-' + QString::number(n) + suffix;
}

QString noPrinterQuestion() {
    return QStringLiteral("このコンピューターにはプリンターがありません。\n"
                          "成績表を PDF ファイルとして保存しますか？\n"
                          "（「はい」を押すと、保存するフォルダを選べます）");
}

QString pdfFolderTitle() {
    return QStringLiteral("成績表の PDF ファイルを保存するフォルダを選んでください");
}

QString defaultReportFolder() {
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty() && QFileInfo(desktop).isDir())
        return desktop;
    return QDir::homePath();
}

QString reportPdfFileName(int bangou, const QString& name, const QDate& date) {
    QString cleaned;
    for (const QChar c : name) {
        if (c.isSpace() || c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c))
            continue;
        cleaned += c;
    }
    QString file = QStringLiteral("成績表_") + QString::number(bangou);
    if (!cleaned.isEmpty())
        file += u'_' + cleaned.left(40);
    return file + u'_' + date.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".pdf");
}

QString unusedFilePath(const QString& folder, const QString& fileName) {
    const QString first = QDir(folder).filePath(fileName);
    QString path = first;
    for (int n = 2; QFileInfo::exists(path) || QFileInfo(path).isSymLink(); ++n)
        path = numberedJobFile(first, n);
    return path;
}

QString savedPdfReportsMessage(const SavedPdfReports& saved) {
    QStringList lines;
    const QString folder = QDir::toNativeSeparators(saved.folder);
    if (!saved.files.isEmpty()) {
        lines << QStringLiteral("成績表を PDF ファイルに保存しました（%1 個）。").arg(saved.files.size());
        lines << QStringLiteral("保存したフォルダ: %1").arg(folder);
        for (const QString& file : saved.files)
            lines << QStringLiteral("　") + file;
    }
    if (saved.failure) {
        if (!lines.isEmpty())
            lines << QString();
        lines << QStringLiteral("%1 さんの成績表を %2 に保存できませんでした。")
                     .arg(saved.failedStudent, folder);
        lines << saved.failure->text();
    }
    if (lines.isEmpty())
        lines << QStringLiteral("保存する成績表がありませんでした。");
    return lines.join(u'\n');
}

} // namespace kz
