#pragma once

#include "data/answerlog.h"
#include "platform/outcome.h"

#include <QDate>
#include <QString>

// The newest part of the answer log: the stations append in the order the attempts end,
// so the lines of a day are at the end of the file. Reading only that end keeps a page
// about today as fast in December as in April.
namespace kz::web {

// The lines dated since or later, read from the end of the file backwards in growing
// pieces until a line dated before since (or the start of the file) is reached. A missing
// file is an empty log; a folder or anything else that is no ordinary file is an error,
// and so is a file that cannot be read. Lines that cannot be read are skipped and listed.
Outcome<AnswerLogContents> readAnswerLogSince(const QString& path, QDate since);

} // namespace kz::web
