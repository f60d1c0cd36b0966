#include "platform/outcome.h"

#include "platform/systemerror.h"

namespace kz {

QString Error::text() const {
    if (code != 0) {
        const QString explained = explainedSystemError(code, detail);
        return message.isEmpty() ? explained : message + u'\n' + explained;
    }
    if (detail.isEmpty())
        return message;
    if (message.isEmpty())
        return detail;
    return message + QStringLiteral("（") + detail + QStringLiteral("）");
}

} // namespace kz
