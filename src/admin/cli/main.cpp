// kazurin2-admin: the command-line companion of the program (see --help).
#include "admin/cli/admincli.h"
#include "platform/translations.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    // Drawing PDF files needs Qt Gui (fonts, painting), never a display: the offscreen
    // platform. Every other command runs without Qt Gui.
    QStringList given;
    for (int i = 1; i < argc; ++i)
        given << QString::fromLocal8Bit(argv[i]);
    std::unique_ptr<QCoreApplication> application;
    if (kz::admin::cliNeedsDrawing(given)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
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
