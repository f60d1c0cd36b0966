#include "levelmenu/teacheraccess.h"

namespace kz {

bool teacherPasswordAccepted(const QString& typed, const QString& teacherPassword) {
    return !typed.isEmpty() && typed == teacherPassword;
}

} // namespace kz
