#include "app/programwiring.h"
#include "core/gui/retrynotice.h"
#include "core/gui/screenkit.h"
#include "core/programrun.h"
#include "core/startup.h"
#include "platform/clock.h"
#include "platform/gui/messagebox.h"
#include "platform/processlauncher.h"
#include "platform/quitsignals.h"
#include "platform/randomsource.h"
#include "platform/sdlsoundplayer.h"
#include "platform/translations.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[]) {
    // Answered before any window system is reached, so they work on a console as well.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("kazurin2 %s\n", qPrintable(kz::versionNumber()));
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf(
                "使い方: kazurin2 [--version]\n"
                "カズリンその２ を起動します。データフォルダは、プログラムのフォルダの一つ上の\n"
                "パスデータ.txt の最初の値です。先生の道具は kazurin2-admin --help を見てください。\n");
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kazurin2"));
    for (const QString& missing : kz::installJapaneseTranslations(app))
        std::fprintf(stderr, "kazurin2: %s を読めません。Qt の表示の一部が英語になります。\n",
                     qPrintable(missing));
    // The menu entry's icon is every window's icon (and names the entry on Wayland).
    QApplication::setDesktopFileName(QStringLiteral("kazurin2"));
    QApplication::setWindowIcon(QIcon(kz::kit::programIcon(128)));
    kz::installQuitSignalHandlers();

    kz::SystemClock clock;
    kz::SystemRandom random;
    kz::WidgetMessageBox messages;
    kz::SdlSoundPlayer soundPlayer;
    kz::SystemProcessLauncher launcher;
    // Every operation on a shared data file waits with the screens alive and says so on
    // the screen when another station holds the file for long.
    kz::ProgramRun run(clock, kz::retryNoticeWaits());
    run.prepareRun(random);

    kz::ProgramWiring wiring(
        run, {clock, random, messages, soundPlayer, launcher, &kz::SdlSoundPlayer::probeFile});
    wiring.start(QCoreApplication::applicationDirPath());
    // The splash is up and waits for its timer: the sound library loads meanwhile.
    soundPlayer.loadLibraryAhead();
    return wiring.exitStatus(QApplication::exec());
}
