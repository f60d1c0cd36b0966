#include "core/gui/startupsteps.h"

#include "core/runstate.h"
#include "data/textio.h"
#include "platform/gui/messagebox.h"

namespace kz {

bool resolveAndReport(const QString& executableFolder, RunState& state, MessageBox& messages, QWidget* parent,
                      const SoundProbe& probeSound) {
    const Outcome<QStringList> notices = resolveInstallation(executableFolder, state, probeSound);
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
