#include "core/eradate.h"

#include <unicode/calendar.h>
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

const QString& weekdayName(QDate date) {
    static const QString weekdays[] = {QStringLiteral("月"), QStringLiteral("火"), QStringLiteral("水"),
                                       QStringLiteral("木"), QStringLiteral("金"), QStringLiteral("土"),
                                       QStringLiteral("日")};
    return weekdays[date.dayOfWeek() - 1];
}

QString label(const QString& yearText, QDate date) {
    return QStringLiteral("%1年 %2月 %3日（%4）")
        .arg(yearText)
        .arg(date.month())
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(weekdayName(date));
}

} // namespace

QString eraDateLabel(QDate date) {
    if (!date.isValid())
        return {};
    const QString western = label(QString::number(date.year()), date);
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale locale("ja_JP@calendar=japanese");
    // The era name comes from its own pattern and the era year from the calendar, so the
    // first year stays the number 1 (a "y年" pattern would give "元年").
    icu::SimpleDateFormat eraFormat(icu::UnicodeString(u"GGGG"), locale, status);
    if (U_FAILURE(status))
        return western;
    eraFormat.setTimeZone(*icu::TimeZone::getGMT());
    // Noon of the day in GMT, read in GMT: no time zone can move it to another day.
    const double days = static_cast<double>(QDate(1970, 1, 1).daysTo(date));
    const UDate moment = days * kMsPerDay + kMsPerDay / 2;
    icu::UnicodeString era;
    eraFormat.format(moment, era);
    const icu::Calendar* calendar = eraFormat.getCalendar();
    if (!calendar || era.isBogus() || era.isEmpty())
        return western;
    std::unique_ptr<icu::Calendar> cal(calendar->clone());
    cal->setTime(moment, status);
    const int32_t eraYear = cal->get(UCAL_YEAR, status);
    if (U_FAILURE(status))
        return western;
    return label(fromIcu(era) + QString::number(eraYear), date);
}

} // namespace kz
