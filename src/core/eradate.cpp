#include "core/eradate.h"

#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <memory>

namespace kz {

namespace {

constexpr double kMsPerDay = 86400000.0;

QString fromIcu(const icu::UnicodeString& text) {
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

QString westernLabel(QDate date) {
    static const QString weekdays[] = {QStringLiteral("月"), QStringLiteral("火"), QStringLiteral("水"),
                                       QStringLiteral("木"), QStringLiteral("金"), QStringLiteral("土"),
                                       QStringLiteral("日")};
    return QStringLiteral("%1年 %2月 %3日（%4）")
        .arg(date.year())
        .arg(date.month())
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(weekdays[date.dayOfWeek() - 1]);
}

} // namespace

QString eraDateLabel(QDate date) {
    if (!date.isValid())
        return {};
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale locale("ja_JP@calendar=japanese");
    // An explicit pattern: "y" writes the era year as a plain number, also in year 1.
    const icu::UnicodeString pattern(u"GGGGy年 M月 dd日（E）");
    icu::SimpleDateFormat format(pattern, locale, status);
    if (U_FAILURE(status))
        return westernLabel(date);
    format.setTimeZone(*icu::TimeZone::getGMT());
    // Noon of the day in GMT, formatted in GMT: no time zone can move it to another day.
    const double days = static_cast<double>(QDate(1970, 1, 1).daysTo(date));
    icu::UnicodeString out;
    format.format(days * kMsPerDay + kMsPerDay / 2, out);
    if (out.isBogus() || out.isEmpty())
        return westernLabel(date);
    return fromIcu(out);
}

} // namespace kz
