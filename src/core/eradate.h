#pragma once

#include <QDate>
#include <QString>

namespace kz {

// The date as the splash screen shows it, in the Japanese era calendar: era name, era
// year as a number, "年", a space, month without leading zero, "月", a space, two-digit
// day, "日（", one-character weekday, "）". 15 March 2004 is "平成16年 3月 15日（月）";
// the first year of an era is written "1" ("令和1年 5月 01日（水）").
// Where the era calendar is unavailable the Western year stands in ("2004年 3月 15日（月）").
// An invalid date gives an empty text.
QString eraDateLabel(QDate date);

} // namespace kz
