#include "core/startup.h"

namespace kz {

QString versionText() {
    return QStringLiteral("Version%1.%2.%3")
        .arg(KZ_VERSION_MAJOR)
        .arg(KZ_VERSION_MINOR)
        .arg(KZ_VERSION_PATCH);
}

} // namespace kz
