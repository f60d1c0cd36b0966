#include "core/installation.h"

#include <QDir>

namespace kz {

// appFolder is the program's own folder; the launcher lives in "起動" beside it.
QString Installation::launcherPath() const {
    QString folder = QDir::fromNativeSeparators(appFolder);
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return QDir::cleanPath(folder + QStringLiteral("/../起動/プログラムメニューc.exe"));
}

} // namespace kz
