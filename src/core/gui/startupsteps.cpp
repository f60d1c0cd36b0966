#include "core/gui/startupsteps.h"

#include "core/programrun.h"
#include "data/textio.h"
#include "platform/gui/messagebox.h"

namespace kz {

bool resolveAndReport(const QString& executableFolder, ProgramRun& run, MessageBox& messages, QWidget* parent,
                      const SoundProbe& probeSound) {
    const Outcome<QStringList> notices = run.resolveInstallation(executableFolder, probeSound);
    if (!notices) {
        messages.inform(parent, QStringLiteral("起動できません"),
                        QStringLiteral("%1\n\nファイル: %2")
                            .arg(notices.error().message, shortenForMessage(notices.error().detail)));
        return false;
    }
    if (!notices->isEmpty())
        messages.informClosingAfter(parent, QStringLiteral("お知らせ"), notices->join(QStringLiteral("\n\n")),
                                    kStartupNoticeCloseMs);
    return true;
}

} // namespace kz
