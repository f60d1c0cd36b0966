#pragma once

#include "platform/outcome.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The files of a new school's installation, made by the companion's init: the data
// folder (common settings, a roster with one teacher, the bundled sounds and default
// criteria, an empty results file, the answer log with its header line) and the path
// file of a computer's common folder.
// Existing files are never replaced.
namespace kz {

struct NewSchool {
    QString dataFolder;        // absolute, "/" as separator and at its end
    QString programFolderName; // the program's own folder: its data folder's name
    QString siteCode;          // five digits, not all 0 ("00123")
    QString siteName;
    QString teacherPassword;
    int schoolYearStartMonth = 4;
};

// The school's code as the results keep it: one to five digits, not all 0, padded with
// leading zeros to five ("123" -> "00123"). Refused with the reason otherwise.
Outcome<QString> siteCodeFrom(const QString& text);

// A text value for a settings or path file: not empty, without double quotes and line
// breaks, with a code in CP932 for every character, at most maxChars long. what names
// it in the refusal ("--site-name").
Status checkTextValue(const QString& what, const QString& value, int maxChars);

// A folder given on the command line as the data folder: absolute (relative to the
// working folder), "/" as separator and at its end.
QString dataFolderValue(const QString& given, const QString& workingFolder);

// The lines of the files (CP932, CR LF when written).
QStringList commonSettingsLines(const NewSchool& school);
QStringList rosterTemplateLines();
QStringList pathFileLines(const QString& dataFolder);

// One file of the new school: its text lines, or the bytes of a bundled file.
struct NewFile {
    QString path;
    QStringList lines;    // a CP932 text file when not empty ...
    QString copyFrom;     // ... else a copy of this file ...
    bool asBytes = false; // ... or exactly bytes (an empty file when there are none)
    QByteArray bytes;
};

// Every file of the data folder, in the order they are made. bundledFolder holds
// "音フォルダ" (the sound list and the WAV files) and "タイム回数データ.txt".
Outcome<QList<NewFile>> dataFolderFiles(const NewSchool& school, const QString& bundledFolder);

// What became of one file.
struct MadeFile {
    QString path;
    enum Result { Made, Kept, Failed } result = Made;
    QString reason; // Failed: why
};

// Makes the folders and the files that do not exist yet; an existing file is kept as
// it is. A failure stops nothing else: it is in the list.
QList<MadeFile> makeFiles(const QList<NewFile>& files);

} // namespace kz
