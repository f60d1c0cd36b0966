#pragma once

// A small installation in a temporary folder, for the companion's tests: common/パスデータ.txt
// naming data/ as the data folder, the program folder common/drill2 beside the program
// menu's folder common/起動 (without a launcher), and data/ with the
// program's data folder drill2 and the common settings (site 12345 さくら塾, school year
// from April, teacher password "pass"). Each test adds its roster, criteria and results.
// Needs the data library (kzdata) for the Shift-JIS files.

#include "data/textio.h"

#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

namespace kz::test {

class SmallInstallation {
public:
    SmallInstallation() {
        QDir d(dir.path());
        d.mkpath(QStringLiteral("common/drill2"));
        d.mkpath(QStringLiteral("common/起動")); // the sibling programs' menu, without its launcher
        d.mkpath(QStringLiteral("data/drill2"));
        write(QStringLiteral("common/パスデータ.txt"),
              {dir.path() + QStringLiteral("/data/"), "a", "b", "c", "d", "e", "f", "g", "h", "i"});
        write(QStringLiteral("data/共通データ.txt"), {QStringLiteral("4,12345さくら塾,0,,,pass,,,,")});
    }

    QString programFolder() const { return dir.path() + QStringLiteral("/common/drill2"); }
    QString path(const QString& relative) const { return dir.path() + u'/' + relative; }

    // Writes the lines as a Shift-JIS text file at the path below the installation.
    void write(const QString& relative, const QStringList& lines) {
        if (const Status written = writeCp932Lines(path(relative), lines); !written)
            QFAIL(qPrintable(written.error().text()));
    }

    QTemporaryDir dir;
};

} // namespace kz::test
