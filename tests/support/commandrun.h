#pragma once

// A command's exit status and what it printed: a program run as a separate process, or
// the companion's commands run in-process through their library. Header only; the
// in-process run needs kzadmin_cli, which the tests calling it link.

#include "admin/cli/admincli.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTextStream>

namespace kz::test {

struct Run {
    int status = -1; // -1: the command did not finish normally
    QString out;
    QString err;
};

// Runs the program and waits up to two minutes for it; its output is read as UTF-8.
inline Run runProcess(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    Run run;
    if (!p.waitForFinished(120000))
        return run;
    run.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    return run;
}

// Runs the companion's command line in this process, as its main() would.
inline Run runCompanionHere(const QStringList& args) {
    Run run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    run.status = admin::runCompanion(args, QString(), out, err);
    out.flush();
    err.flush();
    return run;
}

} // namespace kz::test
