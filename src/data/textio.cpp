#include "data/textio.h"

#include "platform/datafile.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>

#include <charconv>
#include <cmath>
#include <system_error>

namespace kz {

namespace {
constexpr const char* kCodec = "windows-31j";

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}
bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}
} // namespace

QString decodeCp932(const QByteArray& bytes) {
    QStringDecoder decoder(kCodec);
    return decoder.decode(bytes);
}

Outcome<QByteArray> encodeCp932(const QString& text) {
    QStringEncoder encoder(kCodec, QStringConverter::Flag::ConvertInvalidToNull);
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError()) {
        QString bad;
        for (QChar c : text) {
            QStringEncoder one(kCodec);
            (void)QByteArray(one.encode(QString(c)));
            if (one.hasError() && !c.isSurrogate()) {
                bad = QString(c);
                break;
            }
        }
        return makeError(ErrorKind::Refused,
                         QStringLiteral("Shift-JIS にできない文字があります: %1").arg(bad));
    }
    return bytes;
}

FreeValueText FreeValueText::parse(const QString& s) {
    FreeValueText result;
    const qsizetype n = s.size();
    // Room for every line and value at once (a roster has tens of thousands of values).
    const qsizetype lineEnds = s.count(u'\n') + s.count(u'\r') + 1;
    result.lines_.reserve(lineEnds);
    result.stream_.reserve(lineEnds + s.count(u','));
    qsizetype i = 0;
    int lineNo = 0;
    while (i < n) {
        ++lineNo;
        // Find the end of this line.
        qsizetype end = i;
        while (end < n && s[end] != u'\n' && s[end] != u'\r')
            ++end;
        TextLine line;
        line.number = lineNo;
        qsizetype p = i;
        if (end > i) {
            while (true) {
                while (p < end && isBlank(s[p]))
                    ++p;
                QString value;
                if (p < end && s[p] == u'"') {
                    const qsizetype close = s.indexOf(u'"', p + 1);
                    const qsizetype stop = (close < 0 || close > end) ? end : close;
                    value = s.mid(p + 1, stop - p - 1);
                    p = stop < end ? stop + 1 : end;
                    while (p < end && s[p] != u',')
                        ++p;
                } else {
                    const qsizetype start = p;
                    while (p < end && s[p] != u',')
                        ++p;
                    qsizetype last = p;
                    while (last > start && isBlank(s[last - 1]))
                        --last;
                    value = s.mid(start, last - start);
                }
                line.values.append(value);
                if (p < end && s[p] == u',') {
                    ++p;
                    continue;
                }
                break;
            }
        }
        for (const QString& v : std::as_const(line.values))
            result.stream_.append({v, lineNo});
        // A blank line reads as one empty value in the stream, as a delimiting comma does,
        // so files written one value per line keep their positions.
        if (line.values.isEmpty())
            result.stream_.append({QString(), lineNo});
        result.lines_.append(std::move(line));
        // Consume the line end: CR LF, LF or a lone CR.
        i = end;
        if (i < n && s[i] == u'\r')
            ++i;
        if (i < n && s[i] == u'\n' && (i == end || s[i - 1] == u'\r'))
            ++i;
    }
    return result;
}

Outcome<FreeValueText> FreeValueText::load(const QString& path) {
    const Outcome<QByteArray> bytes = readDataFile(path);
    if (!bytes)
        return bytes.error();
    FreeValueText text = fromCp932(*bytes);
    text.encodingProblems_ = cp932Problems(*bytes);
    return text;
}

QString ValueStream::next() {
    if (atEnd()) {
        ++pos_;
        return {};
    }
    return text_.value(pos_++);
}

int ValueStream::line() const {
    if (text_.valueCount() == 0)
        return 0;
    return text_.lineOfValue(qMin(pos_, text_.valueCount() - 1));
}

double leadingNumber(QStringView text, bool* complete) {
    qsizetype p = 0;
    const qsizetype n = text.size();
    while (p < n && isBlank(text[p]))
        ++p;
    const qsizetype start = p;
    if (p < n && (text[p] == u'+' || text[p] == u'-'))
        ++p;
    const qsizetype digitsStart = p;
    while (p < n && isDigit(text[p]))
        ++p;
    bool anyDigits = p > digitsStart;
    if (p < n && text[p] == u'.') {
        const qsizetype afterPoint = p + 1;
        qsizetype q = afterPoint;
        while (q < n && isDigit(text[q]))
            ++q;
        if (anyDigits || q > afterPoint) {
            anyDigits = anyDigits || q > afterPoint;
            p = q;
        }
    }
    // An exponent ("1e3", "2.5E-2", "3D2" as older tools write it) continues the number
    // only when digits follow it; "12e" reads as 12.
    if (anyDigits && p < n && (text[p] == u'e' || text[p] == u'E' || text[p] == u'd' || text[p] == u'D')) {
        qsizetype q = p + 1;
        if (q < n && (text[q] == u'+' || text[q] == u'-'))
            ++q;
        const qsizetype expDigits = q;
        while (q < n && isDigit(text[q]))
            ++q;
        if (q > expDigits)
            p = q;
    }
    double value = 0.0;
    if (anyDigits) {
        QByteArray number = text.mid(start, p - start).toLatin1();
        number.replace('d', 'e').replace('D', 'e');
        const bool negative = number.startsWith('-');
        if (negative || number.startsWith('+'))
            number.remove(0, 1);
        // from_chars reads the same in every locale.
        const auto [end, ec] = std::from_chars(number.constData(), number.constData() + number.size(), value);
        Q_UNUSED(end);
        if (ec == std::errc::result_out_of_range) {
            // Too large or too small for a double: infinity, or zero.
            const qsizetype e = number.indexOf('e');
            value = (e >= 0 && number.mid(e + 1).startsWith('-')) ? 0.0 : HUGE_VAL;
        } else if (ec != std::errc()) {
            value = 0.0;
        }
        if (negative)
            value = -value;
    } else {
        p = start;
    }
    if (complete) {
        qsizetype rest = p;
        while (rest < n && isBlank(text[rest]))
            ++rest;
        *complete = anyDigits && rest == n;
    }
    return value;
}

QString shortenForMessage(const QString& text, int maxChars) {
    if (text.size() <= maxChars)
        return text;
    const int keep = qMax(2, maxChars - 1);
    const int head = keep * 2 / 3;
    const int tail = keep - head;
    return text.left(head) + QStringLiteral("…") + text.right(tail);
}

QList<EncodingProblem> cp932Problems(const QByteArray& bytes) {
    QList<EncodingProblem> problems;
    // One decoder of each kind for the whole file, reset for every line: opening the
    // code page's converter costs more than decoding a line.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QStringDecoder decoder(kCodec, QStringDecoder::Flag::Stateless);
    int lineNo = 0;
    qsizetype start = 0;
    while (start < bytes.size()) {
        ++lineNo;
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        const QByteArrayView line(bytes.constData() + start, end - start);
        bool high = false;
        for (char c : line)
            high = high || static_cast<unsigned char>(c) >= 0x80;
        if (high) {
            utf8.resetState();
            (void)QString(utf8.decode(line));
            if (!utf8.hasError()) {
                problems.append({lineNo, EncodingProblem::LooksUtf8});
            } else {
                decoder.resetState();
                const QString decoded = decoder.decode(line);
                if (decoder.hasError() || decoded.contains(QChar::ReplacementCharacter))
                    problems.append({lineNo, EncodingProblem::InvalidBytes});
            }
        }
        start = end;
        if (start < bytes.size() && bytes[start] == '\r')
            ++start;
        if (start < bytes.size() && bytes[start] == '\n' && (start == end || bytes[start - 1] == '\r'))
            ++start;
    }
    return problems;
}

QString describeEncodingProblems(const QString& path, const QList<EncodingProblem>& problems) {
    if (problems.isEmpty())
        return {};
    QStringList lines;
    bool utf8 = false;
    for (const EncodingProblem& p : problems) {
        utf8 = utf8 || p.kind == EncodingProblem::LooksUtf8;
        if (lines.size() < 5)
            lines << QString::number(p.line);
    }
    if (problems.size() > lines.size())
        lines << QStringLiteral("ほか %1 行").arg(problems.size() - lines.size());
    return QStringLiteral(
               "%1 の %2 行目が Shift-JIS（CP932）の文字になっていません%3。文字化けして読まれます。"
               "メモ帳などで「ANSI」または「Shift-JIS」を選んで保存し直してください。")
        .arg(shortenForMessage(path), lines.join(QStringLiteral("、")),
             utf8 ? QStringLiteral("（UTF-8 で保存されているようです）") : QString());
}

Status writeCp932Lines(const QString& path, const QList<QString>& lines) {
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    const Outcome<QByteArray> bytes = encodeCp932(text);
    if (!bytes)
        return bytes.error();
    return writeFileSafely(path, *bytes);
}

} // namespace kz
