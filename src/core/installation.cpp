#include "core/installation.h"

#include "core/catalogue.h"
#include "core/runstate.h"
#include "core/soundtable.h"
#include "data/resultmaintenance.h"
#include "data/textio.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <limits>

namespace kz {

namespace {

constexpr int kPathValuesUsed = 1;     // value 1: the data root
constexpr int kSettingsValuesUsed = 6; // values 1, 2, 3 and 6

// Folder text with "/" as its separator and exactly one trailing "/".
QString folderWithSeparator(QString folder) {
    folder.replace(u'\\', u'/');
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

// The folder above a folder text ending in "/": "/a/b/c/" gives "/a/b/".
QString parentFolder(const QString& folder) {
    const qsizetype last = folder.lastIndexOf(u'/', folder.size() - 2);
    if (last < 0)
        return folder;
    return folder.left(last + 1);
}

int wholeNumber(const QString& text) {
    const double v = std::nearbyint(leadingNumber(text));
    if (v <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    if (v >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(v);
}

bool loadValues(const QString& path, int needed, const QString& what, FreeValueText* text,
                InstallationError* error) {
    TextReadError readError;
    if (!FreeValueText::load(path, text, &readError)) {
        error->file = path;
        error->message = QStringLiteral("%1が見つからないか読めません。\n%2").arg(what, readError.message);
        return false;
    }
    if (text->valueCount() < needed) {
        error->file = path;
        error->message = QStringLiteral("%1の値が足りません（%2 個必要ですが %3 個しかありません）: %4")
                             .arg(what)
                             .arg(needed)
                             .arg(text->valueCount())
                             .arg(path);
        return false;
    }
    return true;
}

} // namespace

// The launcher lives in "起動" beside the program's own folder.
QString Installation::launcherPath() const {
    QString folder = QDir::fromNativeSeparators(appFolder);
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return QDir::cleanPath(folder + QStringLiteral("/../起動/プログラムメニューc.exe"));
}

void splitSiteText(const QString& siteText, QString* siteCode, QString* siteName) {
    const QString head = siteText.left(5);
    if (leadingNumber(head) != 0.0) {
        if (siteText.size() >= 5) {
            *siteCode = head;
            *siteName = siteText.mid(5);
        } else {
            // Too short to hold a code and a name: the whole text is the code.
            *siteCode = siteText;
            siteName->clear();
        }
    } else {
        siteCode->clear();
        *siteName = siteText;
    }
}

bool resolveInstallationPaths(const QString& executableFolder, Installation* out, InstallationError* error) {
    Installation inst;
    inst.appFolder = folderWithSeparator(executableFolder);

    // The path file lives in the common folder, the parent of the program's folder.
    const QString pathFile = parentFolder(inst.appFolder) + QStringLiteral("パスデータ.txt");
    FreeValueText pathValues;
    if (!loadValues(pathFile, kPathValuesUsed, QStringLiteral("パスデータ.txt"), &pathValues, error))
        return false;
    // Written on Windows with "\"; a relative value counts from the program's own folder,
    // the folder the program is started in. Otherwise the value is used as written.
    QString root = pathValues.value(0);
    root.replace(u'\\', u'/');
    if (root.isEmpty()) {
        error->file = pathFile;
        error->message = QStringLiteral("パスデータ.txt の最初の値（データフォルダ）が空です: %1").arg(pathFile);
        return false;
    }
    if (QDir::isRelativePath(root))
        root = inst.appFolder + root;
    inst.dataRoot = root;

    const QString settingsFile = inst.dataRoot + QStringLiteral("共通データ.txt");
    FreeValueText settings;
    if (!loadValues(settingsFile, kSettingsValuesUsed, QStringLiteral("共通データ.txt"), &settings, error))
        return false;
    inst.schoolYearStartMonth = wholeNumber(settings.value(0));
    splitSiteText(settings.value(1), &inst.siteCode, &inst.siteName);
    inst.flagTwoListed = wholeNumber(settings.value(2));
    inst.teacherPassword = settings.value(5);

    const QString folderPath = inst.appFolder.left(inst.appFolder.size() - 1);
    inst.programFolderName = folderPath.mid(folderPath.lastIndexOf(u'/') + 1);
    inst.programDataFolder = inst.dataRoot + inst.programFolderName + u'/';
    inst.soundFolder = inst.dataRoot + QStringLiteral("音フォルダ/");
    *out = std::move(inst);
    return true;
}

StartupResult resolveInstallation(const QString& executableFolder, RunState& state) {
    StartupResult result;
    if (!resolveInstallationPaths(executableFolder, &state.installation, &result.fatal))
        return result;
    result.ok = true;
    const Installation& inst = state.installation;
    if (inst.schoolYearStartMonth < 1 || inst.schoolYearStartMonth > 12)
        result.notices.append(
            QStringLiteral("共通データ.txt の学年の始まりの月が 1～12 ではありません（%1）。学年の表示が正しくなりません: %2")
                .arg(inst.schoolYearStartMonth)
                .arg(inst.dataRoot + QStringLiteral("共通データ.txt")));

    initRunState(state);

    state.criteria = PassCriteriaTable{};
    const CriteriaLoadResult criteria = loadPassCriteria(inst.criteriaPath(), &state.criteria);
    if (!criteria.ok)
        result.notices.append(QStringLiteral("合格基準のファイルを読めませんでした。すべての基準を 0 として続けます。\n%1")
                                  .arg(criteria.message));
    else if (criteria.truncated)
        result.notices.append(criteria.message);

    // A removal of a record that was interrupted leaves the copy of every record behind.
    const auto leftover = findLeftoverCopy(inst.resultsPath(), inst.resultsTempPath());
    if (!leftover)
        result.notices.append(leftover.error().text());
    else if (leftover.value())
        result.notices.append(leftoverCopyNotice(**leftover, inst.resultsPath(), inst.resultsTempPath()));

    const QString soundList = inst.soundListPath();
    if (!QFileInfo::exists(soundList))
        result.notices.append(QStringLiteral("音の設定ファイルがありません。音なしで続けます: %1").arg(soundList));
    loadSoundTable(soundList, &state.soundTable);
    return result;
}

} // namespace kz
