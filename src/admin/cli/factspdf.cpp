#include "admin/cli/factsoptions.h"

namespace kz::admin {

Status writeFactsPdf(const FactsReport& report, const QString& file) {
    Q_UNUSED(report);
    Q_UNUSED(file);
    return makeError(ErrorKind::Internal, QStringLiteral("PDF output is not built yet"));
}

} // namespace kz::admin
