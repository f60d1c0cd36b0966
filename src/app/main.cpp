#include "core/gui/firstfrm.h"
#include "core/gui/startupsteps.h"
#include "core/runstate.h"
#include "core/startup.h"
#include "platform/clock.h"
#include "platform/gui/messagebox.h"
#include "platform/randomsource.h"

#include <QApplication>
#include <QPointer>

#include <memory>

namespace {

// The start-up step run by the splash timer: resolve the installation, tell the user
// what could not be used, then open the first screen.
// Returns the program's exit status.
int startUp(kz::RunState& state, kz::MessageBox& messages, QWidget* splash) {
    if (!kz::resolveAndReport(QCoreApplication::applicationDirPath(), state, messages, splash))
        return 1;
    // The name screen takes over from here once it exists.
    messages.inform(splash, state.programTitle,
                    QStringLiteral("起動が完了しました。\nデータフォルダ: %1\n生徒の名前の画面はまだありません。終了します。")
                        .arg(state.installation.dataRoot));
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kazurin2"));

    auto state = std::make_unique<kz::RunState>();
    kz::SystemClock clock;
    kz::SystemRandom random;
    kz::WidgetMessageBox messages;
    kz::prepareRun(*state, clock, random);

    // The splash closes itself after its step; the status is kept here so that closing the
    // last window cannot turn a failed start into a success.
    int status = 0;
    QPointer<kz::Firstfrm> splash;
    splash = new kz::Firstfrm(clock.today(), [&] {
        status = startUp(*state, messages, splash);
        QCoreApplication::exit(status);
    });
    splash->load();
    const int loopStatus = QApplication::exec();
    return status != 0 ? status : loopStatus;
}
