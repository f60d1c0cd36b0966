#include "core/installation.h"

#include "platform/datafile.h"

#include "core/catalogue.h"
#include "core/recordingrights.h"
#include "core/runstate.h"
#include "core/soundcues.h"
#include "core/soundtable.h"
#include "data/answerlog.h"
#include "data/keptattempts.h"
#include "data/resultmaintenance.h"
#include "data/roster.h"
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

// A file of the installation that cannot be used: the reason and what to do, naming the
// file by its name; the full path is the detail.
Error installationError(ErrorKind kind, const QString& path, const QString& message) {
    return makeError(kind, message, path);
}

Status loadValues(const QString& path, int needed, const QString& what, const QString& whatToDo,
                  FreeValueText* text) {
    Outcome<FreeValueText> read = FreeValueText::load(path);
    if (!read) {
        if (read.error().kind == ErrorKind::NotFound)
            return installationError(ErrorKind::NotFound, path,
                                     QStringLiteral("%1 がありません。%2").arg(what, whatToDo));
        return installationError(
            ErrorKind::Unreadable, path,
            QStringLiteral("%1 を読めません（%2）。ファイルの読み取りの権限を確かめてください。")
                .arg(what, shortenForMessage(read.error().text())));
    }
    *text = std::move(read).value();
    if (text->valueCount() < needed)
        return installationError(
            ErrorKind::Malformed, path,
            QStringLiteral("%1 の値が足りません（%2 個必要ですが %3 個しかありません）。%4")
                .arg(what)
                .arg(needed)
                .arg(text->valueCount())
                .arg(whatToDo));
    return {};
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

Status resolveInstallationPaths(const QString& executableFolder, Installation* out, QStringList* notices) {
    Installation inst;
    inst.appFolder = folderWithSeparator(executableFolder);

    // The path file lives in the common folder, the parent of the program's folder.
    const QString commonFolder = parentFolder(inst.appFolder);
    const QString pathFile = commonFolder + QStringLiteral("パスデータ.txt");
    FreeValueText pathValues;
    if (Status loaded = loadValues(
            pathFile, kPathValuesUsed, QStringLiteral("パスデータ.txt"),
            QStringLiteral(
                "プログラムのフォルダの一つ上のフォルダに置き、最初の値にデータフォルダを書いてください。"),
            &pathValues);
        !loaded)
        return loaded;
    // Written on Windows with "\"; a relative value counts from the folder of the path
    // file. Otherwise the value is used as written.
    QString root = pathValues.value(0);
    root.replace(u'\\', u'/');
    if (root.isEmpty())
        return installationError(
            ErrorKind::Malformed, pathFile,
            QStringLiteral(
                "パスデータ.txt の最初の値（データフォルダ）が空です。データフォルダを書いてください。"));
    if (root.size() > kMaxPathChars)
        return installationError(
            ErrorKind::Malformed, pathFile,
            QStringLiteral(
                "パスデータ.txt の %1 行目のデータフォルダが長すぎます（%2 文字。%3 文字まで）: %4")
                .arg(pathValues.lineOfValue(0))
                .arg(root.size())
                .arg(kMaxPathChars)
                .arg(shortenForMessage(root, 60)));
    if (QDir::isRelativePath(root))
        root = commonFolder + root;
    if (!root.endsWith(u'/'))
        root += u'/';
    inst.dataRoot = root;
    if (notices && !pathValues.encodingProblems().isEmpty())
        notices->append(describeEncodingProblems(pathFile, pathValues.encodingProblems()));

    const QString settingsFile = inst.dataRoot + QStringLiteral("共通データ.txt");
    FreeValueText settings;
    if (Status loaded = loadValues(
            settingsFile, kSettingsValuesUsed, QStringLiteral("共通データ.txt"),
            QStringLiteral(
                "データフォルダは %1 の最初の値「%2」から決まります。その値が正しいか確かめてください。")
                .arg(shortenForMessage(pathFile), shortenForMessage(pathValues.value(0), 60)),
            &settings);
        !loaded)
        return loaded;
    inst.schoolYearStartMonth = wholeNumber(settings.value(0));
    const QString siteText = settings.value(1);
    if (siteText.size() > kMaxSiteTextChars) {
        if (notices)
            notices->append(
                QStringLiteral(
                    "%1 の %2 行目の塾名が長すぎます（%3 文字。%4 文字まで）。塾名なしで続けます: %5")
                    .arg(shortenForMessage(settingsFile))
                    .arg(settings.lineOfValue(1))
                    .arg(siteText.size())
                    .arg(kMaxSiteTextChars)
                    .arg(shortenForMessage(siteText, 40)));
    } else {
        splitSiteText(siteText, &inst.siteCode, &inst.siteName);
    }
    inst.flagTwoListed = wholeNumber(settings.value(2));
    inst.teacherPassword = settings.value(5);
    if (notices && !settings.encodingProblems().isEmpty())
        notices->append(describeEncodingProblems(settingsFile, settings.encodingProblems()));

    const QString folderPath = inst.appFolder.left(inst.appFolder.size() - 1);
    inst.programFolderName = folderPath.mid(folderPath.lastIndexOf(u'/') + 1);
    inst.programDataFolder = inst.dataRoot + inst.programFolderName + u'/';
    inst.soundFolder = inst.dataRoot + QStringLiteral("音フォルダ/");
    inst.keptFolder = keptAttemptsFolder(userStateFolder(), inst.programDataFolder);
    *out = std::move(inst);
    return {};
}

QStringList criteriaNotices(const QString& path, const Outcome<CriteriaLoadResult>& load,
                            const PassCriteriaTable& table) {
    QStringList notices;
    const QString file = shortenForMessage(path);
    if (!load) {
        notices.append(
            QStringLiteral("合格基準のファイルを読めませんでした。すべての基準を 0 として続けます。\n%1")
                .arg(shortenForMessage(load.error().text())));
        return notices;
    }
    const CriteriaLoadResult& loaded = *load;
    if (loaded.truncated)
        notices.append(loaded.message);
    if (table.levelLines < kLevelCount)
        notices.append(QStringLiteral("合格基準のファイル %1 にレベル %2～%3 "
                                      "の行がありません。これらのレベルは基準 0（時間制限なし、"
                                      "目標 0）で動きます。先生の基準変更の画面で保存し直してください。")
                           .arg(file)
                           .arg(table.levelLines + 1)
                           .arg(kLevelCount));
    if (!loaded.incompleteLevels.isEmpty()) {
        QStringList levels;
        for (int level : loaded.incompleteLevels)
            levels << QString::number(level);
        notices.append(QStringLiteral("合格基準のファイル %1 のレベル %2 の行は 12 "
                                      "個の値がそろっていません。そのレベルから後の基準が"
                                      "ずれて読まれます。先生の基準変更の画面で直して保存してください。")
                           .arg(file, shortenForMessage(levels.join(QStringLiteral("、")), 60)));
    }
    if (!loaded.encodingProblems.isEmpty())
        notices.append(describeEncodingProblems(path, loaded.encodingProblems));
    return notices;
}

QStringList soundFilesPlayed(const Installation& inst, const SoundTable& table) {
    QStringList files;
    for (int kind : {2, 4, 8, 10}) {
        const SoundTable::Kind& k = table.kinds[static_cast<size_t>(kind)];
        for (int slot = 1; slot <= k.count && slot <= SoundTable::kSlots; ++slot) {
            const QString wav =
                inst.soundFolder + k.files[static_cast<size_t>(slot)] + QStringLiteral(".wav");
            if (!files.contains(wav))
                files.append(wav);
        }
    }
    for (const char16_t* fixed : {u"最高1.wav", u"合格.wav", u"警告1.wav"})
        files.append(inst.soundFolder + QString::fromUtf16(fixed));
    return files;
}

Outcome<QStringList> resolveInstallation(const QString& executableFolder, RunState& state,
                                         const SoundProbe& probeSound) {
    QStringList notices;
    if (Status resolved = resolveInstallationPaths(executableFolder, &state.settings.installation, &notices);
        !resolved)
        return resolved.error();
    const Installation& inst = state.settings.installation;
    if (inst.schoolYearStartMonth < 1 || inst.schoolYearStartMonth > 12)
        notices.append(
            QStringLiteral(
                "共通データ.txt の学年の始まりの月が 1～12 ではありません（%1）。学年の表示が正しく"
                "なりません。最初の値を 4 などの月に直してください: %2")
                .arg(inst.schoolYearStartMonth)
                .arg(shortenForMessage(inst.dataRoot + QStringLiteral("共通データ.txt"))));

    initRunState(state);

    state.tables.criteria = PassCriteriaTable{};
    const Outcome<CriteriaLoadResult> criteria =
        loadPassCriteria(inst.criteriaPath(), &state.tables.criteria);
    notices.append(criteriaNotices(inst.criteriaPath(), criteria, state.tables.criteria));

    // The roster is read again at every name list; here only its encoding is told, once
    // (from its bytes: the text itself is not needed yet).
    if (const Outcome<QByteArray> roster = readDataFile(inst.rosterPath()); roster) {
        if (const TextEncodingFacts facts = FreeValueText::encodingOfBytes(*roster, true);
            !facts.problems.isEmpty())
            notices.append(rosterEncodingSummary(inst.rosterPath(), facts));
    }

    // Rights are checked as the user who runs, before any student plays.
    const QList<RightsProblem> rights = checkWriteRights(inst);
    state.settings.recordingProblem = recordingBlockedShortNotice(rights);
    if (const QString told = rightsNotice(rights); !told.isEmpty())
        notices.append(told);

    // A change or removal of records that was interrupted is finished now, under the
    // append lock (not waiting long for it: the next start tries again).
    MaintenanceOptions recovery;
    recovery.lockTries = 5;
    notices.append(maintenanceNotices(inst.resultsPath(), inst.resultsTempPath(), recovery));

    // Attempts this computer kept while the results file could not be written go in now,
    // after that (their answer lines that the answer log does not take wait with the run).
    const Outcome<ReplayResult> replayed =
        replayKeptAttempts(inst.keptFolder, inst.resultsPath(), inst.programDataFolder + answerLogFileName());
    if (replayed)
        state.attempt.answerLogBacklog += replayed->unplacedAnswers;
    if (const QString told = keptReplayNotice(replayed); !told.isEmpty())
        notices.append(told);

    const QString soundList = inst.soundListPath();
    if (!QFileInfo::exists(soundList)) {
        notices.append(QStringLiteral("音の設定ファイル %1 がありません。音なしで続けます。")
                           .arg(shortenForMessage(soundList)));
    } else if (const Outcome<FreeValueText> listText = FreeValueText::load(soundList); !listText) {
        notices.append(QStringLiteral("音の設定ファイルを読めません。音なしで続けます。\n%1")
                           .arg(shortenForMessage(listText.error().text())));
    } else if (!listText->encodingProblems().isEmpty()) {
        notices.append(describeEncodingProblems(soundList, listText->encodingProblems()));
    }
    loadSoundTable(soundList, &state.settings.soundTable);
    if (probeSound) {
        QStringList broken;
        for (const QString& wav : soundFilesPlayed(inst, state.settings.soundTable)) {
            const Status played = probeSound(wav);
            if (!played.ok())
                broken.append(shortenForMessage(played.error().text()));
        }
        if (!broken.isEmpty()) {
            const qsizetype shown = qMin<qsizetype>(broken.size(), 5);
            QString list = broken.mid(0, shown).join(u'\n');
            if (broken.size() > shown)
                list += QStringLiteral("\nほか %1 個").arg(broken.size() - shown);
            notices.append(
                QStringLiteral(
                    "再生できない音のファイルがあります。%1。音のファイルを入れ直してください。\n%2")
                    .arg(unplayableSoundMeaning(), list));
        }
    }
    return notices;
}

} // namespace kz
