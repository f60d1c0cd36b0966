#pragma once

#include <QString>

namespace kz {

// "Version" followed by major.minor.revision of this build ("Version1.0.1").
QString versionText();

} // namespace kz
