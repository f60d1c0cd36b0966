// TEMPORARY stand-in for DecimalMultiplier until the pass-criteria module lands; remove this
// file when src/data/passcriteria.cpp provides the class.
#include "data/passcriteria.h"

namespace kz {

namespace {
qint64 power10(int n) {
    qint64 p = 1;
    for (int i = 0; i < n; ++i)
        p *= 10;
    return p;
}
} // namespace

DecimalMultiplier DecimalMultiplier::fromText(QStringView text) {
    DecimalMultiplier m;
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    bool point = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'.' && !point) {
            point = true;
        } else if (c >= u'0' && c <= u'9') {
            if (m.scaled_ > 99999999999LL || m.scale_ >= 9)
                break;
            m.scaled_ = m.scaled_ * 10 + (c.unicode() - u'0');
            if (point)
                ++m.scale_;
        } else {
            break;
        }
    }
    if (negative)
        m.scaled_ = -m.scaled_;
    return m;
}

DecimalMultiplier DecimalMultiplier::fromDouble(double value) {
    return fromText(QString::number(value, 'f', 9));
}

qint64 DecimalMultiplier::floorTimes(qint64 points) const {
    const qint64 den = power10(scale_);
    const qint64 num = points * scaled_;
    qint64 q = num / den;
    if ((num % den != 0) && ((num < 0) != (den < 0)))
        --q;
    return q;
}

double DecimalMultiplier::toDouble() const { return static_cast<double>(scaled_) / static_cast<double>(power10(scale_)); }

QString DecimalMultiplier::shortText() const {
    qint64 s = scaled_;
    int scale = scale_;
    while (scale > 0 && s % 10 == 0) {
        s /= 10;
        --scale;
    }
    const bool negative = s < 0;
    QString digits = QString::number(negative ? -s : s);
    if (scale > 0) {
        while (digits.size() <= scale)
            digits.prepend(u'0');
        digits.insert(digits.size() - scale, u'.');
    }
    return negative ? QStringLiteral("-") + digits : digits;
}

} // namespace kz
