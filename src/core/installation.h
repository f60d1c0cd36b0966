#pragma once

#include <QString>

namespace kz {

// Where the installation keeps its files, and the common settings ("共通データ.txt").
// Every folder path ends with "/".
struct Installation {
    QString appFolder;         // folder of the executable
    QString dataRoot;          // value 1 of "パスデータ.txt", with "/" as separator and at its end
    QString programFolderName; // last component of appFolder
    QString programDataFolder; // dataRoot + programFolderName + "/"
    QString soundFolder;       // dataRoot + "音フォルダ/"
    // This computer's store of attempts kept while the results file could not be written
    // (keptAttemptsFolder: in the user's state folder, one per program data folder).
    QString keptFolder;

    int schoolYearStartMonth = 0;
    QString siteCode; // up to 5 characters, empty when none
    QString siteName;
    int flagTwoListed = 0;
    QString teacherPassword;

    QString rosterPath() const { return dataRoot + QStringLiteral("新名簿.txt"); }
    QString criteriaPath() const { return programDataFolder + QStringLiteral("タイム回数データ.txt"); }
    QString resultsPath() const { return programDataFolder + QStringLiteral("成績累積データ.dat"); }
    QString resultsTempPath() const { return programDataFolder + QStringLiteral("成績累積データtemp.dat"); }
    QString soundListPath() const { return soundFolder + QStringLiteral("新音ファイル.txt"); }
    // The program-menu launcher in the sibling folder "起動".
    QString launcherPath() const;
};

} // namespace kz

#include "platform/outcome.h"

#include <QStringList>

#include <functional>

namespace kz {

struct RunState;
struct SoundTable;
struct PassCriteriaTable;
struct CriteriaLoadResult;

// Bounds of the values of the installation's text files: a longer value is reported
// with its file and line and not used.
inline constexpr int kMaxPathChars = 1024;    // the data folder of the path file
inline constexpr int kMaxSiteTextChars = 100; // site code and name of the common settings

// Splits the site text of the common settings: when the first five characters start
// with a number other than 0, they are the site code and the rest is the site name
// ("00123さくら塾" -> "00123", "さくら塾"); a shorter such text is all code ("12" -> "12", "");
// otherwise there is no code and the whole text is the name.
void splitSiteText(const QString& siteText, QString* siteCode, QString* siteName);

// Paths and common settings: the path file in the parent of executableFolder, then the
// common settings file in dataRoot. An error when either is missing (NotFound),
// unreadable or holds fewer values than the program uses (1 in the path file, 6 in the
// settings), or when the data folder is empty or longer than kMaxPathChars (Malformed);
// *out is then left as it was. The error's message gives the reason and what to do and
// names the file by its name; its detail is the file's full path. A "\" in the data root counts as "/"; a
// relative data root counts from the folder of the path file; a data root without its closing separator gets
// one. Values 2 to 10 of the path file are not used: a path file of one value is complete. A site text longer
// than kMaxSiteTextChars is not used. What is worth telling but does not stop the start (a site text too
// long, text that is not code page 932) goes to *notices when given.
Status resolveInstallationPaths(const QString& executableFolder, Installation* out,
                                QStringList* notices = nullptr);

// What the start-up tells about the criteria file just loaded: unreadable, more than 35
// or fewer than 25 level lines, level lines missing fields, text not code page 932.
QStringList criteriaNotices(const QString& path, const Outcome<CriteriaLoadResult>& loaded,
                            const PassCriteriaTable& table);

// Every sound file the program may play: the configured files of the kinds that are
// played, then the three fixed files.
QStringList soundFilesPlayed(const Installation& installation, const SoundTable& table);

// Opens a sound file with the program's decoder; an error names the file and the reason.
using SoundProbe = std::function<Status(const QString& path)>;

// The whole start-up resolution: paths and settings, initRunState, pass criteria, sounds.
// The value is what to tell the user before going on (criteria file missing, …); an
// error (as resolveInstallationPaths gives it) means the program cannot start. The write
// rights of the running user are checked (checkWriteRights) and told among the notices. With
// probeSound, every sound file that will be played is opened once and those that cannot
// be played are told in one notice.
Outcome<QStringList> resolveInstallation(const QString& executableFolder, RunState& state,
                                         const SoundProbe& probeSound = {});

} // namespace kz
