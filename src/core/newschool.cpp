#include "core/newschool.h"

#include "core/installation.h"
#include "data/answerlog.h"
#include "data/textio.h"
#include "platform/datafile.h"

#include <QDir>
#include <QFileInfo>

namespace kz {

namespace {

const QString kSoundFolder = QStringLiteral("音フォルダ");
const QString kCriteriaFile = QStringLiteral("タイム回数データ.txt");

// A value in double quotes, so that commas and spaces stay in it.
QString quoted(const QString& value) {
    return u'"' + value + u'"';
}

Status makeOne(const NewFile& f) {
    if (!QDir().mkpath(QFileInfo(f.path).absolutePath()))
        return makeError(ErrorKind::WriteFailed,
                         QStringLiteral("フォルダを作れません: %1").arg(QFileInfo(f.path).absolutePath()));
    if (!f.lines.isEmpty())
        return writeCp932Lines(f.path, f.lines);
    if (f.asBytes)
        return writeFileSafely(f.path, f.bytes);
    const Outcome<QByteArray> source = readDataFile(f.copyFrom);
    if (!source)
        return source.error();
    return writeFileSafely(f.path, *source);
}

} // namespace

Outcome<QString> siteCodeFrom(const QString& text) {
    const QString code = text.trimmed();
    bool digits = !code.isEmpty() && code.size() <= 5;
    for (QChar c : code)
        digits = digits && c >= u'0' && c <= u'9';
    if (!digits)
        return makeError(ErrorKind::Refused,
                         QStringLiteral("塾のコードは 1～5 けたの数字です（「%1」は使えません）").arg(text));
    const QString padded = code.rightJustified(5, u'0');
    if (padded == u"00000")
        return makeError(
            ErrorKind::Refused,
            QStringLiteral("塾のコード 0 は「コードなし」と読まれます。1 以上の数にしてください"));
    return padded;
}

Status checkTextValue(const QString& what, const QString& value, int maxChars) {
    if (value.trimmed().isEmpty())
        return makeError(ErrorKind::Refused, QStringLiteral("%1 が空です").arg(what));
    if (value.contains(u'"') || value.contains(u'\n') || value.contains(u'\r'))
        return makeError(ErrorKind::Refused,
                         QStringLiteral("%1 に「\"」や改行は使えません: %2").arg(what, value));
    if (value.size() > maxChars)
        return makeError(ErrorKind::Refused, QStringLiteral("%1 が長すぎます（%2 文字。%3 文字まで）")
                                                 .arg(what)
                                                 .arg(value.size())
                                                 .arg(maxChars));
    if (const Outcome<QByteArray> bytes = encodeCp932(value); !bytes)
        return makeError(ErrorKind::Refused, QStringLiteral("%1: %2").arg(what, bytes.error().message));
    return {};
}

QString dataFolderValue(const QString& given, const QString& workingFolder) {
    QString folder = QDir::fromNativeSeparators(given);
    if (QDir::isRelativePath(folder))
        folder = workingFolder + u'/' + folder;
    folder = QDir::cleanPath(folder);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

QStringList commonSettingsLines(const NewSchool& school) {
    // Month, site code and name, listing switch, two unused, password, four unused.
    return {QStringLiteral("%1,%2,0,,,%3,,,,")
                .arg(school.schoolYearStartMonth)
                .arg(quoted(school.siteCode + school.siteName), quoted(school.teacherPassword))};
}

QStringList rosterTemplateLines() {
    // Number, birth year, two unused, name (the star marks a teacher), listed, two unused.
    // Numbers above 1000 do not count for the school's best times.
    return {QStringLiteral("1001,1980,0,0,\"★先生\",0,,")};
}

QStringList pathFileLines(const QString& dataFolder) {
    QStringList lines{quoted(dataFolder)};
    for (int i = 2; i <= 10; ++i)
        lines << QStringLiteral("0");
    return lines;
}

Outcome<QList<NewFile>> dataFolderFiles(const NewSchool& school, const QString& bundledFolder) {
    const QString bundled = QDir(bundledFolder).absolutePath() + u'/';
    const QDir sounds(bundled + kSoundFolder);
    const QStringList soundFiles = sounds.entryList(QDir::Files, QDir::Name);
    if (!QFileInfo::exists(bundled + kCriteriaFile) ||
        !soundFiles.contains(QStringLiteral("新音ファイル.txt")))
        return makeError(
            ErrorKind::NotFound,
            QStringLiteral("パッケージの音と合格基準のフォルダ %1 がないか、足りません（%2 と %3 が"
                           "要ります）")
                .arg(QDir::toNativeSeparators(bundled), kSoundFolder + QStringLiteral("/新音ファイル.txt"),
                     kCriteriaFile));
    const QString data = school.dataFolder;
    const QString program = data + school.programFolderName + u'/';
    QList<NewFile> files;
    files.append({data + QStringLiteral("共通データ.txt"), commonSettingsLines(school), {}, false, {}});
    files.append({data + QStringLiteral("新名簿.txt"), rosterTemplateLines(), {}, false, {}});
    for (const QString& name : soundFiles)
        files.append({data + kSoundFolder + u'/' + name, {}, sounds.filePath(name), false, {}});
    files.append({program + kCriteriaFile, {}, bundled + kCriteriaFile, false, {}});
    files.append({program + QStringLiteral("成績累積データ.dat"), {}, {}, true, {}});
    // Made now, so that the rights the administrator gives the data folder cover it too;
    // else the first station to log answers makes it with its own user's group and mode.
    files.append({program + answerLogFileName(), {}, {}, true, answerLogHeader() + '\n'});
    return files;
}

QList<MadeFile> makeFiles(const QList<NewFile>& files) {
    QList<MadeFile> made;
    for (const NewFile& f : files) {
        if (QFileInfo::exists(f.path) || QFileInfo(f.path).isSymLink()) {
            made.append({f.path, MadeFile::Kept, {}});
            continue;
        }
        const Status written = makeOne(f);
        made.append({f.path, written ? MadeFile::Made : MadeFile::Failed,
                     written ? QString() : written.error().text()});
    }
    return made;
}

} // namespace kz
