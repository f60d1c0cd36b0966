#pragma once

#include <QString>

namespace kz {

// Where the installation keeps its files, and the common settings ("共通データ.txt").
// Every folder path ends with "/".
struct Installation {
    QString appFolder;         // folder of the executable
    QString dataRoot;          // value 1 of "パスデータ.txt", as written
    QString programFolderName; // last component of appFolder
    QString programDataFolder; // dataRoot + programFolderName + "/"
    QString soundFolder;       // dataRoot + "音フォルダ/"

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

#include <QStringList>

namespace kz {

struct RunState;

struct InstallationError {
    QString file;    // full path of the file that could not be used
    QString message; // readable reason, naming the file
};

// Splits the site text of the common settings: when the first five characters start
// with a number other than 0, they are the site code and the rest is the site name
// ("00123さくら塾" -> "00123", "さくら塾"); a shorter such text is all code ("12" -> "12", "");
// otherwise there is no code and the whole text is the name.
void splitSiteText(const QString& siteText, QString* siteCode, QString* siteName);

// Paths and common settings: the path file in the parent of executableFolder, then the
// common settings file in dataRoot. False with *error filled when either is missing,
// unreadable or holds fewer values than the program uses (1 in the path file, 6 in the
// settings); *out is then left as it was. A "\" in the data root counts as "/"; a
// relative data root counts from the program's own folder; otherwise the data root is
// used as written (without a trailing separator the file names run into it).
bool resolveInstallationPaths(const QString& executableFolder, Installation* out, InstallationError* error);

struct StartupResult {
    bool ok = false; // false: the program cannot start; fatal names the file
    InstallationError fatal;
    QStringList notices; // things to tell the user but go on (criteria file missing, …)
};

// The whole start-up resolution: paths and settings, initRunState, pass criteria, sounds.
StartupResult resolveInstallation(const QString& executableFolder, RunState& state);

} // namespace kz
