#include "data/passcriteria.h"

#include "data/textio.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace kz {

namespace {

// Bounds of a multiplier as held: at most nine digits before and nine after the point,
// so the scaled value always fits in 64 bits. Further fraction digits are cut off.
constexpr int kMaxFractionDigits = 9;
constexpr qint64 kMaxWholePart = 999'999'999;

qint64 pow10(int n) {
    qint64 v = 1;
    for (int i = 0; i < n; ++i)
        v *= 10;
    return v;
}

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}
bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// A numeric field as an integer of the given range: the leading number, rounded to the
// nearest whole number (halves to even), clamped to the range. Empty or non-numeric is 0.
template <typename Int> Int integerField(const QString& text) {
    const double v = std::nearbyint(leadingNumber(text));
    if (std::isnan(v))
        return 0;
    constexpr double lo = static_cast<double>(std::numeric_limits<Int>::min());
    constexpr double hi = static_cast<double>(std::numeric_limits<Int>::max());
    if (v <= lo)
        return std::numeric_limits<Int>::min();
    if (v >= hi)
        return std::numeric_limits<Int>::max();
    return static_cast<Int>(v);
}

bool unwritable(const QString& field) {
    return field.contains(u',') || field.contains(u'"') || field.contains(u'\r') || field.contains(u'\n');
}

} // namespace

DecimalMultiplier DecimalMultiplier::fromText(QStringView text) {
    // Same reading as every numeric field: blanks, sign, digits, point, digits; stop at
    // the first character that cannot continue the number.
    qsizetype p = 0;
    const qsizetype n = text.size();
    while (p < n && isBlank(text[p]))
        ++p;
    bool negative = false;
    if (p < n && (text[p] == u'+' || text[p] == u'-')) {
        negative = text[p] == u'-';
        ++p;
    }
    qint64 whole = 0;
    bool any = false;
    while (p < n && isDigit(text[p])) {
        any = true;
        if (whole <= kMaxWholePart)
            whole = whole * 10 + (text[p].unicode() - u'0');
        ++p;
    }
    if (whole > kMaxWholePart)
        whole = kMaxWholePart;
    qint64 fraction = 0;
    int scale = 0;
    if (p < n && text[p] == u'.') {
        ++p;
        while (p < n && isDigit(text[p])) {
            any = true;
            if (scale < kMaxFractionDigits) {
                fraction = fraction * 10 + (text[p].unicode() - u'0');
                ++scale;
            }
            ++p;
        }
    }
    DecimalMultiplier m;
    if (!any)
        return m;
    // An exponent form ("1.5e0", "3.4e38") is read by the shared number reader and held
    // as its shortest decimal, clamped like any other large value.
    if (p < n && (text[p] == u'e' || text[p] == u'E' || text[p] == u'd' || text[p] == u'D')) {
        qsizetype q = p + 1;
        if (q < n && (text[q] == u'+' || text[q] == u'-'))
            ++q;
        if (q < n && isDigit(text[q]))
            return fromDouble(leadingNumber(text));
    }
    // Drop trailing zeros of the fraction so that equal values compare and print alike.
    while (scale > 0 && fraction % 10 == 0) {
        fraction /= 10;
        --scale;
    }
    m.scaled_ = whole * pow10(scale) + fraction;
    m.scale_ = scale;
    if (negative)
        m.scaled_ = -m.scaled_;
    return m;
}

DecimalMultiplier DecimalMultiplier::fromDouble(double value) {
    if (std::isnan(value))
        return {};
    if (std::fabs(value) > static_cast<double>(kMaxWholePart))
        value = value < 0 ? -static_cast<double>(kMaxWholePart) : static_cast<double>(kMaxWholePart);
    return fromText(QString::number(value, 'f', QLocale::FloatingPointShortest));
}

qint64 DecimalMultiplier::floorTimes(qint64 points) const {
    __extension__ using Wide = __int128;
    const Wide product = static_cast<Wide>(points) * scaled_;
    const Wide divisor = pow10(scale_);
    Wide q = product / divisor;
    if (product % divisor != 0 && product < 0)
        --q; // floor, not truncation
    if (q > std::numeric_limits<qint64>::max())
        return std::numeric_limits<qint64>::max();
    if (q < std::numeric_limits<qint64>::min())
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(q);
}

double DecimalMultiplier::toDouble() const {
    return static_cast<double>(scaled_) / static_cast<double>(pow10(scale_));
}

QString DecimalMultiplier::shortText() const {
    const qint64 magnitude = scaled_ < 0 ? -scaled_ : scaled_;
    const qint64 divisor = pow10(scale_);
    QString text = QString::number(magnitude / divisor);
    if (scale_ > 0)
        text += u'.' + QString::number(magnitude % divisor).rightJustified(scale_, u'0');
    if (scaled_ < 0)
        text.prepend(u'-');
    return text;
}

qint32 PassCriteria::timeLimit() const {
    const qint64 limit = 5 * static_cast<qint64>(minimumTime);
    if (limit > std::numeric_limits<qint32>::max())
        return std::numeric_limits<qint32>::max();
    if (limit < std::numeric_limits<qint32>::min())
        return std::numeric_limits<qint32>::min();
    return static_cast<qint32>(limit);
}

PassCriteria PassCriteria::fromTexts(const QList<QString>& fields) {
    PassCriteria row;
    for (int i = 0; i < kFieldCount; ++i)
        row.texts[static_cast<size_t>(i)] = fields.value(i);
    row.targetTime = integerField<qint32>(row.texts[0]);
    row.minimumTime = integerField<qint32>(row.texts[1]);
    row.clearPoints = integerField<qint32>(row.texts[2]);
    row.clearCount = integerField<qint16>(row.texts[3]);
    row.pointMultiplier = DecimalMultiplier::fromText(row.texts[4]);
    row.overdoCount = leadingNumber(row.texts[5]);
    row.overdoPoints = leadingNumber(row.texts[6]);
    row.passPeriodDays = leadingNumber(row.texts[7]);
    row.overdoPeriodDays = leadingNumber(row.texts[8]);
    return row;
}

namespace {
const PassCriteria& emptyRow() {
    static const PassCriteria empty;
    return empty;
}
} // namespace

const PassCriteria& PassCriteriaTable::operator[](int slot) const {
    if (slot < 0 || slot >= kLevelSlots)
        return emptyRow();
    return rows_[static_cast<size_t>(slot)];
}

const PassCriteria& PassCriteriaTable::level(int level) const {
    if (level < 1 || level >= kLevelSlots)
        return emptyRow();
    return rows_[static_cast<size_t>(level)];
}

Outcome<CriteriaLoadResult> loadPassCriteria(const QString& path, PassCriteriaTable* table) {
    const Outcome<FreeValueText> read = FreeValueText::load(path);
    if (!read)
        return read.error();
    const FreeValueText& text = *read;
    CriteriaLoadResult result;
    result.encodingProblems = text.encodingProblems();
    for (const TextLine& line : text.lines()) {
        if (line.number >= 2 && line.number <= kLevelSlots && line.values.size() < PassCriteria::kFieldCount)
            result.incompleteLevels.append(line.number - 1);
    }
    ValueStream stream(text);
    int slot = -1;
    while (!stream.atEnd()) {
        if (slot + 1 >= kLevelSlots) {
            result.truncated = true;
            result.message =
                QStringLiteral("%1 に %2 を超えるレベルの行があります。先頭の %2 レベルだけを読みました。")
                    .arg(shortenForMessage(path))
                    .arg(kLastSlotLevel);
            break;
        }
        ++slot;
        QList<QString> fields;
        fields.reserve(PassCriteria::kFieldCount);
        for (int i = 0; i < PassCriteria::kFieldCount; ++i)
            fields.append(stream.next());
        table->row(slot) = PassCriteria::fromTexts(fields);
    }
    table->levelLines = slot < 1 ? 0 : slot;
    return result;
}

Status savePassCriteria(const QString& path, const QList<std::array<QString, 12>>& rows) {
    if (rows.size() > kLastSlotLevel)
        return makeError(ErrorKind::Refused,
                         QStringLiteral("レベルは %1 までしか保存できません（%2 行あります）。")
                             .arg(kLastSlotLevel)
                             .arg(rows.size()));
    QList<QString> lines;
    lines.reserve(rows.size() + 1);
    const auto lineOf = [](const std::array<QString, 12>& fields) {
        QString line;
        for (size_t i = 0; i < fields.size(); ++i) {
            if (i > 0)
                line += u',';
            line += fields[i];
        }
        return line;
    };
    lines.append(lineOf(passCriteriaHeader()));
    for (qsizetype r = 0; r < rows.size(); ++r) {
        // A comma, a double quote or a line break inside a field would shift every field
        // after it when the file is read back; such a table is refused, not written.
        for (size_t f = 0; f < rows[r].size(); ++f) {
            if (unwritable(rows[r][f]))
                return makeError(
                    ErrorKind::Refused,
                    QStringLiteral("レベル %1 の %2 番目の欄に使えない文字（, \" 改行）があります: %3")
                        .arg(r + 1)
                        .arg(f + 1)
                        .arg(rows[r][f]));
        }
        lines.append(lineOf(rows[r]));
    }
    return writeCp932Lines(path, lines);
}

std::array<QString, 12> passCriteriaHeader() {
    return {QStringLiteral("目標Time"),
            QStringLiteral("最低Time"),
            QStringLiteral("ｸﾘｱﾎﾟｲﾝﾄ"),
            QStringLiteral("ｸﾘｱ回数"),
            QStringLiteral("ﾎﾟｲﾝﾄ倍率"),
            QStringLiteral("禁回"),
            QStringLiteral("禁点"),
            QStringLiteral("判期間"),
            QStringLiteral("禁期間"),
            QString(),
            QString(),
            QString()};
}

} // namespace kz
