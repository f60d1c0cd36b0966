// A small program with three windows whose answer sounds go through the real player,
// the real cues and the real fatal handler (only the message box is preset).
//   soundfatal_helper fatal <sound folder>  five right answers (the program ends when
//                                           their sound fails)
//   soundfatal_helper reset <sound folder>  three right answers, a wrong one, three right
// Prints what happened on stdout ("box:", "closed:", "failures:", "exit:") and returns
// the event loop's exit status.
#include "core/gui/fatalsound.h"
#include "core/soundcues.h"
#include "core/soundtable.h"
#include "platform/gui/messagebox.h"
#include "platform/randomsource.h"
#include "platform/sdlsoundplayer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QTextStream>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

QTextStream& out() {
    static QTextStream stream(stdout);
    return stream;
}

class LoggedWindow : public QWidget {
public:
    explicit LoggedWindow(const QString& name) { setObjectName(name); }

protected:
    void closeEvent(QCloseEvent* event) override {
        out() << "closed:" << objectName() << Qt::endl;
        QWidget::closeEvent(event);
    }
};

class CountingPlayer final : public kz::SoundPlayer {
public:
    kz::SdlSoundPlayer real;
    int plays = 0;
    kz::Status playFile(const QString& path) override {
        ++plays;
        const kz::Status result = real.playFile(path);
        out() << "play:" << (result.ok() ? "ok" : "failed") << Qt::endl;
        return result;
    }
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 3)
        return 64;
    const QString mode = args[1];
    const QString folder = args[2];

    kz::SoundTable table;
    table.kinds[2].files[1] = QStringLiteral("right");
    table.kinds[2].count = 1;
    table.kinds[4].files[1] = QStringLiteral("wrong");
    table.kinds[4].count = 1;
    kz::PresetMessageBox messages;
    CountingPlayer player;
    kz::SoundCues cues(table, folder, player, kz::systemRandom(), kz::makeSoundFatalHandler(messages));

    LoggedWindow first(QStringLiteral("first"));
    LoggedWindow second(QStringLiteral("second"));
    LoggedWindow third(QStringLiteral("third"));
    first.show();
    second.show();
    third.show();

    QTimer::singleShot(0, &app, [&] {
        if (mode == QStringLiteral("fatal")) {
            for (int i = 0; i < 5; ++i) // the fifth must not play or show anything
                cues.playRightSound();
            // Only reached while the program goes on (the sounds did not stop it).
            QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); });
        } else {
            for (int i = 0; i < 3; ++i)
                cues.playRightSound();
            cues.playWrongSound();
            for (int i = 0; i < 3; ++i)
                cues.playRightSound();
            QTimer::singleShot(0, &app, [] { QCoreApplication::exit(0); });
        }
    });
    const int code = QApplication::exec();
    for (const auto& box : messages.shown)
        out() << "box:" << box.title << '|' << QString(box.text).replace(u'\n', QStringLiteral("\\n"))
              << Qt::endl;
    out() << "failures:" << cues.consecutiveFailures() << Qt::endl;
    out() << "plays:" << player.plays << Qt::endl;
    out() << "exit:" << code << Qt::endl;
    return code;
}
