#include "core/gui/startupsteps.h"

#include "core/runstate.h"
#include "data/textio.h"
#include "platform/gui/messagebox.h"

namespace kz {

bool resolveAndReport(const QString& executableFolder, RunState& state, MessageBox& messages, QWidget* parent,
                      const SoundProbe& probeSound) {
    const StartupResult result = resolveInstallation(executableFolder, state, probeSound);
    if (!result.ok) {
        messages.inform(parent, QStringLiteral("起動できません"),
                        QStringLiteral("%1\n\nファイル: %2")
                            .arg(result.fatal.message, shortenForMessage(result.fatal.file)));
        return false;
    }
    if (!result.notices.isEmpty())
        messages.informClosingAfter(parent, QStringLiteral("お知らせ"),
                                    result.notices.join(QStringLiteral("\n\n")), kStartupNoticeCloseMs);
    return true;
}

} // namespace kz
