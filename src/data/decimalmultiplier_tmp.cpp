// Stand-in for the multiplier part of the criteria reader until that reader lands on this
// branch; remove this file when src/data/passcriteria.cpp defines DecimalMultiplier.
#include "data/passcriteria.h"

#include <QLocale>

namespace kz {

namespace {
__extension__ typedef __int128 Int128;
constexpr int kMaxScale = 9;
constexpr int kMaxDigits = 18;

qint64 powerOfTen(int n) {
    qint64 p = 1;
    for (int i = 0; i < n; ++i)
        p *= 10;
    return p;
}
} // namespace

DecimalMultiplier DecimalMultiplier::fromText(QStringView text) {
    DecimalMultiplier m;
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    qint64 value = 0;
    int digits = 0;
    int scale = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'.' && !point) {
            point = true;
            continue;
        }
        if (c < u'0' || c > u'9')
            break;
        if (point && scale >= kMaxScale)
            continue; // finer digits than the table can hold are dropped
        if (digits >= kMaxDigits)
            break;
        value = value * 10 + (c.unicode() - u'0');
        if (value != 0)
            ++digits;
        if (point)
            ++scale;
    }
    m.scaled_ = negative ? -value : value;
    m.scale_ = scale;
    return m;
}

DecimalMultiplier DecimalMultiplier::fromDouble(double value) {
    if (!(value == value) || value > 1e15 || value < -1e15)
        return {};
    return fromText(QString::number(value, 'f', QLocale::FloatingPointShortest));
}

qint64 DecimalMultiplier::floorTimes(qint64 points) const {
    const Int128 num = static_cast<Int128>(points) * scaled_;
    const Int128 den = powerOfTen(scale_);
    Int128 q = num / den;
    if ((num % den != 0) && (num < 0))
        --q;
    return static_cast<qint64>(q);
}

double DecimalMultiplier::toDouble() const {
    return static_cast<double>(scaled_) / static_cast<double>(powerOfTen(scale_));
}

QString DecimalMultiplier::shortText() const {
    qint64 v = scaled_;
    int scale = scale_;
    while (scale > 0 && v % 10 == 0) {
        v /= 10;
        --scale;
    }
    const bool negative = v < 0;
    QString digits = QString::number(negative ? -v : v);
    if (scale > 0) {
        if (digits.size() <= scale)
            digits.prepend(QString(scale - digits.size() + 1, u'0'));
        digits.insert(digits.size() - scale, u'.');
    }
    return negative ? QStringLiteral("-") + digits : digits;
}

} // namespace kz
