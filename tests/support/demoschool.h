#pragma once

// A demo school made by demo/make_demo_school.py, for tests that run on a whole
// installation. Qt Core only; needs KZ_SOURCE_DIR, which every test target defines.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace kz::test {

// Makes a demo school in `folder`: the common folder with the program folder "kazurin2" and
// the data folder beside it. `arguments` follow the folder on the script's command line.
// Returns an empty text when the school was made, else what went wrong.
inline QString makeDemoSchool(const QString& folder, const QStringList& arguments = {}) {
    QProcess python;
    python.start(QStringLiteral("python3"),
                 QStringList{QStringLiteral(KZ_SOURCE_DIR "/demo/make_demo_school.py"), folder} + arguments);
    if (!python.waitForFinished(60000))
        return QStringLiteral("make_demo_school.py did not finish: ") + python.errorString();
    if (python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0)
        return QStringLiteral("make_demo_school.py failed with %1: %2")
            .arg(python.exitCode())
            .arg(QString::fromLocal8Bit(python.readAllStandardError()));
    return {};
}

// A fresh demo school in a temporary folder of its own, as <dir>/school.
struct DemoSchool {
    QTemporaryDir dir;
    QString folder = dir.filePath(QStringLiteral("school"));
    // Empty when the school is ready for use, else what went wrong.
    QString failure = dir.isValid() ? makeDemoSchool(folder) : QStringLiteral("no temporary folder");

    QString programFolder() const { return folder + QStringLiteral("/kazurin2"); }
};

} // namespace kz::test
