#include "core/gui/startupsteps.h"

#include "core/installation.h"
#include "core/runstate.h"
#include "platform/gui/messagebox.h"

namespace kz {

bool resolveAndReport(const QString& executableFolder, RunState& state, MessageBox& messages,
                      QWidget* parent) {
    const StartupResult result = resolveInstallation(executableFolder, state);
    if (!result.ok) {
        messages.inform(parent, QStringLiteral("起動できません"),
                        QStringLiteral("%1\n\nファイル: %2").arg(result.fatal.message, result.fatal.file));
        return false;
    }
    for (const QString& notice : result.notices)
        messages.inform(parent, QStringLiteral("お知らせ"), notice);
    return true;
}

} // namespace kz
