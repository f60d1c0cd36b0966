// DecimalMultiplier only: the decimal points multiplier of the pass criteria, held as
// the digits the teacher typed.
#include "data/passcriteria.h"

#include <QLocale>

#include <limits>

namespace kz {

namespace {
constexpr int kMaxDigits = 18; // keeps scaled_ and 10^scale_ within 64 bits

qint64 pow10(int n) {
    qint64 v = 1;
    for (int i = 0; i < n; ++i)
        v *= 10;
    return v;
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
    int digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'.' && !point) {
            point = true;
            continue;
        }
        if (c < u'0' || c > u'9')
            break;
        if (digits >= kMaxDigits) {
            if (point)
                continue; // further fraction digits are below what can be held
            return DecimalMultiplier{}; // a multiplier this large is garbage
        }
        if (m.scaled_ == 0 && c == u'0' && !point)
            continue; // leading zeros
        m.scaled_ = m.scaled_ * 10 + (c.unicode() - u'0');
        if (point)
            ++m.scale_;
        if (m.scaled_ != 0 || point)
            ++digits;
    }
    if (negative)
        m.scaled_ = -m.scaled_;
    return m;
}

DecimalMultiplier DecimalMultiplier::fromDouble(double value) {
    return fromText(QString::number(value, 'f', QLocale::FloatingPointShortest));
}

qint64 DecimalMultiplier::floorTimes(qint64 points) const {
    __extension__ typedef __int128 Wide;
    const Wide product = static_cast<Wide>(points) * scaled_;
    const Wide den = pow10(scale_);
    Wide q = product / den;
    if (product % den != 0 && product < 0)
        --q;
    if (q > std::numeric_limits<qint64>::max())
        return std::numeric_limits<qint64>::max();
    if (q < std::numeric_limits<qint64>::min())
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(q);
}

double DecimalMultiplier::toDouble() const { return static_cast<double>(scaled_) / static_cast<double>(pow10(scale_)); }

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
            digits = QString(scale - digits.size() + 1, u'0') + digits;
        digits.insert(digits.size() - scale, u'.');
    }
    return negative ? QStringLiteral("-") + digits : digits;
}

} // namespace kz
