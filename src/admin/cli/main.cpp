// kazurin2-admin: the command-line companion of the program (see --help).
#include "admin/cli/admincli.h"
#include "platform/translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    // Drawing PDF files needs Qt Gui (fonts, painting), never a display: the offscreen
    // platform. Every other command runs without Qt Gui.
    QStringList given;
    for (int i = 1; i < argc; ++i)
        given << QString::fromLocal8Bit(argv[i]);
    std::unique_ptr<QTemporaryDir> runtimeFolder; // outlives the application
    std::unique_ptr<QCoreApplication> application;
    if (kz::admin::cliNeedsDrawing(given)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // Qt Gui wants a private runtime folder; a root shell or cron has none. One of our
        // own (mode 0700, removed at the end) keeps Qt from warning about it.
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
            runtimeFolder =
                std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/kazurin2-admin-XXXXXX"));
            if (runtimeFolder->isValid())
                qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeFolder->path()));
        }
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication& app = *application;
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    // Qt's own texts (a file's or a process's error) in Japanese, as the program shows
    // them; without the translation files they stay English, which the output tolerates.
    (void)kz::installJapaneseTranslations(app);
    QStringList arguments = app.arguments();
    arguments.removeFirst();
    const int status = kz::admin::runCompanion(arguments, QCoreApplication::applicationDirPath(), out, err);
    out.flush();
    err.flush();
    return status;
}
