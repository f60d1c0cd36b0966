#pragma once

#include <QString>

namespace kz {

// Whether the typed password opens the teachers' data screens: it must equal the
// installation's teacher password, and an empty box never opens them, not even when no
// password is set.
bool teacherPasswordAccepted(const QString& typed, const QString& teacherPassword);

} // namespace kz
