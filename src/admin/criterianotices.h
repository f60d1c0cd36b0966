#pragma once

#include "platform/outcome.h"

#include <QString>

// What the criteria editor tells the teacher about its files: the red notice line over
// the grid and the boxes after "元に戻す" or "更新記録" failed.
namespace kz {

// The notice line on opening: why the file could not be read, or else what the load had
// to say about it (empty when all is well).
QString openingNotice(const Status& loaded, const QString& loadNotice);
// The notice line once the distribution has been read: the file's notice, followed by
// why the results could not be read when they could not.
QString noticeWithDistribution(const QString& fileNotice, const Status& distributionRead);
// The box after "元に戻す" failed: the grid on the screen is kept.
QString revertFailedText(const Error& error);
// The box after "更新記録" failed. A file written but not read back holds the edits (only
// the table in use is older); otherwise the edits are still only on the screen.
QString saveFailedText(const Error& error);

} // namespace kz
