#include "core/gui/firstfrm.h"
#include "core/installation.h"
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
void startUp(kz::RunState& state, kz::MessageBox& messages, QWidget* splash) {
    const kz::StartupResult result = kz::resolveInstallation(QCoreApplication::applicationDirPath(), state);
    if (!result.ok) {
        messages.inform(splash, QStringLiteral("起動できません"),
                        QStringLiteral("%1\n\nファイル: %2").arg(result.fatal.message, result.fatal.file));
        QCoreApplication::exit(1);
        return;
    }
    for (const QString& notice : result.notices)
        messages.inform(splash, QStringLiteral("お知らせ"), notice);
    // The name screen takes over from here once it exists.
    messages.inform(splash, state.programTitle,
                    QStringLiteral("起動が完了しました。\nデータフォルダ: %1\n生徒の名前の画面はまだありません。終了します。")
                        .arg(state.installation.dataRoot));
    QCoreApplication::exit(0);
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

    QPointer<kz::Firstfrm> splash;
    splash = new kz::Firstfrm(clock.today(), [&] { startUp(*state, messages, splash); });
    splash->load();
    return QApplication::exec();
}
