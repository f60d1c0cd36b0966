// kazurin2-admin: the command-line companion of the program (see --help).
#include "admin/cli/admincli.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    QStringList arguments = app.arguments();
    arguments.removeFirst();
    const int status = kz::admin::runCompanion(arguments, QCoreApplication::applicationDirPath(), out, err);
    out.flush();
    err.flush();
    return status;
}
