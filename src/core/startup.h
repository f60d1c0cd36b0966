#pragma once

#include <QString>

namespace kz {

// major.minor.revision of this build ("1.0.1"): the project's version, the one of the
// package, of both programs' --version and of the version window.
QString versionNumber();
// "Version" followed by versionNumber() ("Version1.0.1").
QString versionText();

} // namespace kz
