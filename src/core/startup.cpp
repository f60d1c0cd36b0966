#include "core/startup.h"

namespace kz {

QString versionNumber() {
    return QStringLiteral("%1.%2.%3").arg(KZ_VERSION_MAJOR).arg(KZ_VERSION_MINOR).arg(KZ_VERSION_PATCH);
}

QString versionText() {
    return QStringLiteral("Version") + versionNumber();
}

} // namespace kz
